#include "ftdi_oracle.h"

#include <ftdi.h>

#include <memory>
#include <vector>

namespace kestrom::d2xx::oracle {
namespace {

using Context = std::unique_ptr<ftdi_context, decltype(&ftdi_free)>;

std::optional<ftdi_chip_type> libftdiType(uint32_t chipType) {
    switch (chipType) {
        case FT_DEVICE_AM:
            return TYPE_AM;
        case FT_DEVICE_BM:
            return TYPE_BM;
        case FT_DEVICE_2232C:
            return TYPE_2232C;
        case FT_DEVICE_232R:
            return TYPE_R;
        default:
            return std::nullopt;
    }
}

// libftdi picks its image size from the EEPROM type byte; the 232R has one size.
std::optional<int> eepromTypeByte(uint32_t chipType, size_t eepromWords) {
    if (chipType == FT_DEVICE_232R) return eepromWords == 64 ? std::optional<int>(0) : std::nullopt;
    switch (eepromWords) {
        case 64:
            return 0x46;
        case 128:
            return 0x56;
        case 256:
            return 0x66;
        default:
            return std::nullopt;
    }
}

struct Setter {
    ftdi_context *ftdi;
    bool ok = true;
    void operator()(ftdi_eeprom_value name, int value) {
        ok = ftdi_set_eeprom_value(ftdi, name, value) == 0 && ok;
    }
};

// A context holding libftdi's defaults for the chip and EEPROM, with the given strings.
Context prepare(uint32_t chipType, size_t eepromWords, std::string manufacturer, std::string product,
                std::string serial, std::string &error) {
    Context ftdi(nullptr, ftdi_free);
    const auto type = libftdiType(chipType);
    const auto typeByte = eepromTypeByte(chipType, eepromWords);
    if (!type || !typeByte) {
        error = "no libftdi layout for this chip and EEPROM size";
        return ftdi;
    }
    ftdi.reset(ftdi_new());
    if (!ftdi) {
        error = "ftdi_new failed";
        return ftdi;
    }
    ftdi->type = *type;
    // initdefaults insists on an open device but never touches it; put the
    // dummy back at once so that ftdi_free does not try to close it.
    char dummy = 0;
    ftdi->usb_dev = reinterpret_cast<libusb_device_handle *>(&dummy);
    const int rc = ftdi_eeprom_initdefaults(ftdi.get(), manufacturer.data(), product.data(), serial.data());
    ftdi->usb_dev = nullptr;
    if (rc != 0 || (*typeByte != 0 && ftdi_set_eeprom_value(ftdi.get(), CHIP_TYPE, *typeByte) != 0)) {
        error = ftdi_get_error_string(ftdi.get());
        ftdi.reset();
    }
    return ftdi;
}

}  // namespace

std::optional<Image> build(uint32_t chipType, size_t eepromWords, const Settings &s, std::string &error) {
    Context ftdi = prepare(chipType, eepromWords, s.manufacturer, s.product, s.serial, error);
    if (!ftdi) return std::nullopt;

    Setter set{ftdi.get()};
    set(VENDOR_ID, s.vendorId);
    set(PRODUCT_ID, s.productId);
    set(MAX_POWER, s.maxPower);
    set(SELF_POWERED, s.selfPowered);
    set(REMOTE_WAKEUP, s.remoteWakeup);
    set(IS_NOT_PNP, s.notPnp);
    set(IN_IS_ISOCHRONOUS, s.isoIn);
    set(OUT_IS_ISOCHRONOUS, s.isoOut);
    set(SUSPEND_PULL_DOWNS, s.pullDowns);
    set(USE_SERIAL, s.useSerial);
    set(USE_USB_VERSION, s.useUsbVersion);
    set(USB_VERSION, s.usbVersion);
    if (chipType == FT_DEVICE_2232C) {
        set(CHANNEL_A_TYPE, s.channelAMode);
        set(CHANNEL_B_TYPE, s.channelBMode);
        set(CHANNEL_A_DRIVER, s.channelAVcp ? DRIVER_VCP : 0);
        set(CHANNEL_B_DRIVER, s.channelBVcp ? DRIVER_VCP : 0);
        set(HIGH_CURRENT_A, s.highCurrentA ? HIGH_CURRENT_DRIVE : 0);
        set(HIGH_CURRENT_B, s.highCurrentB ? HIGH_CURRENT_DRIVE : 0);
    }
    if (chipType == FT_DEVICE_232R) {
        set(CHANNEL_A_DRIVER, s.channelAVcp ? DRIVER_VCP : 0);
        set(INVERT, s.invert);
        for (int i = 0; i < 5; ++i) set(static_cast<ftdi_eeprom_value>(CBUS_FUNCTION_0 + i), s.cbus[i]);
        set(EXTERNAL_OSCILLATOR, s.externalOscillator);
        set(HIGH_CURRENT, s.highDrive ? HIGH_CURRENT_DRIVE_R : 0);
    }
    if (!set.ok || ftdi_eeprom_build(ftdi.get()) < 0) {
        error = ftdi_get_error_string(ftdi.get());
        return std::nullopt;
    }

    int bytes = 0;
    ftdi_get_eeprom_value(ftdi.get(), CHIP_SIZE, &bytes);
    std::vector<unsigned char> buffer(static_cast<size_t>(bytes));
    if (bytes <= 0 || ftdi_get_eeprom_buf(ftdi.get(), buffer.data(), bytes) != 0) {
        error = "libftdi gave no image";
        return std::nullopt;
    }
    Image image(eepromWords, 0);
    for (size_t i = 0; i < buffer.size() / 2 && i < image.size(); ++i)
        image[i] = static_cast<uint16_t>(buffer[2 * i] | buffer[2 * i + 1] << 8);
    return image;
}

std::optional<Settings> decode(uint32_t chipType, std::span<const uint16_t> image, std::string &error) {
    // A context takes its EEPROM size from its first build.
    Context ftdi = prepare(chipType, image.size(), "", "", "", error);
    if (!ftdi) return std::nullopt;
    if (ftdi_eeprom_build(ftdi.get()) < 0) {
        error = ftdi_get_error_string(ftdi.get());
        return std::nullopt;
    }
    int bytes = 0;
    ftdi_get_eeprom_value(ftdi.get(), CHIP_SIZE, &bytes);
    std::vector<unsigned char> buffer;
    for (size_t i = 0; i < static_cast<size_t>(bytes) / 2 && i < image.size(); ++i) {
        buffer.push_back(static_cast<unsigned char>(image[i] & 0xFF));
        buffer.push_back(static_cast<unsigned char>(image[i] >> 8));
    }
    if (ftdi_set_eeprom_buf(ftdi.get(), buffer.data(), static_cast<int>(buffer.size())) != 0 ||
        ftdi_eeprom_decode(ftdi.get(), 0) != 0) {
        error = ftdi_get_error_string(ftdi.get());
        return std::nullopt;
    }

    auto get = [&](ftdi_eeprom_value name) {
        int value = 0;
        ftdi_get_eeprom_value(ftdi.get(), name, &value);
        return value;
    };
    Settings s;
    s.vendorId = get(VENDOR_ID);
    s.productId = get(PRODUCT_ID);
    s.maxPower = get(MAX_POWER);
    s.selfPowered = get(SELF_POWERED) != 0;
    s.remoteWakeup = get(REMOTE_WAKEUP) != 0;
    s.isoIn = get(IN_IS_ISOCHRONOUS) != 0;
    s.isoOut = get(OUT_IS_ISOCHRONOUS) != 0;
    s.pullDowns = get(SUSPEND_PULL_DOWNS) != 0;
    s.useSerial = get(USE_SERIAL) != 0;
    s.useUsbVersion = get(USE_USB_VERSION) != 0;
    s.usbVersion = get(USB_VERSION);
    s.channelAMode = get(CHANNEL_A_TYPE);
    s.channelBMode = get(CHANNEL_B_TYPE);
    s.channelAVcp = get(CHANNEL_A_DRIVER) != 0;
    s.channelBVcp = get(CHANNEL_B_DRIVER) != 0;
    s.highCurrentA = get(HIGH_CURRENT_A) != 0;
    s.highCurrentB = get(HIGH_CURRENT_B) != 0;
    s.invert = get(INVERT);
    for (int i = 0; i < 5; ++i) s.cbus[i] = get(static_cast<ftdi_eeprom_value>(CBUS_FUNCTION_0 + i));
    s.externalOscillator = get(EXTERNAL_OSCILLATOR) != 0;
    s.highDrive = get(HIGH_CURRENT) != 0;

    char manufacturer[256] = {}, product[256] = {}, serial[256] = {};
    ftdi_eeprom_get_strings(ftdi.get(), manufacturer, sizeof manufacturer, product, sizeof product, serial,
                            sizeof serial);
    s.manufacturer = manufacturer;
    s.product = product;
    s.serial = serial;
    return s;
}

}  // namespace kestrom::d2xx::oracle
