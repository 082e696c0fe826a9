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
    while (size > 64 && std::equal(words.begin(), words.begin() + size / 2, words.begin() + size / 2))
        size /= 2;
    return size;
}

}  // namespace

QString chipName(uint32_t type) {
    switch (type) {
        case FT_DEVICE_BM:
            return QStringLiteral("FT232BM");
        case FT_DEVICE_AM:
            return QStringLiteral("FT8U232AM");
        case FT_DEVICE_100AX:
            return QStringLiteral("FT8U100AX");
        case FT_DEVICE_2232C:
            return QStringLiteral("FT2232C");
        case FT_DEVICE_232R:
            return QStringLiteral("FT232R");
        case FT_DEVICE_2232H:
            return QStringLiteral("FT2232H");
        case FT_DEVICE_4232H:
            return QStringLiteral("FT4232H");
        case FT_DEVICE_232H:
            return QStringLiteral("FT232H");
        case FT_DEVICE_X_SERIES:
            return QStringLiteral("FT-X");
        default:
            return QStringLiteral("UNKNOWN");
    }
}

OpenDevice::OpenDevice(platform::D2xxBinding &d2xx, int index)
    : d2xx_(d2xx), index_(index), status_(d2xx.FT_Open(index, &handle_)), open_(status_ == FT_OK) {}

OpenDevice::OpenDevice(platform::D2xxBinding &d2xx, const QString &port)
    : d2xx_(d2xx),
      index_(-1),
      status_(d2xx.KT_OpenByPort(port.toUtf8().constData(), &handle_)),
      open_(status_ == FT_OK) {}

OpenDevice::~OpenDevice() {
    close();
}

FT_STATUS OpenDevice::close() {
    if (!open_) return status_;
    open_ = false;
    return d2xx_.FT_Close(handle_);
}

FT_STATUS readIdentity(platform::D2xxBinding &d2xx, FT_HANDLE handle, ChipIdentity &identity) {
    std::array<char, kSerialBuffer> serial{};
    std::array<char, kDescriptionBuffer> description{};
    if (const FT_STATUS status = d2xx.FT_GetDeviceInfo(handle, &identity.type, &identity.id, serial.data(),
                                                       description.data(), nullptr);
        status != FT_OK) {
        return status;
    }
    serial.back() = description.back() = '\0';
    identity.serialNumber = QString::fromUtf8(serial.data());
    identity.description = QString::fromUtf8(description.data());
    return FT_OK;
}

void locate(platform::D2xxBinding &d2xx, int index, ChipIdentity &identity) {
    // The listing speaks of an index, not of a handle: its location is taken only
    // when the device listed there is this one.
    uint32_t type = 0;
    uint32_t id = 0;
    uint32_t location = 0;
    std::array<char, kSerialBuffer> serial{};
    if (d2xx.FT_GetDeviceInfoDetail(uint32_t(index), &type, &id, &location, serial.data(), nullptr) ==
        FT_OK) {
        serial.back() = '\0';
        if (type == identity.type && id == identity.id &&
            QString::fromUtf8(serial.data()) == identity.serialNumber)
            identity.location = location;
    }
}

ChipWords chipWordsOf(ChipIdentity identity, std::span<const uint16_t> addresses) {
    std::vector<uint16_t> words(addresses.begin(), addresses.end());
    words.resize(sizeByWrap(words));
    return {std::move(identity), std::move(words)};
}

FT_STATUS OpenDevice::read(ChipWords &out) {
    if (status_ != FT_OK) return status_;
    ChipIdentity identity;
    if (const FT_STATUS status = readIdentity(d2xx_, handle_, identity); status != FT_OK) return status;
    // Our own driver tells where the open chip sits without another look at the bus.
    uint32_t location = 0;
    if (d2xx_.tellsHandleLocation() && d2xx_.KT_GetHandleLocation(handle_, &location) == FT_OK) {
        identity.location = location;
    } else {
        locate(d2xx_, index_, identity);
    }
    std::vector<uint16_t> words(kLargestPart);
    for (size_t offset = 0; offset < words.size(); ++offset) {
        if (const FT_STATUS status = d2xx_.FT_ReadEE(handle_, uint32_t(offset), &words[offset]);
            status != FT_OK) {
            return status;
        }
    }
    out = chipWordsOf(std::move(identity), words);
    return FT_OK;
}

FT_STATUS OpenDevice::probeBlankPartSize(size_t &words) {
    if (status_ != FT_OK) return status_;
    constexpr uint16_t kMark = 0x0000;
    if (const FT_STATUS status = d2xx_.FT_WriteEE(handle_, 0, kMark); status != FT_OK) return status;
    words = kLargestPart;
    for (const size_t size : {size_t(64), size_t(128)}) {
        uint16_t word = kBlankWord;
        if (d2xx_.FT_ReadEE(handle_, uint32_t(size), &word) == FT_OK && word == kMark) {
            words = size;
            break;
        }
    }
    return d2xx_.FT_WriteEE(handle_, 0, kBlankWord);
}

FT_STATUS OpenDevice::write(std::span<const uint16_t> words) {
    if (status_ != FT_OK) return status_;
    // The words the chip's maker keeps (the X series' factory area) are never written.
    uint32_t type = FT_DEVICE_UNKNOWN;
    d2xx_.FT_GetDeviceInfo(handle_, &type, nullptr, nullptr, nullptr, nullptr);
    for (size_t offset = 0; offset < words.size(); ++offset) {
        if (d2xx::reservedWord(type, offset)) continue;
        if (const FT_STATUS status = d2xx_.FT_WriteEE(handle_, uint32_t(offset), words[offset]);
            status != FT_OK) {
            return status;
        }
    }
    return FT_OK;
}

FT_STATUS readChipWords(platform::D2xxBinding &d2xx, int index, ChipWords &out, bool *opened) {
    OpenDevice device(d2xx, index);
    if (opened != nullptr) *opened = device.status() == FT_OK;
    return device.read(out);
}

FT_STATUS probeBlankPartSize(platform::D2xxBinding &d2xx, int index, size_t &words) {
    OpenDevice device(d2xx, index);
    const FT_STATUS probed = device.probeBlankPartSize(words);
    const FT_STATUS closed = device.close();
    return probed != FT_OK ? probed : closed;
}

FT_STATUS writeChipWords(platform::D2xxBinding &d2xx, int index, std::span<const uint16_t> words,
                         FT_STATUS &closed) {
    OpenDevice device(d2xx, index);
    const FT_STATUS written = device.write(words);
    closed = device.close();
    return written;
}

QString checksumState(uint32_t type, std::span<const uint16_t> words) {
    if (d2xx::isBlank(words)) return QStringLiteral("blank");
    return d2xx::imageValid(type, words) ? QStringLiteral("valid") : QStringLiteral("bad checksum");
}

bool blankOrDamaged(uint32_t type, std::span<const uint16_t> words) {
    return d2xx::isBlank(words) || !d2xx::imageValid(type, words);
}

}  // namespace kestrom::safety
