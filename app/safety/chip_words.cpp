#include "chip_words.h"

#include <algorithm>
#include <array>

#include "eeprom_codec.h"

namespace kestrom::safety {

namespace {

constexpr size_t kLargestPart = 256;
constexpr uint16_t kBlankWord = 0xFFFF;

// Device-info text buffers, as the D2XX calls fill them.
constexpr size_t kSerialBuffer = 16;
constexpr size_t kDescriptionBuffer = 64;

// The smallest size the part's addresses repeat at: the second half of every
// larger size equals its first.
size_t sizeByWrap(std::span<const uint16_t> words) {
    size_t size = words.size();
    while (size > 64 && std::equal(words.begin(), words.begin() + size / 2, words.begin() + size / 2)) size /= 2;
    return size;
}

}  // namespace

QString chipName(uint32_t type) {
    switch (type) {
        case FT_DEVICE_BM: return QStringLiteral("FT232BM");
        case FT_DEVICE_AM: return QStringLiteral("FT8U232AM");
        case FT_DEVICE_100AX: return QStringLiteral("FT8U100AX");
        case FT_DEVICE_2232C: return QStringLiteral("FT2232C");
        case FT_DEVICE_232R: return QStringLiteral("FT232R");
        case FT_DEVICE_2232H: return QStringLiteral("FT2232H");
        case FT_DEVICE_4232H: return QStringLiteral("FT4232H");
        case FT_DEVICE_232H: return QStringLiteral("FT232H");
        case FT_DEVICE_X_SERIES: return QStringLiteral("FT-X");
        default: return QStringLiteral("UNKNOWN");
    }
}

OpenDevice::OpenDevice(platform::D2xxBinding &d2xx, int index)
    : d2xx_(d2xx), status_(d2xx.FT_Open(index, &handle_)), open_(status_ == FT_OK) {}

OpenDevice::~OpenDevice() { close(); }

FT_STATUS OpenDevice::close() {
    if (!open_) return status_;
    open_ = false;
    return d2xx_.FT_Close(handle_);
}

FT_STATUS readIdentity(platform::D2xxBinding &d2xx, FT_HANDLE handle, ChipIdentity &identity) {
    std::array<char, kSerialBuffer> serial{};
    std::array<char, kDescriptionBuffer> description{};
    if (const FT_STATUS status =
            d2xx.FT_GetDeviceInfo(handle, &identity.type, &identity.id, serial.data(), description.data(), nullptr);
        status != FT_OK) {
        return status;
    }
    serial.back() = description.back() = '\0';
    identity.serialNumber = QString::fromUtf8(serial.data());
    identity.description = QString::fromUtf8(description.data());
    return FT_OK;
}

FT_STATUS readChipWords(platform::D2xxBinding &d2xx, int index, ChipWords &out, bool *opened) {
    OpenDevice device(d2xx, index);
    if (opened != nullptr) *opened = device.status() == FT_OK;
    if (device.status() != FT_OK) return device.status();
    ChipIdentity identity;
    if (const FT_STATUS status = readIdentity(d2xx, device.handle(), identity); status != FT_OK) return status;

    std::vector<uint16_t> words(kLargestPart);
    for (size_t offset = 0; offset < words.size(); ++offset) {
        if (const FT_STATUS status = d2xx.FT_ReadEE(device.handle(), uint32_t(offset), &words[offset]);
            status != FT_OK) {
            return status;
        }
    }
    words.resize(sizeByWrap(words));
    device.close();  // the words are read: a close that fails takes nothing from them
    out = {std::move(identity), std::move(words)};
    return FT_OK;
}

FT_STATUS probeBlankPartSize(platform::D2xxBinding &d2xx, int index, size_t &words) {
    OpenDevice device(d2xx, index);
    if (device.status() != FT_OK) return device.status();
    constexpr uint16_t kMark = 0x0000;
    if (const FT_STATUS status = d2xx.FT_WriteEE(device.handle(), 0, kMark); status != FT_OK) return status;
    words = kLargestPart;
    for (const size_t size : {size_t(64), size_t(128)}) {
        uint16_t word = kBlankWord;
        if (d2xx.FT_ReadEE(device.handle(), uint32_t(size), &word) == FT_OK && word == kMark) {
            words = size;
            break;
        }
    }
    const FT_STATUS restored = d2xx.FT_WriteEE(device.handle(), 0, kBlankWord);
    const FT_STATUS closed = device.close();
    return restored != FT_OK ? restored : closed;
}

FT_STATUS writeChipWords(platform::D2xxBinding &d2xx, int index, std::span<const uint16_t> words) {
    OpenDevice device(d2xx, index);
    if (device.status() != FT_OK) return device.status();
    // The words the chip's maker keeps (the X series' factory area) are never written.
    uint32_t type = FT_DEVICE_UNKNOWN;
    d2xx.FT_GetDeviceInfo(device.handle(), &type, nullptr, nullptr, nullptr, nullptr);
    for (size_t offset = 0; offset < words.size(); ++offset) {
        if (d2xx::reservedWord(type, offset)) continue;
        if (const FT_STATUS status = d2xx.FT_WriteEE(device.handle(), uint32_t(offset), words[offset]);
            status != FT_OK) {
            return status;
        }
    }
    return device.close();
}

QString checksumState(uint32_t type, std::span<const uint16_t> words) {
    if (d2xx::isBlank(words)) return QStringLiteral("blank");
    return d2xx::imageValid(type, words) ? QStringLiteral("valid") : QStringLiteral("bad checksum");
}

bool blankOrDamaged(uint32_t type, std::span<const uint16_t> words) {
    return d2xx::isBlank(words) || !d2xx::imageValid(type, words);
}

}  // namespace kestrom::safety
