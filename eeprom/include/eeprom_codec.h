// The EEPROM image codec: program-data record <-> EEPROM words, per chip type.
// Shared by both backends; they only move words.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "ftd2xx.h"

namespace kestrom::d2xx {

using Image = std::vector<uint16_t>;

// Buffer sizes (NUL included) the driver assumes behind the record's text pointers.
inline constexpr size_t kManufacturerCapacity = 36;
inline constexpr size_t kManufacturerIdCapacity = 20;
inline constexpr size_t kDescriptionCapacity = 68;
inline constexpr size_t kSerialNumberCapacity = 20;
// And behind the text pointers of FT_EEPROM_Read and FT_EEPROM_Program.
inline constexpr size_t kChipManufacturerCapacity = 32;
inline constexpr size_t kChipManufacturerIdCapacity = 16;
inline constexpr size_t kChipDescriptionCapacity = 64;
inline constexpr size_t kChipSerialNumberCapacity = 16;

// What an EEPROM holds, decoded: the record's numeric fields (text pointers unused
// and null) and the three stored texts in UTF-8.
struct EepromContents {
    FT_PROGRAM_DATA fields{};
    std::string manufacturer;
    std::string description;
    std::string serialNumber;
    // The FT232R's USB version (word 6) has no record field; kept across programming.
    uint16_t usbVersionR = 0x0200;
    // The FT2232H, FT4232H, FT232H and X-series chips' own settings, which the record
    // has no fields for, in their D2XX structures (only the one of the chip is used).
    // Of each header only SerNumEnable and PullDownEnable are used; the rest of the
    // header is in `fields`.
    FT_EEPROM_2232H ft2232h{};
    FT_EEPROM_4232H ft4232h{};
    FT_EEPROM_232H ft232h{};
    FT_EEPROM_X_SERIES xSeries{};
};

// True for the chip types whose EEPROM layout the codec knows: AM, BM, 2232C, 232R,
// 2232H, 4232H, 232H and the X series.
bool layoutKnown(uint32_t chipType);

// Number of words a chip's configuration area spans in an EEPROM of `eepromWords`
// words: 64 on a 93C46 and on the FT232R, 128 on the X series' internal memory and
// on the larger parts (checksum in the last one).
size_t configWords(uint32_t chipType, size_t eepromWords);

// The words of `image` its configuration spans: configWords of its size, except on
// a larger part that holds a 93C46's configuration (valid in its first 64 words)
// and nothing after it, as a program that took the part for a 93C46 leaves it: its
// strings sit where a 93C46 puts them, so it reads as those 64 words.
size_t heldConfigWords(uint32_t chipType, std::span<const uint16_t> image);

bool isBlank(std::span<const uint16_t> image);

// Checksum over words [0, count - 1); the result belongs in word count - 1.
uint16_t checksum(std::span<const uint16_t> image, size_t count);

// The checksum a chip keeps in its last configuration word: the one above, except on
// the X series, whose sum passes over its user area (words 0x12-0x3F).
uint16_t chipChecksum(uint32_t chipType, std::span<const uint16_t> image, size_t count);

// Words a chip reserves for its maker (the X series' factory area, 0x40-0x4F): never
// written, kept as read, and still part of the checksum.
bool reservedWord(uint32_t chipType, size_t address);

// Not blank, long enough and its checksum matches.
bool imageValid(uint32_t chipType, std::span<const uint16_t> image);

// Decodes a valid image. FT_EEPROM_NOT_PROGRAMMED for a blank image or a bad
// checksum, FT_NOT_SUPPORTED for a chip whose layout is unknown. Never reads
// outside the image, whatever its pointers say.
FT_STATUS decode(uint32_t chipType, std::span<const uint16_t> image, EepromContents &out);

// What a chip holds when its EEPROM carries nothing: the fields an unprogrammed
// chip of that type works with.
EepromContents chipDefaults(uint32_t chipType);

// Builds the image for `contents` into `image` (whose size is the EEPROM's word
// count). Words past the configuration area keep their values, and so do the user
// area (from its first word on) and the X series' user and factory areas. Refuses texts that do not fit, invalid UTF-8, an
// option set holding more than one mode, or a setting the chip does not have (a
// drive current, a driver type, a CBUS function a pin lacks), with
// FT_INVALID_PARAMETER, leaving `image` untouched.
FT_STATUS encode(uint32_t chipType, const EepromContents &contents, std::span<uint16_t> image);

// The bytes the three string descriptors (2 + 2 per UTF-16 unit each) may take
// together on a chip with an EEPROM of `eepromWords` words; nothing for a chip
// whose layout is unknown.
std::optional<size_t> stringRoom(uint32_t chipType, size_t eepromWords);

// The record fields carried by `record` (by its Version) over `current`; texts read
// from the record's pointers. FT_INVALID_PARAMETER for a null or unterminated text.
FT_STATUS mergeRecord(const FT_PROGRAM_DATA &record, EepromContents &current);

// A text from a caller's buffer of `capacity` bytes; false when the pointer is null
// or no NUL ends the text within the buffer.
bool readCallerText(const char *text, size_t capacity, std::string &out);

// The manufacturer ID the driver gives: the serial number's first two characters.
std::string manufacturerIdOf(const EepromContents &contents);

// Copies decoded contents into a caller's record: numeric fields, and the texts into
// the buffers its pointers name (cut at a character boundary, NUL-terminated).
// The record's header and pointers are left as they are.
void fillRecord(const EepromContents &contents, FT_PROGRAM_DATA &record);

// Bytes of whole words between the end of the strings (and PnP bytes) and the
// checksum word of a valid image.
FT_STATUS userAreaSize(uint32_t chipType, std::span<const uint16_t> image, uint32_t &bytes);

}  // namespace kestrom::d2xx
