// libftdi1's own EEPROM builder and decoder, driven without a device, as an
// independent check on our codec. Values are in libftdi's terms; the header keeps
// libftdi's names out of the tests.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <string>

#include "eeprom_codec.h"

namespace kestrom::d2xx::oracle {

// Channel modes as libftdi numbers them (the EEPROM's own values).
enum ChannelMode : int { kUart = 0, kFifo245 = 1, kFastSerial = 2, kCpuFifo = 4, kFt1248 = 8 };

// What libftdi can set, and read back, for every chip (flags 0 or 1).
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
    int invert = 0;                                          // 232R, X series
    std::array<int, 10> cbus{3, 2, 0, 1, 5, 0, 0, 0, 0, 0};  // 232R: 0..12 (CBUS4: 0..9); 232H 10, X 7 pins
    int externalOscillator = 0, highDrive = 0;
    // Hi-Speed chips; pin groups 0-3, drive 0-3 for 4-16 mA.
    int suspendDbus7 = 0;                  // 2232H: power save on BCBUS7
    int channelCVcp = 0, channelDVcp = 0;  // 4232H
    std::array<int, 4> rs485{};            // 4232H: RI as transmit enable, ports A-D
    std::array<int, 4> drive{}, schmitt{}, slew{};
    int powerSave = 0, clockPolarity = 0, dataOrder = 0, flowControl = 0;  // 232H
};

// The image libftdi builds for `chipType` (a D2XX device type) on an EEPROM of
// `eepromWords` words (64, 128 or 256; the 232R only 64, the X series 128); words
// past libftdi's image are 0. nullopt with libftdi's message when it refuses. On the
// X series the checksum word is not to be trusted: libftdi sums the factory area as
// it reads it from a chip, and there is none here.
std::optional<Image> build(uint32_t chipType, size_t eepromWords, const Settings &settings,
                           std::string &error);

// What libftdi reads from `image`; its size selects the EEPROM type.
std::optional<Settings> decode(uint32_t chipType, std::span<const uint16_t> image, std::string &error);

// The same by libftdi's own numbers of its values (enum ftdi_eeprom_value), for a
// table that names them: each value set in turn over libftdi's defaults for the chip.
struct Texts {
    std::string manufacturer, product, serial;
};
struct Assignment {
    int name;
    int value;
};
std::optional<Image> buildValues(uint32_t chipType, size_t eepromWords, const Texts &texts,
                                 std::span<const Assignment> values, std::string &error);
struct Decoded {
    std::map<int, int> values;  // every value libftdi holds, by its number
    Texts texts;
};
std::optional<Decoded> decodeValues(uint32_t chipType, std::span<const uint16_t> image, std::string &error);

}  // namespace kestrom::d2xx::oracle
