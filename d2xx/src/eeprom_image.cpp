// Layout facts, the checksum and validity of an EEPROM image.
#include "eeprom_codec.h"
#include "eeprom_layout.h"

#include <algorithm>

namespace kestrom::d2xx {

namespace layout {

std::optional<ChipLayout> chipLayout(uint32_t chipType) {
    switch (chipType) {
        case FT_DEVICE_AM: return ChipLayout{0x0200, 0x14};
        case FT_DEVICE_BM: return ChipLayout{0x0400, 0x14};
        case FT_DEVICE_2232C: return ChipLayout{0x0500, 0x16};
        case FT_DEVICE_232R: return ChipLayout{0x0600, 0x18};
        default: return std::nullopt;
    }
}

size_t stringAreaStart(const ChipLayout &chip, size_t configWords) {
    return configWords <= 64 ? chip.headerBytes : (chip.headerBytes | 0x80);
}

}  // namespace layout

bool layoutKnown(uint32_t chipType) { return layout::chipLayout(chipType).has_value(); }

size_t configWords(uint32_t chipType, size_t eepromWords) {
    return (chipType == FT_DEVICE_232R || eepromWords <= 64) ? 64 : 128;
}

bool isBlank(std::span<const uint16_t> image) {
    return std::all_of(image.begin(), image.end(), [](uint16_t w) { return w == layout::kBlankWord; });
}

uint16_t checksum(std::span<const uint16_t> image, size_t count) {
    uint16_t sum = 0xAAAA;
    for (size_t i = 0; i + 1 < count && i < image.size(); ++i) {
        sum ^= image[i];
        sum = static_cast<uint16_t>((sum << 1) | (sum >> 15));
    }
    return sum;
}

bool imageValid(uint32_t chipType, std::span<const uint16_t> image) {
    const size_t words = configWords(chipType, image.size());
    if (image.size() < words) return false;
    const auto config = image.first(words);
    return !isBlank(config) && checksum(config, words) == config[words - 1];
}

}  // namespace kestrom::d2xx
