#include "journal_match.h"

#include <algorithm>

#include "eeprom_codec.h"

namespace kestrom::safety {

namespace {

constexpr uint16_t kBlankWord = 0xFFFF;

uint16_t wordAt(std::span<const uint16_t> words, size_t index) {
    return index < words.size() ? words[index] : kBlankWord;
}

// Every byte is the old one, the new one, or blank: what an interrupted change
// leaves (a word cut off half-way is new in one byte and old in the other). When
// the new words are not known, any word may be one of them.
bool couldBeLeftBy(const JournalEntry &entry, std::span<const uint16_t> words) {
    if (!entry.after) return true;
    const auto byteFits = [](uint16_t word, uint16_t old, uint16_t next, int shift) {
        const auto byte = [shift](uint16_t w) { return (w >> shift) & 0xFF; };
        return byte(word) == 0xFF || byte(word) == byte(old) || byte(word) == byte(next);
    };
    for (size_t i = 0; i < words.size(); ++i) {
        const uint16_t old = wordAt(entry.before, i);
        const uint16_t next = wordAt(*entry.after, i);
        if (!byteFits(words[i], old, next, 0) || !byteFits(words[i], old, next, 8)) return false;
    }
    return true;
}

QByteArray bytesOf(std::span<const uint16_t> words) {
    QByteArray bytes;
    for (const uint16_t word : words) bytes.append(char(word & 0xFF)).append(char(word >> 8));
    return bytes;
}

// `words` still hold the serial number's string descriptor where `image` holds it.
bool holdsSerialOf(uint32_t type, std::span<const uint16_t> image, std::span<const uint16_t> words) {
    d2xx::EepromContents contents;
    if (d2xx::decode(type, image, contents) != FT_OK || contents.serialNumber.empty()) return false;
    const QString serial = QString::fromStdString(contents.serialNumber);
    QByteArray descriptor;
    descriptor.append(char(2 + 2 * serial.size())).append(char(0x03));
    for (const QChar unit : serial)
        descriptor.append(char(unit.unicode() & 0xFF)).append(char(unit.unicode() >> 8));
    const QByteArray held = bytesOf(image);
    const qsizetype at = held.indexOf(descriptor);
    return at >= 0 && bytesOf(words).mid(at, descriptor.size()) == descriptor;
}

bool samePlace(const JournalEntry &entry, const ChipWords &chip) {
    return entry.identified() && entry.device.location == chip.identity.location;
}

}  // namespace

Belonging belongs(const JournalEntry &entry, const ChipWords &chip) {
    if (entry.device.type != chip.identity.type || entry.before.empty()) return Belonging::No;
    if (entry.identified() && !samePlace(entry, chip)) return Belonging::No;
    if (!couldBeLeftBy(entry, chip.words)) return Belonging::No;
    const bool serialHeld = holdsSerialOf(entry.device.type, entry.before, chip.words) ||
                            (entry.after && holdsSerialOf(entry.device.type, *entry.after, chip.words));
    return samePlace(entry, chip) && serialHeld ? Belonging::Proven : Belonging::Maybe;
}

bool settled(const JournalEntry &entry, const ChipWords &chip) {
    if (entry.device.type != chip.identity.type || (entry.identified() && !samePlace(entry, chip)))
        return false;
    return chip.words == entry.before ||
           (entry.after && chip.words == *entry.after && !d2xx::isBlank(chip.words));
}

void endSettledEntries(WriteJournal &journal, const ChipWords &chip, const ChipWords *before) {
    for (const JournalEntry &entry : journal.pending()) {
        if (journal.inProgress(entry)) continue;
        const bool writtenOver =
            before != nullptr && samePlace(entry, *before) && belongs(entry, *before) != Belonging::No;
        if (writtenOver || settled(entry, chip)) journal.end(entry);
    }
}

}  // namespace kestrom::safety
