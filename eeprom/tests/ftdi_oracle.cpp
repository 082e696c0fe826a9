#include "ftdi_oracle.h"

#include <ftdi.h>

#include <memory>
#include <vector>

namespace kestrom::d2xx::oracle {
namespace {

using Context = std::unique_ptr<ftdi_context, decltype(&ftdi_free)>;

// A Settings member, libftdi's value, and for a flag what libftdi stores when it
// is set (0: a number, passed as it is).
struct Binding {
    int Settings::*member;
    ftdi_eeprom_value name;
    int on;
};
const Binding kBindings[] = {{&Settings::vendorId, VENDOR_ID, 0},
                             {&Settings::productId, PRODUCT_ID, 0},
                             {&Settings::maxPower, MAX_POWER, 0},
                             {&Settings::selfPowered, SELF_POWERED, 1},
                             {&Settings::remoteWakeup, REMOTE_WAKEUP, 1},
                             {&Settings::notPnp, IS_NOT_PNP, 1},
                             {&Settings::isoIn, IN_IS_ISOCHRONOUS, 1},
                             {&Settings::isoOut, OUT_IS_ISOCHRONOUS, 1},
                             {&Settings::pullDowns, SUSPEND_PULL_DOWNS, 1},
                             {&Settings::useSerial, USE_SERIAL, 1},
                             {&Settings::useUsbVersion, USE_USB_VERSION, 1},
                             {&Settings::usbVersion, USB_VERSION, 0},
                             {&Settings::channelAMode, CHANNEL_A_TYPE, 0},
                             {&Settings::channelBMode, CHANNEL_B_TYPE, 0},
                             {&Settings::channelAVcp, CHANNEL_A_DRIVER, DRIVER_VCP},
                             {&Settings::channelBVcp, CHANNEL_B_DRIVER, DRIVER_VCP},
                             {&Settings::highCurrentA, HIGH_CURRENT_A, HIGH_CURRENT_DRIVE},
                             {&Settings::highCurrentB, HIGH_CURRENT_B, HIGH_CURRENT_DRIVE},
                             {&Settings::invert, INVERT, 0},
                             {&Settings::externalOscillator, EXTERNAL_OSCILLATOR, 1},
                             {&Settings::highDrive, HIGH_CURRENT, HIGH_CURRENT_DRIVE_R},
                             {&Settings::suspendDbus7, SUSPEND_DBUS7, 1},
                             {&Settings::channelCVcp, CHANNEL_C_DRIVER, 1},
                             {&Settings::channelDVcp, CHANNEL_D_DRIVER, 1},
                             {&Settings::powerSave, POWER_SAVE, 1},
                             {&Settings::clockPolarity, CLOCK_POLARITY, 1},
                             {&Settings::dataOrder, DATA_ORDER, 1},
                             {&Settings::flowControl, FLOW_CONTROL, 1}};

// The values libftdi keeps in arrays: each array, and the name of its first element
// with the step to the next.
struct ArrayBinding {
    int &(*at)(Settings &, int);
    int count;
    int first, step;
};
const ArrayBinding kArrays[] = {
    {[](Settings &s, int i) -> int & { return s.cbus[i]; }, 10, CBUS_FUNCTION_0, 1},
    {[](Settings &s, int i) -> int & { return s.rs485[i]; }, 4, CHANNEL_A_RS485, 1},
    {[](Settings &s, int i) -> int & { return s.drive[i]; }, 4, GROUP0_DRIVE, 3},
    {[](Settings &s, int i) -> int & { return s.schmitt[i]; }, 4, GROUP0_SCHMITT, 3},
    {[](Settings &s, int i) -> int & { return s.slew[i]; }, 4, GROUP0_SLEW, 3}};

// A context holding libftdi's defaults for the chip and EEPROM size with `values`
// set over them, built once so that its image size is set.
Context prepare(uint32_t chipType, size_t words, const Texts &texts, std::span<const Assignment> values,
                std::string &error) {
    const ftdi_chip_type types[] = {TYPE_BM, TYPE_AM,    TYPE_AM,    TYPE_AM,   TYPE_2232C,
                                    TYPE_R,  TYPE_2232H, TYPE_4232H, TYPE_232H, TYPE_230X};
    // libftdi picks its image size from the EEPROM type byte; the 232R and the X
    // series have one size.
    const bool internal = chipType == FT_DEVICE_232R || chipType == FT_DEVICE_X_SERIES;
    const int typeByte = internal ? 0 : words == 64 ? 0x46 : words == 128 ? 0x56 : 0x66;
    Context ftdi(ftdi_new(), ftdi_free);
    ftdi->type = types[chipType];
    // initdefaults insists on an open device but never touches it; put the dummy
    // back at once so that ftdi_free does not try to close it.
    char dummy = 0;
    ftdi->usb_dev = reinterpret_cast<libusb_device_handle *>(&dummy);
    std::string strings[] = {texts.manufacturer, texts.product, texts.serial};
    int rc = ftdi_eeprom_initdefaults(ftdi.get(), strings[0].data(), strings[1].data(), strings[2].data());
    ftdi->usb_dev = nullptr;
    if (rc == 0 && typeByte != 0) rc = ftdi_set_eeprom_value(ftdi.get(), CHIP_TYPE, typeByte);
    for (const Assignment &a : values)
        if (rc == 0) rc = ftdi_set_eeprom_value(ftdi.get(), ftdi_eeprom_value(a.name), a.value);
    if (rc != 0 || ftdi_eeprom_build(ftdi.get()) < 0) {
        error = ftdi_get_error_string(ftdi.get());
        ftdi.reset();
    }
    return ftdi;
}

std::vector<Assignment> assignments(const Settings &s) {
    Settings values = s;
    std::vector<Assignment> out;
    for (const Binding &b : kBindings) {
        const int value = s.*b.member;
        out.push_back({b.name, b.on && value ? b.on : value});
    }
    for (const ArrayBinding &a : kArrays)
        for (int i = 0; i < a.count; ++i) out.push_back({a.first + i * a.step, a.at(values, i)});
    return out;
}

int imageBytes(ftdi_context *ftdi) {
    int bytes = 0;
    ftdi_get_eeprom_value(ftdi, CHIP_SIZE, &bytes);
    return bytes;
}

}  // namespace

std::optional<Image> buildValues(uint32_t chipType, size_t eepromWords, const Texts &texts,
                                 std::span<const Assignment> values, std::string &error) {
    Context ftdi = prepare(chipType, eepromWords, texts, values, error);
    if (!ftdi) return std::nullopt;
    std::vector<unsigned char> buffer(static_cast<size_t>(imageBytes(ftdi.get())));
    ftdi_get_eeprom_buf(ftdi.get(), buffer.data(), static_cast<int>(buffer.size()));
    Image image(eepromWords, 0);
    for (size_t i = 0; i < buffer.size() / 2 && i < image.size(); ++i)
        image[i] = static_cast<uint16_t>(buffer[2 * i] | buffer[2 * i + 1] << 8);
    return image;
}

std::optional<Image> build(uint32_t chipType, size_t eepromWords, const Settings &s, std::string &error) {
    return buildValues(chipType, eepromWords, {s.manufacturer, s.product, s.serial}, assignments(s), error);
}

std::optional<Decoded> decodeValues(uint32_t chipType, std::span<const uint16_t> image, std::string &error) {
    Context ftdi = prepare(chipType, image.size(), Texts{}, {}, error);
    if (!ftdi) return std::nullopt;
    std::vector<unsigned char> buffer;
    for (size_t i = 0; i < static_cast<size_t>(imageBytes(ftdi.get())) / 2 && i < image.size(); ++i) {
        buffer.push_back(static_cast<unsigned char>(image[i] & 0xFF));
        buffer.push_back(static_cast<unsigned char>(image[i] >> 8));
    }
    if (ftdi_set_eeprom_buf(ftdi.get(), buffer.data(), static_cast<int>(buffer.size())) != 0 ||
        ftdi_eeprom_decode(ftdi.get(), 0) != 0) {
        error = ftdi_get_error_string(ftdi.get());
        return std::nullopt;
    }
    Decoded out;
    for (int name = VENDOR_ID; name <= USER_DATA_ADDR; ++name) {
        int value = 0;
        if (ftdi_get_eeprom_value(ftdi.get(), ftdi_eeprom_value(name), &value) == 0) out.values[name] = value;
    }
    char texts[3][256] = {};
    ftdi_eeprom_get_strings(ftdi.get(), texts[0], 256, texts[1], 256, texts[2], 256);
    out.texts = {texts[0], texts[1], texts[2]};
    return out;
}

std::optional<Settings> decode(uint32_t chipType, std::span<const uint16_t> image, std::string &error) {
    std::optional<Decoded> decoded = decodeValues(chipType, image, error);
    if (!decoded) return std::nullopt;
    Settings s;
    for (const Binding &b : kBindings) {
        s.*b.member = decoded->values[b.name];
        if (b.on) s.*b.member = s.*b.member != 0;
    }
    for (const ArrayBinding &a : kArrays)
        for (int i = 0; i < a.count; ++i) a.at(s, i) = decoded->values[a.first + i * a.step];
    s.manufacturer = decoded->texts.manufacturer, s.product = decoded->texts.product;
    s.serial = decoded->texts.serial;
    return s;
}

}  // namespace kestrom::d2xx::oracle
