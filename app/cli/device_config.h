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

// The newer chips' settings beyond the record, through their D2XX structure:
// FT_EEPROM_Read's over `contents` (whose texts, from FT_EE_Read, stay), and
// FT_EEPROM_Program of the whole of `contents`. FT_OK and nothing done for a chip
// whose record holds all it has.
FT_STATUS readChipStructure(platform::D2xxBinding &d2xx, FT_HANDLE handle, uint32_t chipType,
                            EepromContents &contents);
FT_STATUS programChipStructure(platform::D2xxBinding &d2xx, FT_HANDLE handle, uint32_t chipType,
                               const EepromContents &contents);
// Whether a chip's settings go through its D2XX structure.
bool usesChipStructure(uint32_t chipType);

class Arguments;
// Reads the device the command's options choose: its index, or nothing, with the
// failure said and its exit code in `exitCode`.
std::optional<int> readChosenConfig(const Arguments &args, DeviceConfig &config, int &exitCode);

// "93C46", "93C56", "93C66", or "internal" for the FT232R's and the X series' own memory.
QString partName(uint32_t chipType, size_t words);
// The bytes the three string descriptors of `contents` take.
size_t stringBytes(const EepromContents &contents);

}  // namespace kestrom::cli
