// The two device backends (simulated files, real chips) behind the D2XX calls.
// A backend only lists, opens and moves words; the EEPROM image codec is shared.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ftd2xx.h"

namespace kestrom::d2xx {

// Moments of a D2XX call at which a simulated device can be made to lose power: before
// the call does any work, once half of its words are written, or when it is done.
enum class CallMoment { Before, During, After };

struct DeviceInfo {
    uint32_t type = FT_DEVICE_UNKNOWN;
    uint32_t id = 0;  // VID << 16 | PID
    std::string serialNumber;
    std::string description;
    // Where the device sits ("usb:1-1.4", "sim:<devices file>#<section>"): the same
    // place for a replugged chip, another for a chip elsewhere.
    std::string location;
    // Where it is plugged in: the USB port path ("1-1.3"), or a simulated device's section.
    std::string port;
};

// A device of a listing, with the index it has in that listing.
struct ListedDevice {
    uint32_t index = 0;
    DeviceInfo info;
};

class Device {
public:
    virtual ~Device() = default;

    virtual uint32_t chipType() const = 0;
    // 64 (93C46, FT232R), 128 (93C56) or 256 (93C66).
    virtual size_t eepromWords() const = 0;
    virtual FT_STATUS info(DeviceInfo &out) = 0;

    // Addresses are already below eepromWords().
    virtual FT_STATUS readWord(size_t address, uint16_t &value) = 0;
    virtual FT_STATUS writeWord(size_t address, uint16_t value) = 0;
    // Every word set to 0xFFFF; a chip whose EEPROM cannot be erased answers FT_OK.
    virtual FT_STATUS erase() = 0;

    // Whole-image transfers; the defaults go word by word.
    virtual FT_STATUS readImage(std::vector<uint16_t> &image);
    virtual FT_STATUS writeImage(const std::vector<uint16_t> &image);

    // Before a call that changes the part: what it takes to know the part's size, a
    // write included (reads never write to tell it). The default has nothing to do.
    virtual FT_STATUS prepareChange() { return FT_OK; }
    // What the part holds at `address` as read on this handle, when a write of the
    // same value need not be made; the default knows nothing, so every word is written.
    virtual std::optional<uint16_t> heldWord(size_t /*address*/) const { return std::nullopt; }

    virtual FT_STATUS close() { return FT_OK; }

    // What the EEPROM held before the last FT_EraseEE on this handle, until the next
    // write: an FT_EE_Program right after an erase (libromgate programs that way)
    // keeps the chip's own settings that the record has no fields for.
    std::optional<std::vector<uint16_t>> beforeErase;

    // The status a D2XX call named `call` is made to answer on this device, for tests.
    virtual std::optional<FT_STATUS> injectedFailure(std::string_view /*call*/) const { return std::nullopt; }
    // Ends the process like a power cut if this device is set to lose power at this
    // moment of `call`, for tests (the During moment is the device's own business).
    virtual void powerCutPoint(std::string_view /*call*/, CallMoment /*moment*/) const {}
};

class Backend {
public:
    virtual ~Backend() = default;

    // Devices present now, in index order.
    virtual FT_STATUS count(uint32_t &devices) = 0;
    virtual FT_STATUS describe(uint32_t index, DeviceInfo &out) = 0;
    // Every device present now, as describe() tells each, from one look at the devices;
    // a device that cannot be described (gone meanwhile) is left out and its index unused.
    virtual FT_STATUS describeAll(std::vector<ListedDevice> &out) = 0;
    virtual FT_STATUS open(uint32_t index, std::unique_ptr<Device> &out) = 0;
    // Opens the device plugged in at `port` (its port as describe() tells it), found
    // and opened from one look at the devices; FT_DEVICE_NOT_FOUND when none is there.
    virtual FT_STATUS openAt(const std::string &port, std::unique_ptr<Device> &out) = 0;

    // Injected failure of a call made by device index (FT_Open, FT_ListDevices).
    virtual std::optional<FT_STATUS> injectedFailure(uint32_t /*index*/, std::string_view /*call*/) {
        return std::nullopt;
    }
    // Power cut of a call made by device index, as Device::powerCutPoint.
    virtual void powerCutPoint(uint32_t /*index*/, std::string_view /*call*/, CallMoment /*moment*/) {}
};

// FTD2XX_SIM names a simulated-devices file: the simulated backend; otherwise real USB.
std::unique_ptr<Backend> makeBackend();

std::unique_ptr<Backend> makeSimulatedBackend(const std::string &devicesFile);
std::unique_ptr<Backend> makeUsbBackend();

}  // namespace kestrom::d2xx
