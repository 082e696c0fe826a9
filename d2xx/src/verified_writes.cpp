#include "verified_writes.h"

#include "eeprom_codec.h"

namespace kestrom::d2xx {
namespace {

// Reads words [0, expected.size()) once each: FT_OK when they match, `mismatch` when
// one does not, the read's own status when a read fails.
FT_STATUS readBack(Device &device, const std::vector<uint16_t> &expected, FT_STATUS mismatch) {
    for (size_t address = 0; address < expected.size(); ++address) {
        uint16_t value = 0;
        if (const FT_STATUS status = device.readWord(address, value); status != FT_OK) return status;
        if (value != expected[address]) return mismatch;
    }
    return FT_OK;
}

bool held(const Device &device, size_t address, uint16_t value) {
    return device.heldWord(address) == value;
}

// The words of `image` that the part does not hold already, one by one; `passedOver`
// tells whether any was left as it was. When none can be, the backend writes the whole
// image its own way (the simulated part in one store).
FT_STATUS writeDiffering(Device &device, const std::vector<uint16_t> &image, bool &passedOver) {
    passedOver = false;
    for (size_t address = 0; address < image.size() && !passedOver; ++address)
        passedOver = held(device, address, image[address]);
    if (!passedOver) return device.writeImage(image);
    for (size_t address = 0; address < image.size() && address < device.eepromWords(); ++address) {
        if (held(device, address, image[address]) || reservedWord(device.chipType(), address)) continue;
        if (const FT_STATUS status = device.writeWord(address, image[address]); status != FT_OK)
            return status;
    }
    return FT_OK;
}

}  // namespace

FT_STATUS writeImageVerified(Device &device, const std::vector<uint16_t> &image) {
    bool passedOver = false;
    if (const FT_STATUS status = writeDiffering(device, image, passedOver); status != FT_OK) return status;
    const FT_STATUS checked = readBack(device, image, FT_EEPROM_WRITE_FAILED);
    // A word that did not take: every word is written once, those left as they were
    // included, and read from the part again before the call fails.
    if (checked != FT_EEPROM_WRITE_FAILED || !passedOver) return checked;
    if (const FT_STATUS status = device.writeImage(image); status != FT_OK) return status;
    return readBack(device, image, FT_EEPROM_WRITE_FAILED);
}

FT_STATUS writeWordVerified(Device &device, size_t address, uint16_t value) {
    if (held(device, address, value)) return FT_OK;
    if (const FT_STATUS status = device.writeWord(address, value); status != FT_OK) return status;
    uint16_t readValue = 0;
    if (const FT_STATUS status = device.readWord(address, readValue); status != FT_OK) return status;
    return readValue == value ? FT_OK : FT_EEPROM_WRITE_FAILED;
}

FT_STATUS eraseVerified(Device &device) {
    if (const FT_STATUS status = device.erase(); status != FT_OK) return status;
    const uint32_t chip = device.chipType();
    if (chip == FT_DEVICE_232R || chip == FT_DEVICE_X_SERIES) return FT_OK;
    if (device.eepromWords() == 0) return FT_EEPROM_NOT_PRESENT;  // nothing there to read blank
    return readBack(device, std::vector<uint16_t>(device.eepromWords(), 0xFFFF), FT_EEPROM_ERASE_FAILED);
}

}  // namespace kestrom::d2xx
