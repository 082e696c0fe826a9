// The write journal: before a change erases anything, one small file records
// which device is being changed and which backup holds its old contents; it goes
// when the change ends, in success or in a failure that put the old words back.
// One left behind means the program died in the middle (a crash, a power cut).
#pragma once

#include <QDateTime>
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
};

class WriteJournal {
public:
    // $XDG_DATA_HOME/kestrom/journal (the platform's data folder elsewhere).
    static QString defaultFolder();
    explicit WriteJournal(QString folder = defaultFolder());

    // Records the change about to start; the entry, or nothing with the reason in `error`.
    std::optional<JournalEntry> begin(const QString &operation, const ChipIdentity &device, const QString &backup,
                                      QString &error);
    // The change has ended and the device holds what it should.
    void end(const JournalEntry &entry);
    // Changes that never ended, the newest first.
    std::vector<JournalEntry> pending() const;

private:
    QString folder_;
};

}  // namespace kestrom::safety
