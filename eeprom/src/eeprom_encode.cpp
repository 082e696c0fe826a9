// Decoded contents -> EEPROM image for the connected chip. Everything is checked
// before the image is touched, so a refused record changes nothing.
#include "eeprom_codec.h"
#include "eeprom_layout.h"
#include "highspeed_words.h"
#include "text_codec.h"

#include <algorithm>
#include <array>
#include <vector>

namespace kestrom::d2xx {

namespace {

using namespace layout;

constexpr unsigned kMaxPowerMilliamps = 0xFF * kMilliampsPerPowerUnit;
constexpr size_t kMaxDescriptorBytes = 0xFF;

// One mode at most per channel: the chip has no meaning for two.
std::optional<uint8_t> channelByte(uint8_t fifo, uint8_t fifoTarget, uint8_t fastSerial, uint8_t vcp,
                                   uint8_t highCurrent) {
    if ((fifo != 0) + (fifoTarget != 0) + (fastSerial != 0) > 1) return std::nullopt;
    return static_cast<uint8_t>(flag(fifo, kModeFifo) | flag(fifoTarget, kModeFifoTarget) |
                                flag(fastSerial, kModeFastSerial) | flag(vcp, kVcpBit) |
                                flag(highCurrent, kHighCurrentBit));
}

// Words 0, 5, 6 and the chip's own words past the string pointers.
FT_STATUS encodeChipFields(uint32_t chipType, const EepromContents &in, size_t eepromWords,
                           std::span<uint16_t> w) {
    const FT_PROGRAM_DATA &f = in.fields;
    switch (chipType) {
        case FT_DEVICE_BM:
            w[kOptionsWord] = flag(f.IsoIn, kIsoInBit) | flag(f.IsoOut, kIsoOutBit) |
                              flag(f.PullDownEnable, kPullDownBit) | flag(f.SerNumEnable, kSerialNumberBit) |
                              flag(f.USBVersionEnable, kUsbVersionBit);
            w[kUsbVersionWord] = f.USBVersion;
            return FT_OK;
        case FT_DEVICE_2232C: {
            const auto a = channelByte(f.IFAIsFifo, f.IFAIsFifoTar, f.IFAIsFastSer, f.AIsVCP, f.AIsHighCurrent);
            const auto b = channelByte(f.IFBIsFifo, f.IFBIsFifoTar, f.IFBIsFastSer, f.BIsVCP, f.BIsHighCurrent);
            if (!a || !b) return FT_INVALID_PARAMETER;
            w[0] = makeWord(*a, *b);
            w[kOptionsWord] = flag(f.IsoInA, kIsoInBit) | flag(f.IsoOutA, kIsoOutBit) |
                              flag(f.PullDownEnable5, kPullDownBit) | flag(f.SerNumEnable5, kSerialNumberBit) |
                              flag(f.USBVersionEnable5, kUsbVersionBit) | flag(f.IsoInB, kIsoInBBit) |
                              flag(f.IsoOutB, kIsoOutBBit);
            w[kUsbVersionWord] = f.USBVersion5;
            w[kEepromTypeWord] = eepromTypeByte(eepromWords);
            return FT_OK;
        }
        case FT_DEVICE_232R: {
            const std::array<uint8_t, 4> nibbles{f.Cbus0, f.Cbus1, f.Cbus2, f.Cbus3};
            if (std::any_of(nibbles.begin(), nibbles.end(), [](uint8_t n) { return n > 0x0F; })) {
                return FT_INVALID_PARAMETER;
            }
            w[0] = makeWord(flag(f.UseExtOsc, kExternalOscillatorBit) | flag(f.HighDriveIOs, kHighDriveBit) |
                                flag(f.RIsD2XX, kD2xxDriverBit),
                            f.EndpointSize);
            const std::array<uint8_t, 8> inverts{f.InvertTXD, f.InvertRXD, f.InvertRTS, f.InvertCTS,
                                                 f.InvertDTR, f.InvertDSR, f.InvertDCD, f.InvertRI};
            uint8_t invert = 0;
            for (unsigned i = 0; i < inverts.size(); ++i) invert |= flag(inverts[i], static_cast<uint8_t>(1u << i));
            w[kOptionsWord] =
                makeWord(flag(f.PullDownEnableR, kPullDownBit) | flag(f.SerNumEnableR, kSerialNumberBit), invert);
            w[kUsbVersionWord] = in.usbVersionR;
            w[kCbusWord] = static_cast<uint16_t>(f.Cbus0 | f.Cbus1 << 4 | f.Cbus2 << 8 | f.Cbus3 << 12);
            w[kCbus4Word] = f.Cbus4;
            return FT_OK;
        }
        default:  // nothing on the AM; the Hi-Speed and X-series chips have their own
            return encodeHighSpeed(chipType, in, eepromWords, w);
    }
}

// The X series' user area and the factory area after it are not configuration:
// whatever the part holds there stays.
void keepXAreas(uint32_t chipType, std::span<const uint16_t> image, std::span<uint16_t> w) {
    if (chipType != FT_DEVICE_X_SERIES) return;
    std::copy(image.begin() + kXUserAreaBegin, image.begin() + kXFactoryEnd, w.begin() + kXUserAreaBegin);
}

// The user area (the whole words between the strings and the checksum) keeps what
// the part holds there, from its first word on as FT_EE_UARead gives it; strings
// that grew leave it less room, and its last words go.
void keepUserArea(uint32_t chipType, std::span<const uint16_t> image, size_t stringsEnd,
                  std::span<uint16_t> w) {
    uint32_t heldBytes = 0;
    if (chipType == FT_DEVICE_X_SERIES || userAreaSize(chipType, image, heldBytes) != FT_OK) return;
    const size_t checksumWord = w.size() - 1;
    const size_t firstFree = (stringsEnd + 1) / 2;
    if (firstFree >= checksumWord) return;
    const size_t held = heldBytes / 2;
    std::copy_n(image.begin() + (checksumWord - held), std::min(held, checksumWord - firstFree),
                w.begin() + firstFree);
}

struct EncodedText {
    std::u16string units;
    size_t bytes() const { return 2 + 2 * units.size(); }
};

FT_STATUS encodeTexts(const EepromContents &in, std::array<EncodedText, 3> &out) {
    const std::array<const std::string *, 3> texts{&in.manufacturer, &in.description, &in.serialNumber};
    for (size_t i = 0; i < texts.size(); ++i) {
        auto units = utf8ToUtf16(*texts[i]);
        if (!units) return FT_INVALID_PARAMETER;
        out[i].units = std::move(*units);
        if (out[i].bytes() > kMaxDescriptorBytes) return FT_INVALID_PARAMETER;
    }
    return FT_OK;
}

}  // namespace

std::optional<size_t> stringRoom(uint32_t chipType, size_t eepromWords) {
    const auto chip = chipLayout(chipType);
    if (!chip) return std::nullopt;
    const size_t words = configWords(chipType, eepromWords);
    const size_t end = (words - 1) * 2;  // the checksum word
    const size_t taken = stringAreaStart(*chip, words) + kPnpBytes;
    return end > taken ? end - taken : 0;
}

FT_STATUS encode(uint32_t chipType, const EepromContents &in, std::span<uint16_t> image) {
    const auto chip = chipLayout(chipType);
    if (!chip) return FT_NOT_SUPPORTED;
    const size_t words = configWords(chipType, image.size());
    if (image.size() < words) return FT_INVALID_PARAMETER;
    const FT_PROGRAM_DATA &f = in.fields;
    if (f.MaxPower > kMaxPowerMilliamps) return FT_INVALID_PARAMETER;

    std::array<EncodedText, 3> texts;
    if (const FT_STATUS status = encodeTexts(in, texts); status != FT_OK) return status;
    const size_t start = stringAreaStart(*chip, words);
    size_t needed = 0;
    for (const auto &t : texts) needed += t.bytes();
    if (needed > *stringRoom(chipType, image.size())) return FT_INVALID_PARAMETER;

    std::vector<uint16_t> w(words, 0);
    w[kVendorIdWord] = f.VendorId;
    w[kProductIdWord] = f.ProductId;
    w[kBcdDeviceWord] = chip->bcdDevice;
    w[kPowerWord] = makeWord(kPowerAlwaysSet | flag(f.SelfPowered, kSelfPoweredBit) |
                                 flag(f.RemoteWakeup, kRemoteWakeupBit),
                             static_cast<uint8_t>(f.MaxPower / kMilliampsPerPowerUnit));
    if (const FT_STATUS status = encodeChipFields(chipType, in, image.size(), w); status != FT_OK) return status;

    size_t at = start;
    const size_t pointerWords[] = {kManufacturerPointerWord, kProductPointerWord, kSerialPointerWord};
    for (size_t i = 0; i < texts.size(); ++i) {
        const size_t length = texts[i].bytes();
        w[pointerWords[i]] = makeWord(static_cast<uint8_t>(at | 0x80), static_cast<uint8_t>(length));
        setByte(w, at, static_cast<uint8_t>(length));
        setByte(w, at + 1, kStringDescriptorType);
        for (size_t c = 0; c < texts[i].units.size(); ++c) {
            setByte(w, at + 2 + 2 * c, lowByte(texts[i].units[c]));
            setByte(w, at + 3 + 2 * c, highByte(texts[i].units[c]));
        }
        at += length;
    }
    setByte(w, at, kPnpMarker0);
    setByte(w, at + 1, kPnpMarker1);
    setByte(w, at + 2, f.PnP ? 0x00 : 0x01);

    keepUserArea(chipType, image, at + kPnpBytes, w);
    keepXAreas(chipType, image, w);
    w[words - 1] = chipChecksum(chipType, w, words);
    std::copy(w.begin(), w.end(), image.begin());
    return FT_OK;
}

}  // namespace kestrom::d2xx
