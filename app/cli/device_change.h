// Every change the commands make to a device, made as the window makes it: read
// what the chip holds, back it up and open the journal (the safety module), change
// it, check what the chip then holds, and close the journal.
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
    int index() const { return index_; }

    // Reads the device as it is: FT_OK or the status; `opened` tells whether it opened.
    FT_STATUS read(bool *opened = nullptr) { return change_.readDevice(index_, opened); }
    const safety::ChipWords &before() const { return change_.before(); }
    uint32_t chipType() const { return before().identity.type; }
    // The part's words; a blank part shows no size of its own and is probed (which
    // writes word 0 and blanks it again) when `probeBlank` asks for it.
    size_t partWords(bool probeBlank);

    // A change of a chip of this kind that never ended, when this one reads blank or
    // damaged: its journal names the backup of what the chip held.
    std::optional<safety::JournalEntry> interruptedChange() const;

    // Saves the backup and opens the journal for `operation`; false with the reason.
    bool begin(const QString &operation, QString &error);
    const QString &backup() const { return change_.backup(); }

    // Programs `contents` through FT_EE_Program (FT_EEPROM_Program on a chip with
    // its own structure) and checks that every field of the
    // chip reads back so; false with the reason. Ends the change.
    bool program(const EepromContents &contents, QString &error);
    // Writes `image` from word 0 on and checks it reads back; false with the reason.
    // Ends the change.
    bool writeImage(std::span<const uint16_t> image, QString &error);
    // Ends a change that began but writes nothing after all.
    void abandon() { change_.finish(false); }

private:
    FT_STATUS programRecord(const EepromContents &contents);
    bool end(bool succeeded, QString &error, const QString &failure);

    platform::D2xxBinding &d2xx_;
    int index_;
    safety::BackupStore backups_;
    safety::WriteJournal journal_;
    safety::SafeChange change_;
};

// Backs `change` up under `operation` and makes `step` (program or writeImage);
// kDone, or kDeviceFailed with the failure said in one line that names the backup.
int changeDevice(const Arguments &args, DeviceChange &change, const QString &operation,
                 const std::function<bool(QString &error)> &step);

// The device the command's options choose, read; null, with the failure said and
// its exit code in `exitCode`, when it cannot be.
std::unique_ptr<DeviceChange> readChosenDevice(const Arguments &args, int &exitCode);

}  // namespace kestrom::cli
