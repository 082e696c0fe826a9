// The steps around every change of a chip, shared by the window and the command
// line: read what the chip holds, back it up, open the journal; afterwards close
// the journal, or keep it when the chip does not hold what it should. And the way
// back after a change that never ended.
#pragma once

#include <optional>

#include "backup_store.h"
#include "write_journal.h"

namespace kestrom::safety {

class SafeChange {
public:
    SafeChange(platform::D2xxBinding &d2xx, BackupStore &backups, WriteJournal &journal);

    // Reads device `index` as it is now. FT_OK, or the status that stopped it;
    // `opened` tells whether the device opened at all.
    FT_STATUS readDevice(int index, bool *opened = nullptr);
    const ChipWords &before() const { return before_; }

    // Saves the backup and opens the journal for `operation`; false with the reason.
    bool begin(const QString &operation, QString &error);
    const QString &backup() const { return backup_; }

    // The change has ended. The journal goes when it succeeded, or when the chip
    // reads as it did before (a failed change whose old words were put back).
    // True when the journal went.
    bool finish(bool succeeded);

private:
    platform::D2xxBinding &d2xx_;
    BackupStore &backups_;
    WriteJournal &journal_;
    int index_ = 0;
    ChipWords before_;
    QString backup_;
    std::optional<JournalEntry> entry_;
};

// The newest change of a chip like device `index` that never ended, when the device
// now reads blank or with a bad checksum; nothing otherwise.
std::optional<JournalEntry> interruptedChange(platform::D2xxBinding &d2xx, const WriteJournal &journal, int index);

// Writes the backup of `entry` back to device `index` (every word read back by the
// driver) and ends the journal entry; false with the reason.
bool putBackOldContents(platform::D2xxBinding &d2xx, WriteJournal &journal, int index, const JournalEntry &entry,
                        QString &error);

}  // namespace kestrom::safety
