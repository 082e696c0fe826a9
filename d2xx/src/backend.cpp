#include "backend.h"

#include <cstdlib>

namespace kestrom::d2xx {

FT_STATUS Device::readImage(std::vector<uint16_t> &image) {
    image.assign(eepromWords(), 0xFFFF);
    for (size_t address = 0; address < image.size(); ++address) {
        if (const FT_STATUS status = readWord(address, image[address]); status != FT_OK) return status;
    }
    return FT_OK;
}

FT_STATUS Device::writeImage(const std::vector<uint16_t> &image) {
    for (size_t address = 0; address < image.size() && address < eepromWords(); ++address) {
        if (const FT_STATUS status = writeWord(address, image[address]); status != FT_OK) return status;
    }
    return FT_OK;
}

std::unique_ptr<Backend> makeBackend() {
    const char *devicesFile = std::getenv("FTD2XX_SIM");
    if (devicesFile != nullptr && *devicesFile != '\0') return makeSimulatedBackend(devicesFile);
    return makeUsbBackend();
}

}  // namespace kestrom::d2xx
