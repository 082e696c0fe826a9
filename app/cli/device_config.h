// One device's configuration as the D2XX calls give it: its identity and every
// word of its EEPROM, the record FT_EE_Read decodes and FT_EE_UASize's user area.
#pragma once

#include <optional>

#include "chip_words.h"
#include "record_fields.h"

namespace kestrom::cli {

struct DeviceConfig {
    safety::ChipWords chip;
    // FT_EE_Read's status: FT_EEPROM_NOT_PROGRAMMED for a blank or damaged EEPROM.
    FT_STATUS recordStatus = FT_OTHER_ERROR;
    EepromContents contents;  // when recordStatus is FT_OK
    std::optional<uint32_t> userAreaBytes;
};

// Reads device `index`; the status of reading its words (a failed FT_EE_Read is
// kept in recordStatus).
FT_STATUS readConfig(platform::D2xxBinding &d2xx, int index, DeviceConfig &config);

// The record's header and text buffers, for FT_EE_Read and FT_EE_Program.
class ProgramRecord {
public:
    ProgramRecord();
    ProgramRecord(const ProgramRecord &) = delete;
    ProgramRecord &operator=(const ProgramRecord &) = delete;

    FT_PROGRAM_DATA *data() { return &record_; }
    void fill(const EepromContents &contents) { d2xx::fillRecord(contents, record_); }
    EepromContents contents() const;

private:
    FT_PROGRAM_DATA record_{};
    char manufacturer_[d2xx::kManufacturerCapacity]{};
    char manufacturerId_[d2xx::kManufacturerIdCapacity]{};
    char description_[d2xx::kDescriptionCapacity]{};
    char serialNumber_[d2xx::kSerialNumberCapacity]{};
};

class Arguments;
// Reads the device the command's options choose: its index, or nothing, with the
// failure said and its exit code in `exitCode`.
std::optional<int> readChosenConfig(const Arguments &args, DeviceConfig &config, int &exitCode);

// "93C46", "93C56", "93C66", or "internal" for the FT232R's own area.
QString partName(uint32_t chipType, size_t words);
// The bytes the three string descriptors of `contents` take.
size_t stringBytes(const EepromContents &contents);

}  // namespace kestrom::cli
