#include "verified_writes.h"

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

}  // namespace

FT_STATUS writeImageVerified(Device &device, const std::vector<uint16_t> &image) {
    if (const FT_STATUS status = device.writeImage(image); status != FT_OK) return status;
    return readBack(device, image, FT_EEPROM_WRITE_FAILED);
}

FT_STATUS writeWordVerified(Device &device, size_t address, uint16_t value) {
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
