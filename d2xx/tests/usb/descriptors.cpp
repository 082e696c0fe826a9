#include "descriptors.h"

#include <algorithm>

namespace kestrom::virtualchip {
namespace {

constexpr uint16_t kFtdiVendor = 0x0403;
constexpr uint8_t kMaxPacket = 64;
constexpr uint8_t kSerialNumberIndex = 3;

uint8_t low(uint16_t word) { return static_cast<uint8_t>(word & 0xFF); }
uint8_t high(uint16_t word) { return static_cast<uint8_t>(word >> 8); }

bool checksumMatches(ChipKind kind, const std::vector<uint16_t> &eeprom) {
    const size_t words = configurationWords(eeprom.size());
    uint16_t sum = 0xAAAA;
    for (size_t i = 0; i + 1 < words; ++i) {
        if (kind == ChipKind::FTX && i >= 0x12 && i < 0x40) continue;  // the X series' user area
        sum ^= eeprom[i];
        sum = static_cast<uint16_t>(sum << 1 | sum >> 15);
    }
    return sum == eeprom[words - 1];
}

bool programmed(ChipKind kind, const std::vector<uint16_t> &eeprom) {
    const size_t words = configurationWords(eeprom.size());
    const bool blank = std::all_of(eeprom.begin(), eeprom.begin() + static_cast<std::ptrdiff_t>(words),
                                   [](uint16_t w) { return w == 0xFFFF; });
    return !blank && checksumMatches(kind, eeprom);
}

// The descriptor a string pointer word names; empty when it points outside the part.
std::vector<uint8_t> storedString(const std::vector<uint16_t> &eeprom, uint16_t pointer) {
    const size_t bytes = eeprom.size() * 2;
    const size_t offset = low(pointer) % bytes;
    const size_t length = high(pointer);
    if (length < 2 || offset + length > bytes) return {};
    std::vector<uint8_t> text;
    for (size_t i = offset; i < offset + length; ++i) {
        const uint16_t word = eeprom[i / 2];
        text.push_back(i % 2 == 0 ? low(word) : high(word));
    }
    return text;
}

std::string defaultProduct(ChipKind kind) {
    switch (kind) {
        case ChipKind::FT2232C:
            return "Dual RS232";
        case ChipKind::FT232R:
            return "FT232R USB UART";
        case ChipKind::FT2232H:
            return "Dual RS232-HS";
        case ChipKind::FT4232H:
            return "Quad RS232-HS";
        case ChipKind::FT232H:
            return "Single RS232-HS";
        case ChipKind::FTX:
            return "FT230X Basic UART";
        default:
            return "USB <-> Serial";
    }
}

uint16_t defaultProductId(ChipKind kind) {
    switch (kind) {
        case ChipKind::FT2232C:
        case ChipKind::FT2232H:
            return 0x6010;
        case ChipKind::FT4232H:
            return 0x6011;
        case ChipKind::FT232H:
            return 0x6014;
        case ChipKind::FTX:
            return 0x6015;
        default:
            return 0x6001;
    }
}

std::vector<uint8_t> deviceDescriptor(ChipKind kind, uint16_t vendor, uint16_t product, bool serial) {
    const uint16_t usb = kind == ChipKind::FT8U232AM ? 0x0110 : 0x0200;
    const uint16_t release = releaseNumber(kind);
    return {18, 1, low(usb), high(usb), 0, 0, 0, 8, low(vendor), high(vendor), low(product), high(product),
            low(release), high(release), 1, 2, static_cast<uint8_t>(serial ? kSerialNumberIndex : 0), 1};
}

std::vector<uint8_t> configurationDescriptor(ChipKind kind, uint8_t attributes, uint8_t maxPower) {
    const uint8_t interfaces = interfaceCount(kind);
    std::vector<uint8_t> block{9, 2, 0, 0, interfaces, 1, 0, attributes, maxPower};
    for (uint8_t i = 0; i < interfaces; ++i) {
        const std::vector<uint8_t> interface{9, 4, i, 0, 2, 0xFF, 0xFF, 0xFF, 2};
        const std::vector<uint8_t> in{7, 5, static_cast<uint8_t>(0x81 + 2 * i), 2, kMaxPacket, 0, 0};
        const std::vector<uint8_t> out{7, 5, static_cast<uint8_t>(0x02 + 2 * i), 2, kMaxPacket, 0, 0};
        for (const auto *part : {&interface, &in, &out}) block.insert(block.end(), part->begin(), part->end());
    }
    block[2] = low(static_cast<uint16_t>(block.size()));
    block[3] = high(static_cast<uint16_t>(block.size()));
    return block;
}

}  // namespace

uint16_t releaseNumber(ChipKind kind) {
    switch (kind) {
        case ChipKind::FT8U232AM:
            return 0x0200;
        case ChipKind::FT232BM:
            return 0x0400;
        case ChipKind::FT2232C:
            return 0x0500;
        case ChipKind::FT232R:
            return 0x0600;
        case ChipKind::FT2232H:
            return 0x0700;
        case ChipKind::FT4232H:
            return 0x0800;
        case ChipKind::FT232H:
            return 0x0900;
        case ChipKind::FTX:
            return 0x1000;
    }
    return 0;
}

uint8_t interfaceCount(ChipKind kind) {
    switch (kind) {
        case ChipKind::FT2232C:
        case ChipKind::FT2232H:
            return 2;
        case ChipKind::FT4232H:
            return 4;
        default:
            return 1;
    }
}

size_t configurationWords(size_t eepromWords) { return eepromWords <= 64 ? eepromWords : 128; }

size_t internalWords(ChipKind kind) {
    return kind == ChipKind::FT232R ? 64 : kind == ChipKind::FTX ? 128 : 0;
}

std::vector<uint8_t> stringDescriptor(const std::string &text) {
    std::vector<uint8_t> descriptor{static_cast<uint8_t>(2 + 2 * text.size()), 3};
    for (const char c : text) descriptor.insert(descriptor.end(), {static_cast<uint8_t>(c), 0});
    return descriptor;
}

Descriptors enumerate(ChipKind kind, const std::vector<uint16_t> &eeprom) {
    Descriptors d;
    d.strings.assign(4, {});
    d.strings[0] = {4, 3, 0x09, 0x04};  // English (United States)
    uint8_t attributes = 0x80, maxPower = 45;
    if (programmed(kind, eeprom)) {
        d.vendor = eeprom[1];
        d.product = eeprom[2];
        attributes = static_cast<uint8_t>(0x80 | (low(eeprom[4]) & 0x60));
        maxPower = high(eeprom[4]);
        for (size_t i = 1; i <= 3; ++i) d.strings[i] = storedString(eeprom, eeprom[6 + i]);
        const bool serialEnabled = kind == ChipKind::FT8U232AM || (eeprom[5] & 0x08) != 0;
        if (!serialEnabled) d.strings[kSerialNumberIndex].clear();
    } else {
        d.vendor = kFtdiVendor;
        d.product = defaultProductId(kind);
        d.strings[1] = stringDescriptor("FTDI");
        d.strings[2] = stringDescriptor(defaultProduct(kind));
    }
    d.device = deviceDescriptor(kind, d.vendor, d.product, !d.strings[kSerialNumberIndex].empty());
    d.configuration = configurationDescriptor(kind, attributes, maxPower);
    return d;
}

}  // namespace kestrom::virtualchip
