// The steps around every change of a chip, shared by the window and the command
// line: read what the chip holds, back it up, open the journal, make sure the chip
// still holds what was read; afterwards close the journal, or keep it when the chip
// does not hold what it should. And the way back after a change that never ended.
#pragma once

#include <memory>
#include <optional>

#include "backup_store.h"
#include "journal_match.h"

namespace kestrom::safety {

class SafeChange {
public:
    SafeChange(platform::D2xxBinding &d2xx, BackupStore &backups, WriteJournal &journal);

    // Reads device `index` as it is now. FT_OK, or the status that stopped it;
    // `opened` tells whether the device opened at all. With `hold` the device stays
    // open until release(): no other open, here or in another program, can change
    // it in the meantime, and every step of this change goes through held().
    FT_STATUS readDevice(int index, bool *opened = nullptr, bool hold = false);
    // The same, held, for the device plugged in at `port` whatever its index.
    FT_STATUS readDeviceAt(const QString &port, bool *opened = nullptr);
    // Begins from what device `index` held as its caller read it, in an open that
    // the caller holds until the chip is written: nothing can change it in between.
    void takeRead(int index, ChipWords before);
    const ChipWords &before() const { return before_; }
    OpenDevice *held() { return held_.get(); }
    // Reads the chip as it is now, through the held device when there is one.
    FT_STATUS readNow(ChipWords &now);

    // Saves the backup and opens the journal for `operation`, which is to leave
    // `after` on the chip when that is known; false with the reason.
    bool begin(const QString &operation, QString &error,
               const std::optional<std::vector<uint16_t>> &after = std::nullopt);
    const QString &backup() const { return backup_; }

    // Just before the first word is written: is it still the chip that was read and
    // backed up, holding what it held? False with the reason otherwise, and the
    // change is abandoned.
    bool stillAsRead(QString &error);

    // The change has ended. The journal goes when it succeeded (with the entries of
    // earlier changes of this chip), or when the chip reads as it did before (a
    // failed change whose old words were put back). `now` is what the chip reads
    // afterwards, when the caller has read it. True when the journal went.
    bool finish(bool succeeded, const ChipWords *now = nullptr);
    // Ends a change that began but wrote nothing.
    void abandon();
    // Closes the held device: the close's status.
    FT_STATUS release();

private:
    FT_STATUS readHeld(std::unique_ptr<OpenDevice> device, bool *opened);

    platform::D2xxBinding &d2xx_;
    BackupStore &backups_;
    WriteJournal &journal_;
    int index_ = 0;
    std::unique_ptr<OpenDevice> held_;
    ChipWords before_;
    QString backup_;
    std::optional<JournalEntry> entry_;
};

// A change that never ended on a chip that can be the one it was changing, and
// that now reads blank or with a bad checksum.
struct InterruptedChange {
    JournalEntry entry;
    bool proven = false;  // the chip's words prove it is the same board
};

// The newest change that never ended on device `index`, which reads `now`; the
// entries that `now` settles end on the way.
std::optional<InterruptedChange> interruptedChange(WriteJournal &journal, const ChipWords &now);
// The same for device `index`, read for it.
std::optional<InterruptedChange> interruptedChange(platform::D2xxBinding &d2xx, WriteJournal &journal,
                                                   int index);

// Writes the backup of `entry` back to device `index` (every word read back by the
// driver) and ends the journal entry; false with the reason.
bool putBackOldContents(platform::D2xxBinding &d2xx, WriteJournal &journal, int index,
                        const JournalEntry &entry, QString &error);

}  // namespace kestrom::safety
