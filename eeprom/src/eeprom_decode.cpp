// EEPROM image -> decoded contents. Every byte access is checked against the
// configuration area, so a damaged image can only give odd texts, never a bad read.
#include "eeprom_codec.h"
#include "eeprom_layout.h"
#include "highspeed_words.h"
#include "text_codec.h"

#include <algorithm>

namespace kestrom::d2xx {

namespace {

using namespace layout;

struct Descriptor {
    size_t offset = 0;
    size_t length = 0;  // bytes, header included, clipped to the area
    size_t end() const { return offset + length; }
};

// Strings may not reach into the checksum word.
size_t stringLimit(size_t words) { return (words - 1) * 2; }

Descriptor descriptorAt(std::span<const uint16_t> config, size_t pointerWord) {
    const uint16_t pointer = config[pointerWord];
    const size_t mask = config.size() * 2 - 1;
    Descriptor d;
    d.offset = lowByte(pointer) & mask;
    const size_t limit = stringLimit(config.size());
    d.length = d.offset >= limit ? 0 : std::min<size_t>(highByte(pointer), limit - d.offset);
    return d;
}

std::string readText(std::span<const uint16_t> config, const Descriptor &d) {
    std::u16string text;
    for (size_t at = d.offset + 2; at + 1 < d.end(); at += 2) {
        text += static_cast<char16_t>(makeWord(byteAt(config, at), byteAt(config, at + 1)));
    }
    return utf16ToUtf8(text);
}

// PnP is on unless our marker after the serial descriptor says it is off.
struct PnpMarker {
    bool present = false;
    uint16_t pnp = 1;
};

PnpMarker pnpMarker(std::span<const uint16_t> config, const Descriptor &serial) {
    const size_t at = serial.end();
    if (serial.length == 0 || at + kPnpBytes > stringLimit(config.size())) return {};
    if (byteAt(config, at) != kPnpMarker0 || byteAt(config, at + 1) != kPnpMarker1) return {};
    return {true, static_cast<uint16_t>(byteAt(config, at + 2) == 0 ? 1 : 0)};
}

void decodeChannel(uint8_t channel, uint8_t &fifo, uint8_t &fifoTarget, uint8_t &fastSerial, uint8_t &vcp,
                   uint8_t &highCurrent) {
    fifo = bit(channel, kModeFifo);
    fastSerial = bit(channel, kModeFastSerial);
    fifoTarget = bit(channel, kModeFifoTarget);
    vcp = bit(channel, kVcpBit);
    highCurrent = bit(channel, kHighCurrentBit);
}

void decodeChipFields(uint32_t chipType, std::span<const uint16_t> w, EepromContents &out) {
    FT_PROGRAM_DATA &f = out.fields;
    const uint8_t options = lowByte(w[kOptionsWord]);
    switch (chipType) {
        case FT_DEVICE_BM:
            f.Rev4 = w[kBcdDeviceWord] == 0x0400;
            f.IsoIn = bit(options, kIsoInBit);
            f.IsoOut = bit(options, kIsoOutBit);
            f.PullDownEnable = bit(options, kPullDownBit);
            f.SerNumEnable = bit(options, kSerialNumberBit);
            f.USBVersionEnable = bit(options, kUsbVersionBit);
            f.USBVersion = w[kUsbVersionWord];
            break;
        case FT_DEVICE_2232C:
            f.Rev5 = w[kBcdDeviceWord] == 0x0500;
            f.IsoInA = bit(options, kIsoInBit);
            f.IsoOutA = bit(options, kIsoOutBit);
            f.PullDownEnable5 = bit(options, kPullDownBit);
            f.SerNumEnable5 = bit(options, kSerialNumberBit);
            f.USBVersionEnable5 = bit(options, kUsbVersionBit);
            f.IsoInB = bit(options, kIsoInBBit);
            f.IsoOutB = bit(options, kIsoOutBBit);
            f.USBVersion5 = w[kUsbVersionWord];
            decodeChannel(lowByte(w[0]), f.IFAIsFifo, f.IFAIsFifoTar, f.IFAIsFastSer, f.AIsVCP, f.AIsHighCurrent);
            decodeChannel(highByte(w[0]), f.IFBIsFifo, f.IFBIsFifoTar, f.IFBIsFastSer, f.BIsVCP, f.BIsHighCurrent);
            break;
        case FT_DEVICE_232R: {
            const uint8_t config = lowByte(w[0]);
            f.UseExtOsc = bit(config, kExternalOscillatorBit);
            f.HighDriveIOs = bit(config, kHighDriveBit);
            f.RIsD2XX = bit(config, kD2xxDriverBit);
            f.EndpointSize = highByte(w[0]);
            f.PullDownEnableR = bit(options, kPullDownBit);
            f.SerNumEnableR = bit(options, kSerialNumberBit);
            const uint8_t invert = highByte(w[kOptionsWord]);
            uint8_t *inverts[] = {&f.InvertTXD, &f.InvertRXD, &f.InvertRTS, &f.InvertCTS,
                                  &f.InvertDTR, &f.InvertDSR, &f.InvertDCD, &f.InvertRI};
            for (unsigned i = 0; i < 8; ++i) *inverts[i] = bit(invert, static_cast<uint8_t>(1u << i));
            const uint16_t cbus = w[kCbusWord];
            f.Cbus0 = cbus & 0x0F;
            f.Cbus1 = (cbus >> 4) & 0x0F;
            f.Cbus2 = (cbus >> 8) & 0x0F;
            f.Cbus3 = (cbus >> 12) & 0x0F;
            f.Cbus4 = lowByte(w[kCbus4Word]);
            out.usbVersionR = w[kUsbVersionWord];
            break;
        }
        default:  // the AM carries nothing beyond the common words
            break;
    }
}

}  // namespace

FT_STATUS decode(uint32_t chipType, std::span<const uint16_t> image, EepromContents &out) {
    if (!layoutKnown(chipType)) return FT_NOT_SUPPORTED;
    if (!imageValid(chipType, image)) return FT_EEPROM_NOT_PROGRAMMED;
    const auto w = image.first(heldConfigWords(chipType, image));

    out = EepromContents{};
    FT_PROGRAM_DATA &f = out.fields;
    f.VendorId = w[kVendorIdWord];
    f.ProductId = w[kProductIdWord];
    const uint8_t power = lowByte(w[kPowerWord]);
    f.SelfPowered = bit(power, kSelfPoweredBit);
    f.RemoteWakeup = bit(power, kRemoteWakeupBit);
    f.MaxPower = static_cast<uint16_t>(highByte(w[kPowerWord]) * kMilliampsPerPowerUnit);
    decodeChipFields(chipType, w, out);
    decodeHighSpeed(chipType, w, out);

    out.manufacturer = readText(w, descriptorAt(w, kManufacturerPointerWord));
    out.description = readText(w, descriptorAt(w, kProductPointerWord));
    const Descriptor serial = descriptorAt(w, kSerialPointerWord);
    out.serialNumber = readText(w, serial);
    f.PnP = pnpMarker(w, serial).pnp;
    return FT_OK;
}

FT_STATUS userAreaSize(uint32_t chipType, std::span<const uint16_t> image, uint32_t &bytes) {
    if (!layoutKnown(chipType)) return FT_NOT_SUPPORTED;
    if (!imageValid(chipType, image)) return FT_EEPROM_NOT_PROGRAMMED;
    const auto w = image.first(heldConfigWords(chipType, image));

    size_t end = chipLayout(chipType)->headerBytes;
    for (size_t pointerWord : {kManufacturerPointerWord, kProductPointerWord, kSerialPointerWord}) {
        end = std::max(end, descriptorAt(w, pointerWord).end());
    }
    const Descriptor serial = descriptorAt(w, kSerialPointerWord);
    if (pnpMarker(w, serial).present) end = std::max(end, serial.end() + kPnpBytes);

    const size_t firstFreeWord = (end + 1) / 2;
    const size_t checksumWord = w.size() - 1;
    bytes = firstFreeWord < checksumWord ? static_cast<uint32_t>((checksumWord - firstFreeWord) * 2) : 0;
    return FT_OK;
}

}  // namespace kestrom::d2xx
