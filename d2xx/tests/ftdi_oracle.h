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

// What libftdi can set, and read back, for the AM, BM, 2232C and 232R (flags 0 or 1).
struct Settings {
    int vendorId = 0x0403, productId = 0x6001;
    std::string manufacturer{}, product{}, serial{};
    int maxPower = 100;  // mA
    int selfPowered = 0, remoteWakeup = 0;
    int notPnp = 0;  // written on the 2232C and 232R only; never decoded
    int isoIn = 0, isoOut = 0;
    int pullDowns = 0;  // never written on a BM
    int useSerial = 1, useUsbVersion = 0, usbVersion = 0x0200;
    int channelAMode = kUart, channelBMode = kUart;  // 2232C
    int channelAVcp = 0;                             // also the 232R's: bit 3 of word 0 clear
    int channelBVcp = 0, highCurrentA = 0, highCurrentB = 0;
    int invert = 0;                          // 232R
    std::array<int, 5> cbus{3, 2, 0, 1, 5};  // libftdi keeps 0..12 (CBUS4: 0..9) only
    int externalOscillator = 0, highDrive = 0;
};

// The image libftdi builds for `chipType` (a D2XX device type) on an EEPROM of
// `eepromWords` words (64, 128 or 256; the 232R only 64); words past libftdi's
// image are 0. nullopt with libftdi's message when it refuses.
std::optional<Image> build(uint32_t chipType, size_t eepromWords, const Settings &settings,
                           std::string &error);

// What libftdi reads from `image`; its size selects the EEPROM type.
std::optional<Settings> decode(uint32_t chipType, std::span<const uint16_t> image, std::string &error);

}  // namespace kestrom::d2xx::oracle
