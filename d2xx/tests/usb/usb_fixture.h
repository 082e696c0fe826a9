// Tests of the real USB path on virtual chips: a fresh testbed for each test, the
// D2XX calls through libftd2xx.so's USB backend (FTD2XX_SIM is unset meanwhile).
// Every virtual bus names its first chip 1-1, so each test keeps its device locks
// in a scratch XDG_RUNTIME_DIR of its own: tests that run at once never share one.
// Without umockdev's preload library (outside ctest) every test skips, saying so.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "eeprom_codec.h"
#include "ftd2xx.h"
#include "testbed.h"

namespace kestrom::virtualchip {

class VirtualUsb : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    VirtualChip &plug(const ChipSpec &spec, FaultPlan faults = {}) {
        return bed_->plug(spec, std::move(faults));
    }
    Testbed &bed() { return *bed_; }
    // Everything unplugged: a bus of its own for the next chip.
    void newBus();

    // Opens device 0; a failure fails the test. Closed in TearDown if still open.
    FT_HANDLE open();
    void close(FT_HANDLE handle);

private:
    std::optional<Testbed> bed_;
    std::optional<std::string> savedSim_, savedRuntime_;
    std::string runtime_;
    std::vector<FT_HANDLE> handles_;
};

// A program-data record with room behind its text pointers.
struct Record {
    Record() {
        data.Signature2 = 0xFFFFFFFF;
        data.Version = 2;
        data.Manufacturer = manufacturer.data();
        data.ManufacturerId = manufacturerId.data();
        data.Description = description.data();
        data.SerialNumber = serial.data();
    }
    Record(const Record &) = delete;
    Record &operator=(const Record &) = delete;
    FT_PROGRAM_DATA data{};
    std::array<char, 36> manufacturer{};
    std::array<char, 20> manufacturerId{};
    std::array<char, 68> description{};
    std::array<char, 20> serial{};
};

// An image from examples/.
std::vector<uint16_t> example(const char *file);

// What our codec writes for `contents` into a blank part of `words` words.
std::vector<uint16_t> encoded(uint32_t chipType, size_t words, const d2xx::EepromContents &contents);

// A Hi-Speed or X-series chip as a board maker leaves it: own serial number, the
// D2XX driver on its first channel, a pin group at 8 mA; on the X series the
// factory area holds words of its own.
std::vector<uint16_t> boardImage(uint32_t chipType, size_t words);

// The chip's defaults with this serial number, encoded for a part of `words` words.
std::vector<uint16_t> programmedImage(uint32_t chipType, size_t words, const std::string &serial);

// FT_ListDevices by index: the description, or the serial number.
std::string listed(uint32_t index, bool serial = false);

}  // namespace kestrom::virtualchip
