// libftdi1's own EEPROM builder and decoder, driven without a device, as an
// independent check on our codec. Values are in libftdi's terms; the header keeps
// libftdi's names out of the tests.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "eeprom_codec.h"

namespace kestrom::d2xx::oracle {

// 2232C channel modes as libftdi numbers them (the EEPROM's own values).
enum ChannelMode : int { kUart = 0, kFifo245 = 1, kFastSerial = 2, kCpuFifo = 4 };

// What libftdi can set, and read back, for the AM, BM, 2232C and 232R.
struct Settings {
    int vendorId = 0x0403;
    int productId = 0x6001;
    std::string manufacturer{};
    std::string product{};
    std::string serial{};
    int maxPower = 100;  // mA
    bool selfPowered = false;
    bool remoteWakeup = false;
    bool notPnp = false;  // written on the 2232C and 232R only; never decoded
    bool isoIn = false;
    bool isoOut = false;
    bool pullDowns = false;  // never written on a BM
    bool useSerial = true;
    bool useUsbVersion = false;
    int usbVersion = 0x0200;
    // 2232C
    int channelAMode = kUart;
    int channelBMode = kUart;
    bool channelAVcp = false;  // on the 232R: bit 3 of word 0 clear
    bool channelBVcp = false;
    bool highCurrentA = false;
    bool highCurrentB = false;
    // 232R
    int invert = 0;
    std::array<int, 5> cbus{3, 2, 0, 1, 5};  // libftdi keeps 0..12 (CBUS4: 0..9) only
    bool externalOscillator = false;
    bool highDrive = false;
};

// The image libftdi builds for `chipType` (a D2XX device type) on an EEPROM of
// `eepromWords` words (64, 128 or 256; the 232R only 64). Words past libftdi's
// 128 or 256 bytes are 0. nullopt with libftdi's message when it refuses.
std::optional<Image> build(uint32_t chipType, size_t eepromWords, const Settings &settings,
                           std::string &error);

// What libftdi reads from `image`; its size selects the EEPROM type. notPnp is
// left false: libftdi does not decode it.
std::optional<Settings> decode(uint32_t chipType, std::span<const uint16_t> image, std::string &error);

}  // namespace kestrom::d2xx::oracle
