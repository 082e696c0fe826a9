// How many words the EEPROM behind an FTDI chip holds, told from what it reads back.
//
// The chip sends eight address bits; a 93C46 (64 words) ignores the top two and a
// 93C56 (128 words) the top one, so their contents repeat: words 64..127 of a
// 93C46 read words 0..63, and words 128..255 of a 93C56 read words 0..127. A
// 93C66 (256 words) repeats nothing. A blank EEPROM (0xFFFF everywhere) repeats
// whatever its size, and so does a board with no EEPROM at all: only writing
// tells those apart.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

namespace kestrom::d2xx {

using WordReader = std::function<bool(size_t address, uint16_t &value)>;

struct SizeProbe {
    enum Result { Known, Blank, ReadFailed };
    Result result = ReadFailed;
    size_t words = 0;  // 64, 128 or 256 when Known
};

// Reads words 0..127, and 128..255 only when the first half does not settle it.
SizeProbe eepromWordsByWrap(const WordReader &read);

// Words of the EEPROM type codes 0x46, 0x56 and 0x66; 0 for anything else.
size_t eepromWordsOfType(int typeCode);

}  // namespace kestrom::d2xx
