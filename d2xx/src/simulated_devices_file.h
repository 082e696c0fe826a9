// Reading a simulated-devices file: one INI section per device, in file order.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "backend.h"
#include "ftd2xx.h"

namespace kestrom::d2xx {

// One device as its section configures it, with every default already applied.
struct SimulatedDeviceConfig {
    std::string section;
    uint32_t chipType = FT_DEVICE_UNKNOWN;
    bool present = true;
    std::filesystem::path imagePath;
    size_t eepromWords = 64;
    // No EEPROM fitted: every word reads 0xFFFF and writes do nothing.
    bool eepromPresent = true;
    // The EEPROM's write-protect pin held: writes and erasing silently do nothing.
    bool writeProtect = false;
    // Unset: taken from a valid image, else from the chip's defaults.
    std::optional<uint32_t> id;
    std::optional<std::string> serialNumber;
    std::optional<std::string> description;
    // Injected failures by lower-case call name; entries of status 0 are left out.
    std::map<std::string, FT_STATUS> failures;
    // Power cuts by lower-case call name.
    std::map<std::string, CallMoment> powerCuts;
    // Pauses before a call does its work, in milliseconds, by lower-case call name.
    std::map<std::string, uint32_t> delays;

    std::optional<FT_STATUS> failure(std::string_view call) const;
    bool powerCut(std::string_view call, CallMoment moment) const;
    uint32_t delay(std::string_view call) const;
};

// Every section of `file` in file order, present or not. A file that cannot be read
// holds no devices. A line inih cannot parse, an unknown key or a value the key does
// not allow is named on standard error (once per process) and skipped: the key keeps
// its default.
std::vector<SimulatedDeviceConfig> readDevicesFile(const std::filesystem::path &file);

}  // namespace kestrom::d2xx
