#include "safe_change.h"

#include "status_text.h"

namespace kestrom::safety {

SafeChange::SafeChange(platform::D2xxBinding &d2xx, BackupStore &backups, WriteJournal &journal)
    : d2xx_(d2xx), backups_(backups), journal_(journal) {}

FT_STATUS SafeChange::readDevice(int index, bool *opened) {
    index_ = index;
    return readChipWords(d2xx_, index, before_, opened);
}

bool SafeChange::begin(const QString &operation, QString &error) {
    const std::optional<QString> saved = backups_.save(before_, QDateTime::currentDateTime(), error);
    if (!saved) return false;
    backup_ = *saved;
    entry_ = journal_.begin(operation, before_.identity, backup_, error);
    return entry_.has_value();
}

bool SafeChange::finish(bool succeeded) {
    if (!entry_) return false;
    if (!succeeded) {
        ChipWords after;
        if (readChipWords(d2xx_, index_, after) != FT_OK || after.words != before_.words) return false;
    }
    journal_.end(*entry_);
    entry_.reset();
    return true;
}

std::optional<JournalEntry> interruptedChange(platform::D2xxBinding &d2xx, const WriteJournal &journal, int index) {
    const std::vector<JournalEntry> pending = journal.pending();
    if (pending.empty()) return std::nullopt;
    ChipWords now;
    if (readChipWords(d2xx, index, now) != FT_OK) return std::nullopt;
    for (const JournalEntry &entry : pending) {
        if (entry.device.type == now.identity.type && blankOrDamaged(entry.device.type, now.words)) return entry;
    }
    return std::nullopt;
}

bool putBackOldContents(platform::D2xxBinding &d2xx, WriteJournal &journal, int index, const JournalEntry &entry,
                        QString &error) {
    const std::optional<std::vector<uint16_t>> words = BackupStore::load(entry.backup);
    if (!words) {
        error = QStringLiteral("the backup %1 cannot be read").arg(entry.backup);
        return false;
    }
    if (const FT_STATUS status = writeChipWords(d2xx, index, *words); status != FT_OK) {
        error = QStringLiteral("writing it failed with status %1 (%2)")
                    .arg(status)
                    .arg(reports::StatusText(int32_t(status)));
        return false;
    }
    journal.end(entry);
    return true;
}

}  // namespace kestrom::safety
