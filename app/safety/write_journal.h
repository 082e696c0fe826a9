// The write journal: before a change erases anything, one small file records
// which chip is being changed (its serial, VID:PID and location), what it held and
// what it is to hold, and which backup keeps its old contents. It goes when the
// change ends, in success or in a failure that put the old words back, and later
// when that chip is written whole again or found as it was. One left behind means
// the program died in the middle (a crash, a power cut).
#pragma once

#include <QDateTime>
#include <QSet>
#include <QString>
#include <optional>
#include <vector>

#include "chip_words.h"

namespace kestrom::safety {

struct JournalEntry {
    QString file;  // the journal entry itself
    QDateTime started;
    QString operation;  // "Write", "Erase", "Program EEPROM Image", ...
    QString backup;     // the raw image of the old contents
    ChipIdentity device;
    std::vector<uint16_t> before;                // the words read before the change
    std::optional<std::vector<uint16_t>> after;  // the words it writes, when known
    // Written before entries named the chip's location and words: such an entry can
    // never prove which chip it belongs to.
    bool identified() const { return device.location != 0; }
};

class WriteJournal {
public:
    // $XDG_DATA_HOME/kestrom/journal (the platform's data folder elsewhere).
    static QString defaultFolder();
    explicit WriteJournal(QString folder = defaultFolder());

    // Records the change about to start; the entry, or nothing with the reason in `error`.
    std::optional<JournalEntry> begin(const QString &operation, const ChipWords &before,
                                      const QString &backup,
                                      const std::optional<std::vector<uint16_t>> &after, QString &error);
    // The change has ended and the device holds what it should.
    void end(const JournalEntry &entry);
    // The change has ended, but the entry stays: the device may need its old words.
    void leave(const JournalEntry &entry) { inFlight_.remove(entry.file); }
    // A change still running, begun here or by another program that still runs:
    // its entry is neither offered nor ended by anyone else.
    bool inProgress(const JournalEntry &entry) const;
    const QString &folder() const { return folder_; }
    // Changes that never ended, the newest first.
    std::vector<JournalEntry> pending() const;

private:
    QString folder_;
    QSet<QString> inFlight_;
};

}  // namespace kestrom::safety
