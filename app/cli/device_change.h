// Every change the commands make to a device, made as the window makes it: read
// what the chip holds, back it up and open the journal (the safety module), change
// it, check what the chip then holds, and close the journal. The device is held
// open from the first read to the read-back, so no other program changes it in
// between, and every step reaches the chip that was read.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <span>

#include "record_fields.h"
#include "safe_change.h"

namespace kestrom::cli {

class Arguments;

class DeviceChange {
public:
    DeviceChange(platform::D2xxBinding &d2xx, int index);
    // The device plugged in at `port`, opened by it (the driver must have KT_OpenByPort).
    DeviceChange(platform::D2xxBinding &d2xx, QString port);
    int index() const { return index_; }

    // Opens and reads the device as it is: FT_OK or the status; `opened` tells
    // whether it opened. The journal's entries that the chip settles end.
    FT_STATUS read(bool *opened = nullptr);
    // The handle of the device held open since read(); null when it did not open.
    FT_HANDLE handle() { return change_.held() != nullptr ? change_.held()->handle() : nullptr; }
    const safety::ChipWords &before() const { return change_.before(); }
    uint32_t chipType() const { return before().identity.type; }
    // The part's words; a blank part shows no size of its own and is probed (which
    // writes word 0 and blanks it again) when `probeBlank` asks for it.
    size_t partWords(bool probeBlank);

    // A change that never ended on a chip that can be this one, which reads blank or
    // damaged: its journal names the backup of what the chip held.
    std::optional<safety::InterruptedChange> interruptedChange() {
        return safety::interruptedChange(journal_, before());
    }

    // Saves the backup and opens the journal for `operation`, which is to leave
    // `after` on the chip when that is known; false with the reason.
    bool begin(const QString &operation, QString &error,
               const std::optional<std::vector<uint16_t>> &after = std::nullopt) {
        return change_.begin(operation, error, after);
    }
    const QString &backup() const { return change_.backup(); }

    // Is it still the chip that was read? False with the reason; the change is abandoned.
    bool stillAsRead(QString &error) { return change_.stillAsRead(error); }

    // Programs `contents` through FT_EE_Program (FT_EEPROM_Program on a chip with
    // its own structure) and checks that every field of the
    // chip reads back so; false with the reason. Ends the change.
    bool program(const EepromContents &contents, QString &error);
    // Writes `image` from word 0 on and checks it reads back; false with the reason.
    // Ends the change.
    bool writeImage(std::span<const uint16_t> image, QString &error);
    // Ends a change that began but writes nothing after all.
    void abandon() { change_.abandon(); }
    // Closes the device: the close's status, which takes nothing from a change
    // already read back.
    FT_STATUS release() { return change_.release(); }

    // The words FT_EE_Program leaves on this chip for `contents`, when the codec
    // can tell.
    std::optional<std::vector<uint16_t>> imageOf(const EepromContents &contents) const;

private:
    FT_STATUS programRecord(const EepromContents &contents);
    bool end(bool succeeded, QString &error, const QString &failure, const safety::ChipWords *now = nullptr);
    // Reads the chip back into `after`; false, with the change ended, when it cannot be.
    bool readBack(safety::ChipWords &after, QString &error);

    platform::D2xxBinding &d2xx_;
    int index_;
    QString port_;
    safety::BackupStore backups_;
    safety::WriteJournal journal_;
    safety::SafeChange change_;
};

// A change that never ended on a chip that reads as `now`: what it was, when, and
// where its old contents are.
QString interruptedNote(const safety::InterruptedChange &interrupted, const safety::ChipWords &now);

// Why a change did not begin: its backup, or its journal entry once the backup was
// made, could not be written; `error` is the reason. Nothing was written to the chip.
QString notBegun(const DeviceChange &change, const QString &error);

// Backs `change` up under `operation`, which is to leave `after` on the chip, and
// makes `step` (program or writeImage) once the chip is found as it was read;
// kDone, or kDeviceFailed with the failure said in one line that names the backup.
// A close that fails afterwards is a warning line of its own.
int changeDevice(const Arguments &args, DeviceChange &change, const QString &operation,
                 const std::optional<std::vector<uint16_t>> &after,
                 const std::function<bool(QString &error)> &step);

// The device the command's options choose, opened and read; null, with the failure
// said and its exit code in `exitCode`, when it cannot be. A device chosen by its
// serial number must still have it once open.
std::unique_ptr<DeviceChange> readChosenDevice(const Arguments &args, int &exitCode);

}  // namespace kestrom::cli
