// The real-hardware backend: FTDI chips on USB, found through libftdi1 and driven
// over libusb.
//
// A good citizen: every listing and open looks at the bus afresh, and an open
// claims no interface and detaches no driver. Identification comes from the
// descriptors the kernel keeps, the EEPROM requests go to endpoint 0
// (usb_eeprom.h), so the kernel's ftdi_sio keeps the chip's serial ports and the
// user's /dev/ttyUSB0 stays through listing, reading, writing, erasing and the
// auto-update tick. One open holds a chip at a time, across processes, by a
// per-device lock the kernel drops when its holder exits (device_lock.h).
//
// No USB, no access to it, or nothing attached is the ordinary "device not
// found". Every transfer has a time limit, so nothing here waits for ever; with
// FTD2XX_LOG=1 each failed step says why (usb_log.h).
#include <algorithm>
#include <memory>
#include <utility>

#include "backend.h"
#include "device_lock.h"
#include "eeprom_codec.h"
#include "usb_devices.h"
#include "usb_eeprom.h"
#include "usb_log.h"

namespace kestrom::d2xx {
namespace {

class UsbDevice final : public Device {
public:
    UsbDevice(std::unique_ptr<DeviceLock> lock, FtdiContext ftdi, ftdi_chip_type type, DeviceInfo info,
              std::string identity)
        : lock_(std::move(lock)),
          ftdi_(std::move(ftdi)),
          info_(std::move(info)),
          eeprom_(ftdi_->usb_dev, type, std::move(identity)) {}
    ~UsbDevice() override { close(); }
    UsbDevice(const UsbDevice &) = delete;
    UsbDevice &operator=(const UsbDevice &) = delete;

    uint32_t chipType() const override { return info_.type; }
    size_t eepromWords() const override { return eeprom_.words(); }

    FT_STATUS info(DeviceInfo &out) override {
        out = info_;
        return FT_OK;
    }

    FT_STATUS readWord(size_t address, uint16_t &value) override { return eeprom_.read(address, value); }

    FT_STATUS writeWord(size_t address, uint16_t value) override {
        // The X series' factory area is never written (libftdi does not either).
        if (reservedWord(info_.type, address)) return FT_EEPROM_WRITE_FAILED;
        return eeprom_.write(address, value);
    }

    // Its callers only decode the image: a blank configuration needs no more reads.
    FT_STATUS readImage(std::vector<uint16_t> &image) override {
        if (auto blank = eeprom_.blankConfiguration()) {
            image = std::move(*blank);
            return FT_OK;
        }
        if (eepromWords() == 0) return FT_EEPROM_NOT_PRESENT;
        return Device::readImage(image);
    }

    // The whole image in one pass, passing over the X series' reserved words.
    FT_STATUS writeImage(const std::vector<uint16_t> &image) override {
        if (eepromWords() == 0) return FT_EEPROM_NOT_PRESENT;
        const size_t words = std::min(image.size(), eepromWords());
        for (size_t address = 0; address < words; ++address) {
            if (reservedWord(info_.type, address)) continue;
            if (const FT_STATUS status = writeWord(address, image[address]); status != FT_OK) return status;
        }
        return FT_OK;
    }

    FT_STATUS erase() override { return eeprom_.erase(); }

    FT_STATUS prepareChange() override { return eeprom_.settleSizeForChange(); }
    std::optional<uint16_t> heldWord(size_t address) const override { return eeprom_.held(address); }

    // Lets go of the chip (an unplugged one all the same, so this always succeeds),
    // then of its lock. Nothing else is asked of a closed device; closing twice is
    // harmless.
    FT_STATUS close() override {
        if (ftdi_) eeprom_.finish();
        ftdi_.reset();
        lock_.reset();
        return FT_OK;
    }

private:
    std::unique_ptr<DeviceLock> lock_;  // declared first: let go of last
    FtdiContext ftdi_;                  // owns the libusb context and the open handle
    DeviceInfo info_;
    mutable UsbEeprom eeprom_;
};

// The lock names the place, so a replugged chip is the same device: "usb:1-1.4",
// or bus and address when libusb knows no port path.
std::string lockKey(libusb_device *device) {
    const std::string place = portPath(device);
    if (!place.empty()) return "usb:" + place;
    return "usb:" + std::to_string(libusb_get_bus_number(device)) + "/" +
           std::to_string(libusb_get_device_address(device));
}

FT_STATUS describeAt(const UsbListing &listing, uint32_t index, DeviceInfo &out) {
    const FT_STATUS status = describeListed(listing.at(index), out);
    out.location = lockKey(listing.at(index));
    return status;
}

class UsbBackend final : public Backend {
public:
    FT_STATUS count(uint32_t &devices) override {
        devices = static_cast<uint32_t>(UsbListing().size());
        return FT_OK;
    }

    FT_STATUS describe(uint32_t index, DeviceInfo &out) override {
        const UsbListing listing;
        if (index >= listing.size()) return FT_DEVICE_NOT_FOUND;
        return describeAt(listing, index, out);
    }

    // One enumeration of the bus for every device, not one a device.
    FT_STATUS describeAll(std::vector<ListedDevice> &out) override {
        out.clear();
        const UsbListing listing;
        for (uint32_t index = 0; index < listing.size(); ++index) {
            ListedDevice listed{index, {}};
            if (describeAt(listing, index, listed.info) == FT_OK) out.push_back(std::move(listed));
        }
        return FT_OK;
    }

    FT_STATUS open(uint32_t index, std::unique_ptr<Device> &out) override {
        UsbListing listing;
        if (index >= listing.size()) return FT_DEVICE_NOT_FOUND;
        return openListed(listing, listing.at(index), out);
    }

    FT_STATUS openAt(const std::string &port, std::unique_ptr<Device> &out) override {
        UsbListing listing;
        for (size_t index = 0; index < listing.size(); ++index) {
            if (portPath(listing.at(index)) == port) return openListed(listing, listing.at(index), out);
        }
        return FT_DEVICE_NOT_FOUND;
    }

private:
    static FT_STATUS openListed(UsbListing &listing, libusb_device *device, std::unique_ptr<Device> &out) {
        const std::string key = lockKey(device);
        auto lock = DeviceLock::acquire(key);
        if (lock == nullptr) {
            return logUsbFailure("lock " + key, "another open holds the device", FT_DEVICE_NOT_OPENED);
        }
        libusb_device_handle *handle = nullptr;
        if (const int error = libusb_open(device, &handle); error != 0) {
            return logUsbFailure("libusb_open(" + key.substr(4) + ")", libusbErrorText(error),
                                 FT_DEVICE_NOT_OPENED);
        }
        // The context closes the handle; the handle keeps `device` referenced.
        FtdiContext ftdi = listing.release();
        ftdi->usb_dev = handle;
        libusb_device_descriptor descriptor{};
        libusb_get_device_descriptor(device, &descriptor);
        const auto chip = chipOfDescriptor(descriptor);
        const ftdi_chip_type type = chip.value_or(TYPE_BM);
        DeviceInfo info;
        info.type = chip ? d2xxChipType(*chip) : uint32_t{FT_DEVICE_UNKNOWN};
        info.location = key;
        info.port = portPath(device);
        // Strings are only shown; a device whose strings cannot be read still opens.
        readIdAndStrings(handle, device, info);
        // The size memory tells a replugged or swapped chip by its new address.
        const std::string identity =
            key + "@" + std::to_string(libusb_get_device_address(device)) + "#" + info.serialNumber;
        ftdi->type = type;
        out = std::make_unique<UsbDevice>(std::move(lock), std::move(ftdi), type, std::move(info), identity);
        return FT_OK;
    }
};

}  // namespace

std::unique_ptr<Backend> makeUsbBackend() {
    return std::make_unique<UsbBackend>();
}

}  // namespace kestrom::d2xx
