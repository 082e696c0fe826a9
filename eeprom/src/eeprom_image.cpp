// Layout facts, the checksum and validity of an EEPROM image.
#include "eeprom_codec.h"
#include "eeprom_layout.h"

#include <algorithm>
#include <vector>

namespace kestrom::d2xx {

namespace layout {

std::optional<ChipLayout> chipLayout(uint32_t chipType) {
    switch (chipType) {
        case FT_DEVICE_AM: return ChipLayout{0x0200, 0x14};
        case FT_DEVICE_BM: return ChipLayout{0x0400, 0x14};
        case FT_DEVICE_2232C: return ChipLayout{0x0500, 0x16};
        case FT_DEVICE_232R: return ChipLayout{0x0600, 0x18};
        case FT_DEVICE_2232H: return ChipLayout{0x0700, 0x1A};
        case FT_DEVICE_4232H: return ChipLayout{0x0800, 0x1A};
        case FT_DEVICE_232H: return ChipLayout{0x0900, 0x20};
        case FT_DEVICE_X_SERIES: return ChipLayout{0x1000, 0x20};  // strings after the factory area, at 0xA0
        default: return std::nullopt;
    }
}

size_t stringAreaStart(const ChipLayout &chip, size_t configWords) {
    return configWords <= 64 ? chip.headerBytes : (chip.headerBytes | 0x80);
}

uint8_t eepromTypeByte(size_t eepromWords) {
    if (eepromWords >= 256) return 0x66;
    return eepromWords >= 128 ? 0x56 : 0x46;
}

}  // namespace layout

bool layoutKnown(uint32_t chipType) { return layout::chipLayout(chipType).has_value(); }

size_t configWords(uint32_t chipType, size_t eepromWords) {
    if (chipType == FT_DEVICE_232R) return 64;
    if (chipType == FT_DEVICE_X_SERIES) return 128;
    return eepromWords <= 64 ? 64 : 128;
}

size_t heldConfigWords(uint32_t chipType, std::span<const uint16_t> image) {
    constexpr size_t kSmallPart = 64;
    const size_t words = configWords(chipType, image.size());
    if (words <= kSmallPart || configWords(chipType, kSmallPart) != kSmallPart || image.size() < words) return words;
    const auto small = image.first(kSmallPart);
    const bool smallValid = !isBlank(small) && checksum(small, kSmallPart) == small.back();
    return smallValid && isBlank(image.subspan(kSmallPart, words - kSmallPart)) ? kSmallPart : words;
}

bool reservedWord(uint32_t chipType, size_t address) {
    return chipType == FT_DEVICE_X_SERIES && address >= layout::kXFactoryBegin && address < layout::kXFactoryEnd;
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

uint16_t chipChecksum(uint32_t chipType, std::span<const uint16_t> image, size_t count) {
    if (chipType != FT_DEVICE_X_SERIES) return checksum(image, count);
    // Words 0-0x11, then from the factory area on; the user area between is left out.
    std::vector<uint16_t> summed(image.begin(), image.begin() + std::min(image.size(), layout::kXUserAreaBegin));
    if (image.size() > layout::kXFactoryBegin) summed.insert(summed.end(), image.begin() + layout::kXFactoryBegin, image.end());
    const size_t skipped = layout::kXFactoryBegin - layout::kXUserAreaBegin;
    return checksum(summed, count > layout::kXFactoryBegin ? count - skipped : std::min(count, summed.size()));
}

bool imageValid(uint32_t chipType, std::span<const uint16_t> image) {
    const size_t words = heldConfigWords(chipType, image);
    if (image.size() < words) return false;
    const auto config = image.first(words);
    return !isBlank(config) && chipChecksum(chipType, config, words) == config[words - 1];
}

}  // namespace kestrom::d2xx
