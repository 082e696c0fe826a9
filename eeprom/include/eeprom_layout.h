// Where things sit in a configuration EEPROM; shared by the decoder and encoder.
#pragma once

#include "ftd2xx.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace kestrom::d2xx::layout {

inline constexpr uint16_t kBlankWord = 0xFFFF;
inline constexpr uint8_t kStringDescriptorType = 0x03;

// Words 1-9 are common to every chip.
inline constexpr size_t kVendorIdWord = 1;
inline constexpr size_t kProductIdWord = 2;
inline constexpr size_t kBcdDeviceWord = 3;
inline constexpr size_t kPowerWord = 4;
inline constexpr size_t kOptionsWord = 5;
inline constexpr size_t kUsbVersionWord = 6;
inline constexpr size_t kManufacturerPointerWord = 7;
inline constexpr size_t kProductPointerWord = 8;
inline constexpr size_t kSerialPointerWord = 9;

// Word 4, low byte.
inline constexpr uint8_t kPowerAlwaysSet = 0x80;
inline constexpr uint8_t kSelfPoweredBit = 0x40;
inline constexpr uint8_t kRemoteWakeupBit = 0x20;
inline constexpr unsigned kMilliampsPerPowerUnit = 2;

// Word 5, low byte (BM; channel A on the FT2232C).
inline constexpr uint8_t kIsoInBit = 0x01;
inline constexpr uint8_t kIsoOutBit = 0x02;
inline constexpr uint8_t kPullDownBit = 0x04;
inline constexpr uint8_t kSerialNumberBit = 0x08;
inline constexpr uint8_t kUsbVersionBit = 0x10;
inline constexpr uint8_t kIsoInBBit = 0x20;
inline constexpr uint8_t kIsoOutBBit = 0x40;

// FT2232C word 0: one byte per channel.
inline constexpr uint8_t kModeMask = 0x07;
inline constexpr uint8_t kModeFifo = 0x01;
inline constexpr uint8_t kModeFastSerial = 0x02;
inline constexpr uint8_t kModeFifoTarget = 0x04;
inline constexpr uint8_t kVcpBit = 0x08;
inline constexpr uint8_t kHighCurrentBit = 0x10;
inline constexpr size_t kEepromTypeWord = 10;

// FT232R word 0, low byte; CBUS nibbles in words 10 and 11.
inline constexpr uint8_t kExternalOscillatorBit = 0x02;
inline constexpr uint8_t kHighDriveBit = 0x04;
inline constexpr uint8_t kD2xxDriverBit = 0x08;
inline constexpr size_t kCbusWord = 10;
inline constexpr size_t kCbus4Word = 11;

// The PnP marker written after the serial-number descriptor.
inline constexpr uint8_t kPnpMarker0 = 0x02;
inline constexpr uint8_t kPnpMarker1 = 0x03;
inline constexpr size_t kPnpBytes = 3;

// The X series' memory: a user area outside the checksum, then the maker's
// factory area, both kept as they are when the configuration is written.
inline constexpr size_t kXUserAreaBegin = 0x12;
inline constexpr size_t kXFactoryBegin = 0x40;
inline constexpr size_t kXFactoryEnd = 0x50;

struct ChipLayout {
    uint16_t bcdDevice;
    size_t headerBytes;  // strings follow the header; on a 93C46 this is their offset
};

// The byte that names the EEPROM part (0x46, 0x56, 0x66), on the chips that keep one.
uint8_t eepromTypeByte(size_t eepromWords);

std::optional<ChipLayout> chipLayout(uint32_t chipType);

// Byte offset of the first string: right after the header on a 93C46 (and the
// FT232R's area), 0x80 further on in the larger parts, as the pointers read.
size_t stringAreaStart(const ChipLayout &chip, size_t configWords);

// Little-endian byte view of an image.
inline uint8_t byteAt(std::span<const uint16_t> image, size_t offset) {
    return static_cast<uint8_t>(image[offset / 2] >> (8 * (offset % 2)));
}

inline void setByte(std::span<uint16_t> image, size_t offset, uint8_t value) {
    uint16_t &word = image[offset / 2];
    const unsigned shift = 8 * (offset % 2);
    word = static_cast<uint16_t>((word & ~(0xFFu << shift)) | (unsigned(value) << shift));
}

inline uint8_t lowByte(uint16_t word) { return static_cast<uint8_t>(word & 0xFF); }
inline uint8_t highByte(uint16_t word) { return static_cast<uint8_t>(word >> 8); }
inline uint16_t makeWord(uint8_t low, uint8_t high) { return static_cast<uint16_t>(low | (high << 8)); }
inline uint8_t flag(bool set, uint8_t bit) { return set ? bit : 0; }
inline uint8_t bit(uint8_t byte, uint8_t mask) { return (byte & mask) ? 1 : 0; }

}  // namespace kestrom::d2xx::layout
