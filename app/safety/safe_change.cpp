#include "safe_change.h"

#include "status_text.h"

namespace kestrom::safety {

namespace {

bool sameChip(const ChipIdentity &a, const ChipIdentity &b) {
    return a.type == b.type && a.id == b.id && a.serialNumber == b.serialNumber;
}

}  // namespace

SafeChange::SafeChange(platform::D2xxBinding &d2xx, BackupStore &backups, WriteJournal &journal)
    : d2xx_(d2xx), backups_(backups), journal_(journal) {}

FT_STATUS SafeChange::readDevice(int index, bool *opened, bool hold) {
    index_ = index;
    if (!hold) return readChipWords(d2xx_, index, before_, opened);
    return readHeld(std::make_unique<OpenDevice>(d2xx_, index), opened);
}

FT_STATUS SafeChange::readDeviceAt(const QString &port, bool *opened) {
    index_ = -1;
    return readHeld(std::make_unique<OpenDevice>(d2xx_, port), opened);
}

FT_STATUS SafeChange::readHeld(std::unique_ptr<OpenDevice> device, bool *opened) {
    held_ = std::move(device);
    if (opened != nullptr) *opened = held_->status() == FT_OK;
    return held_->read(before_);
}

void SafeChange::takeRead(int index, ChipWords before) {
    index_ = index;
    before_ = std::move(before);
}

FT_STATUS SafeChange::readNow(ChipWords &now) {
    return held_ ? held_->read(now) : readChipWords(d2xx_, index_, now);
}

bool SafeChange::begin(const QString &operation, QString &error,
                       const std::optional<std::vector<uint16_t>> &after) {
    const std::optional<QString> saved = backups_.save(before_, QDateTime::currentDateTime(), error);
    if (!saved) return false;
    backup_ = *saved;
    entry_ = journal_.begin(operation, before_, backup_, after, error);
    return entry_.has_value();
}

bool SafeChange::stillAsRead(QString &error) {
    ChipWords now;
    bool same = false;
    if (held_) {
        // Nothing else can open a held chip: its identity tells that the handle
        // still reaches it.
        same = readIdentity(d2xx_, held_->handle(), now.identity) == FT_OK &&
               sameChip(now.identity, before_.identity);
    } else {
        same =
            readNow(now) == FT_OK && sameChip(now.identity, before_.identity) && now.words == before_.words;
    }
    if (same) return true;
    error = QStringLiteral("the chip changed since it was read");
    abandon();
    return false;
}

bool SafeChange::finish(bool succeeded, const ChipWords *now) {
    if (!entry_) return false;
    ChipWords readAfter;
    if (now == nullptr && readNow(readAfter) == FT_OK) now = &readAfter;
    if (!succeeded && (now == nullptr || now->words != before_.words)) {
        journal_.leave(*entry_);
        entry_.reset();
        return false;
    }
    journal_.end(*entry_);
    entry_.reset();
    if (now != nullptr) endSettledEntries(journal_, *now, succeeded ? &before_ : nullptr);
    return true;
}

void SafeChange::abandon() {
    if (entry_) journal_.end(*entry_);
    entry_.reset();
}

FT_STATUS SafeChange::release() {
    if (!held_) return FT_OK;
    const FT_STATUS closed = held_->close();
    held_.reset();
    return closed;
}

std::optional<InterruptedChange> interruptedChange(WriteJournal &journal, const ChipWords &now) {
    endSettledEntries(journal, now);
    if (!blankOrDamaged(now.identity.type, now.words)) return std::nullopt;
    for (const JournalEntry &entry : journal.pending()) {
        if (journal.inProgress(entry)) continue;
        if (const Belonging belonging = belongs(entry, now); belonging != Belonging::No)
            return InterruptedChange{entry, belonging == Belonging::Proven};
    }
    return std::nullopt;
}

std::optional<InterruptedChange> interruptedChange(platform::D2xxBinding &d2xx, WriteJournal &journal,
                                                   int index) {
    if (journal.pending().empty()) return std::nullopt;
    ChipWords now;
    if (readChipWords(d2xx, index, now) != FT_OK) return std::nullopt;
    return interruptedChange(journal, now);
}

bool putBackOldContents(platform::D2xxBinding &d2xx, WriteJournal &journal, int index,
                        const JournalEntry &entry, QString &error) {
    const std::optional<std::vector<uint16_t>> words = BackupStore::load(entry.backup);
    if (!words) {
        error = QStringLiteral("the backup %1 cannot be read").arg(entry.backup);
        return false;
    }
    // Every word is read back as it is written: a close that fails after them
    // takes nothing from the chip.
    FT_STATUS closed = FT_OK;
    if (const FT_STATUS status = writeChipWords(d2xx, index, *words, closed); status != FT_OK) {
        error = QStringLiteral("writing it failed with status %1 (%2)")
                    .arg(status)
                    .arg(reports::StatusText(int32_t(status)));
        return false;
    }
    journal.end(entry);
    return true;
}

}  // namespace kestrom::safety
