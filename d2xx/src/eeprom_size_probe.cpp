#include "eeprom_size_probe.h"

#include <algorithm>
#include <span>
#include <vector>

namespace kestrom::d2xx {
namespace {

bool readRange(const WordReader &read, std::vector<uint16_t> &words, size_t from, size_t to) {
    words.resize(to);
    for (size_t address = from; address < to; ++address) {
        if (!read(address, words[address])) return false;
    }
    return true;
}

bool blank(std::span<const uint16_t> words) {
    return std::all_of(words.begin(), words.end(), [](uint16_t w) { return w == 0xFFFF; });
}

bool repeats(std::span<const uint16_t> words, size_t period) {
    return std::equal(words.begin() + static_cast<std::ptrdiff_t>(period), words.end(), words.begin());
}

}  // namespace

SizeProbe eepromWordsByWrap(const WordReader &read) {
    std::vector<uint16_t> words;
    if (!readRange(read, words, 0, 128)) return {SizeProbe::ReadFailed, 0};
    if (!blank(words) && repeats(words, 64)) return {SizeProbe::Known, 64};
    if (!readRange(read, words, 128, 256)) return {SizeProbe::ReadFailed, 0};
    if (blank(words)) return {SizeProbe::Blank, 0};
    return {SizeProbe::Known, repeats(words, 128) ? size_t{128} : size_t{256}};
}

size_t eepromWordsOfType(int typeCode) {
    switch (typeCode) {
        case 0x46:
            return 64;
        case 0x56:
            return 128;
        case 0x66:
            return 256;
        default:
            return 0;
    }
}

}  // namespace kestrom::d2xx
