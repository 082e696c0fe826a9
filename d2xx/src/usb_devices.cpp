#include "usb_devices.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <tuple>

#include "text_codec.h"
#include "usb_log.h"
#include "vidpid_list.h"

namespace kestrom::d2xx {
namespace {

struct ListFree {
    void operator()(ftdi_device_list *list) const { ftdi_list_free(&list); }
};

// Bus, port path, then address: the same order every time while the topology holds.
auto placeOf(libusb_device *device) {
    std::array<uint8_t, 8> ports{};
    const int depth = libusb_get_port_numbers(device, ports.data(), static_cast<int>(ports.size()));
    return std::make_tuple(libusb_get_bus_number(device), ports, std::max(depth, 0),
                           libusb_get_device_address(device));
}

constexpr uint16_t kEnglishUs = 0x0409;

uint16_t firstLanguage(libusb_device_handle *handle) {
    std::array<unsigned char, 255> buffer{};
    const int got =
        libusb_get_string_descriptor(handle, 0, 0, buffer.data(), static_cast<int>(buffer.size()));
    if (got >= 4 && buffer[1] == LIBUSB_DT_STRING) return static_cast<uint16_t>(buffer[2] | buffer[3] << 8);
    return kEnglishUs;
}

// The descriptor's UTF-16 text in UTF-8, up to its first NUL; index 0 is no string.
bool readString(libusb_device_handle *handle, uint8_t index, uint16_t language, std::string &out) {
    out.clear();
    if (index == 0) return true;
    std::array<unsigned char, 255> buffer{};
    const int got =
        libusb_get_string_descriptor(handle, index, language, buffer.data(), static_cast<int>(buffer.size()));
    if (got < 2 || buffer[1] != LIBUSB_DT_STRING) return false;
    const size_t length = std::min(static_cast<size_t>(got), static_cast<size_t>(buffer[0]));
    std::u16string text;
    for (size_t i = 2; i + 1 < length; i += 2) {
        const auto unit = static_cast<char16_t>(buffer[i] | buffer[i + 1] << 8);
        if (unit == 0) break;
        text.push_back(unit);
    }
    out = utf16ToUtf8(text);
    return true;
}

// A sysfs attribute of the device, without its newline; nullopt when it is not
// there or belongs to another device (one plugged in at the same port since).
std::optional<std::string> sysfsAttribute(libusb_device *device, const char *name) {
    const std::string place = portPath(device);
    if (place.empty()) return std::nullopt;
    const std::string folder = "/sys/bus/usb/devices/" + place + "/";
    const auto read = [&](const char *attribute) -> std::optional<std::string> {
        std::ifstream in(folder + attribute, std::ios::binary);
        if (!in) return std::nullopt;
        std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        if (!in.eof() && in.fail()) return std::nullopt;
        if (!text.empty() && text.back() == '\n') text.pop_back();
        return text;
    };
    const auto address = read("devnum");
    if (!address || *address != std::to_string(libusb_get_device_address(device))) return std::nullopt;
    return read(name);
}

// The product and serial strings as the kernel keeps them; false when it keeps
// one that the device has not.
bool sysfsStrings(libusb_device *device, const libusb_device_descriptor &descriptor, DeviceInfo &out) {
    std::optional<std::string> product, serial;
    if (descriptor.iProduct != 0 && !(product = sysfsAttribute(device, "product"))) return false;
    if (descriptor.iSerialNumber != 0 && !(serial = sysfsAttribute(device, "serial"))) return false;
    out.description = product.value_or("");
    out.serialNumber = serial.value_or("");
    return true;
}

}  // namespace

std::string portPath(libusb_device *device) {
    std::array<uint8_t, 8> ports{};
    const int depth = libusb_get_port_numbers(device, ports.data(), static_cast<int>(ports.size()));
    if (depth <= 0) return {};
    std::string path = std::to_string(libusb_get_bus_number(device));
    for (int i = 0; i < depth; ++i) path += (i == 0 ? "-" : ".") + std::to_string(ports[static_cast<size_t>(i)]);
    return path;
}

UsbListing::UsbListing() : context_(ftdi_new()) {
    if (!context_) {  // libusb could not start: no USB here, which lists nothing
        logUsbFailure("ftdi_new", "libusb could not start", FT_DEVICE_NOT_FOUND);
        return;
    }
    std::vector<UsbId> ids{{0, 0}};  // 0:0 asks libftdi for the maker's default IDs
    if (const char *extra = std::getenv("FTD2XX_VIDPID")) {
        const std::vector<UsbId> own = parseVidPidList(extra);
        ids.insert(ids.end(), own.begin(), own.end());
    }
    for (const UsbId &id : ids) {
        ftdi_device_list *found = nullptr;
        if (ftdi_usb_find_all(context_.get(), &found, id.vendor, id.product) < 0) {
            logUsbFailure("ftdi_usb_find_all", ftdi_get_error_string(context_.get()), FT_DEVICE_NOT_FOUND);
        }
        // Freed whatever it answered: a failed search may still have listed some.
        const std::unique_ptr<ftdi_device_list, ListFree> list(found);
        for (const ftdi_device_list *node = list.get(); node != nullptr; node = node->next) add(node->dev);
    }
    std::sort(devices_.begin(), devices_.end(),
              [](const auto &a, const auto &b) { return placeOf(a.get()) < placeOf(b.get()); });
}

void UsbListing::add(libusb_device *device) {
    const auto same = [&](const auto &listed) { return placeOf(listed.get()) == placeOf(device); };
    if (std::any_of(devices_.begin(), devices_.end(), same)) return;
    devices_.reserve(devices_.size() + 1);  // so that nothing throws between ref and store
    devices_.emplace_back(libusb_ref_device(device));
}

FtdiContext UsbListing::release() {
    devices_.clear();
    return std::move(context_);
}

std::optional<ftdi_chip_type> chipOfDescriptor(const libusb_device_descriptor &descriptor) {
    switch (descriptor.bcdDevice) {
        // A BM without a serial number string reports the AM's release number.
        case 0x0200:
            return descriptor.iSerialNumber == 0 ? TYPE_BM : TYPE_AM;
        case 0x0400:
            return TYPE_BM;
        case 0x0500:
            return TYPE_2232C;
        case 0x0600:
            return TYPE_R;
        case 0x0700:
            return TYPE_2232H;
        case 0x0800:
            return TYPE_4232H;
        case 0x0900:
            return TYPE_232H;
        case 0x1000:
            return TYPE_230X;
        default:
            return std::nullopt;
    }
}

uint32_t d2xxChipType(ftdi_chip_type type) {
    switch (type) {
        case TYPE_AM:
            return FT_DEVICE_AM;
        case TYPE_BM:
            return FT_DEVICE_BM;
        case TYPE_2232C:
            return FT_DEVICE_2232C;
        case TYPE_R:
            return FT_DEVICE_232R;
        case TYPE_2232H:
            return FT_DEVICE_2232H;
        case TYPE_4232H:
            return FT_DEVICE_4232H;
        case TYPE_232H:
            return FT_DEVICE_232H;
        case TYPE_230X:
            return FT_DEVICE_X_SERIES;
        default:
            return FT_DEVICE_UNKNOWN;
    }
}

bool readIdAndStrings(libusb_device_handle *handle, libusb_device *device, DeviceInfo &out) {
    libusb_device_descriptor descriptor{};
    if (libusb_get_device_descriptor(device, &descriptor) != 0) return false;
    out.id = uint32_t{descriptor.idVendor} << 16 | descriptor.idProduct;
    if (sysfsStrings(device, descriptor, out)) return true;

    libusb_device_handle *opened = nullptr;
    if (handle == nullptr) {
        if (const int error = libusb_open(device, &opened); error != 0) {
            logUsbFailure("libusb_open(" + portPath(device) + ")", libusbErrorText(error), FT_DEVICE_NOT_OPENED);
            return false;
        }
        handle = opened;
    }
    const uint16_t language = firstLanguage(handle);
    const bool read = readString(handle, descriptor.iProduct, language, out.description) &&
                      readString(handle, descriptor.iSerialNumber, language, out.serialNumber);
    if (!read) logUsbFailure("libusb_get_string_descriptor", "the strings did not come", FT_DEVICE_NOT_OPENED);
    if (opened != nullptr) libusb_close(opened);
    return read;
}

FT_STATUS describeListed(libusb_device *device, DeviceInfo &out) {
    libusb_device_descriptor descriptor{};
    if (libusb_get_device_descriptor(device, &descriptor) != 0) return FT_DEVICE_NOT_FOUND;
    const auto chip = chipOfDescriptor(descriptor);
    out.type = chip ? d2xxChipType(*chip) : uint32_t{FT_DEVICE_UNKNOWN};
    out.port = portPath(device);
    return readIdAndStrings(nullptr, device, out) ? FT_OK : FT_DEVICE_NOT_OPENED;
}

}  // namespace kestrom::d2xx
