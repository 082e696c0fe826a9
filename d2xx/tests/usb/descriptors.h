// What a virtual chip tells the host about itself: the USB device, configuration
// and string descriptors, as the chip builds them at power-up from its EEPROM.
//
// A chip whose EEPROM is blank or fails its checksum enumerates with its
// defaults (VID 0x0403, PID 0x6001, 0x6010 for the FT2232C and FT2232H, 0x6011
// for the FT4232H, 0x6014 for the FT232H, 0x6015 for the X series; "FTDI", the
// chip's own product string, no serial number). The X series' checksum passes over
// its user area (words 0x12-0x3F). Otherwise the IDs, power settings and
// strings come from the EEPROM: words 1 and 2 hold the IDs, word 4 the power
// attributes, words 7, 8 and 9 point at the stored string descriptors (low byte:
// byte offset with bit 7 set, which the part's address width folds away on a
// 93C46; high byte: length). The serial number is reported by the FT8U232AM
// always, by the other chips when word 5 enables it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace kestrom::virtualchip {

enum class ChipKind { FT8U232AM, FT232BM, FT2232C, FT232R, FT2232H, FT4232H, FT232H, FTX };

// The release number (bcdDevice) by which the host tells the chips apart.
uint16_t releaseNumber(ChipKind kind);
// One interface a serial port: two on the FT2232C and FT2232H, four on the FT4232H.
uint8_t interfaceCount(ChipKind kind);
// The words of the EEPROM's configuration area: 64 on a 93C46 and the FT232R, else 128.
size_t configurationWords(size_t eepromWords);
// The chips with an internal memory of their own: its size in words (FT232R 64, X
// series 128); 0 for the chips with an EEPROM beside them.
size_t internalWords(ChipKind kind);

struct Descriptors {
    uint16_t vendor = 0;
    uint16_t product = 0;
    std::vector<uint8_t> device;         // the 18-byte device descriptor
    std::vector<uint8_t> configuration;  // configuration, interfaces and endpoints, as one block
    // String descriptors by index: 0 the languages, 1 manufacturer, 2 product, 3 serial
    // number; an empty one is not there.
    std::vector<std::vector<uint8_t>> strings;
};

Descriptors enumerate(ChipKind kind, const std::vector<uint16_t> &eeprom);

// A string descriptor for an ASCII text.
std::vector<uint8_t> stringDescriptor(const std::string &text);

}  // namespace kestrom::virtualchip
