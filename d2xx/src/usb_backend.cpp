// The real-hardware backend: FTDI chips on USB through libftdi1.
//
// Every listing and every open looks at the bus afresh, as the simulated backend
// reads its file afresh. No USB, no access to it, or nothing attached is the
// ordinary "device not found". libusb calls time out (libftdi's 5 s per transfer,
// 1 s per string), so nothing here waits for ever.
//
// EEPROM size: the FT232R's internal area is 64 words and the X series' 128, as
// libftdi has them. An external 93C46/56/66 is told by how its contents repeat
// (eeprom_size_probe.h). An EEPROM that reads blank at every address repeats whatever
// its size: it holds nothing, so it is erased once more with ftdi_erase_eeprom,
// whose marker write shows where the address wraps. If nothing answers that, no
// EEPROM is fitted (0 words, FT_EEPROM_NOT_PRESENT).
//
// Writing: libftdi's ftdi_write_eeprom_location refuses the words below 0x80 unless
// the EEPROM is a 93x66, and ftdi_write_eeprom writes only as many bytes as libftdi
// guessed from its last read (none for a blank EEPROM) and at most 128 words. So
// words go out with the same vendor request those functions send, on the handle
// libftdi opened, after the same preparation ftdi_write_eeprom makes.
#include <algorithm>
#include <optional>
#include <utility>

#include "backend.h"
#include "eeprom_size_probe.h"
#include "usb_devices.h"

namespace kestrom::d2xx {
namespace {

constexpr size_t kFallbackWords = 64;
constexpr unsigned char kWriteLatency = 0x77;  // as ftdi_write_eeprom sets it
// A vendor request to the device, host to device (libftdi's FTDI_DEVICE_OUT_REQTYPE).
constexpr uint8_t kVendorOut = static_cast<uint8_t>(LIBUSB_REQUEST_TYPE_VENDOR) |
                               static_cast<uint8_t>(LIBUSB_RECIPIENT_DEVICE) |
                               static_cast<uint8_t>(LIBUSB_ENDPOINT_OUT);

// Reserved for the X series' factory configuration; libftdi never writes there.
bool reservedWord(ftdi_chip_type type, size_t address) {
    return type == TYPE_230X && address >= 0x40 && address < 0x50;
}

class UsbDevice final : public Device {
public:
    UsbDevice(FtdiContext ftdi, DeviceInfo info) : ftdi_(std::move(ftdi)), info_(std::move(info)) {}
    ~UsbDevice() override { close(); }
    UsbDevice(const UsbDevice &) = delete;
    UsbDevice &operator=(const UsbDevice &) = delete;

    uint32_t chipType() const override { return info_.type; }

    size_t eepromWords() const override {
        if (words_) return *words_;
        if (ftdi_ == nullptr) return kFallbackWords;
        if (ftdi_->type == TYPE_R) return *(words_ = 64);
        if (ftdi_->type == TYPE_230X) return *(words_ = 128);
        const SizeProbe probe =
            eepromWordsByWrap([this](size_t address, uint16_t &value) { return readRaw(address, value); });
        if (probe.result == SizeProbe::Known) return *(words_ = probe.words);
        if (probe.result == SizeProbe::Blank && ftdi_erase_eeprom(ftdi_.get()) == 0) {
            return *(words_ = erasedEepromWords());
        }
        return kFallbackWords;  // the next read or write reports the failure
    }

    FT_STATUS info(DeviceInfo &out) override {
        out = info_;
        return FT_OK;
    }

    FT_STATUS readWord(size_t address, uint16_t &value) override {
        return readRaw(address, value) ? FT_OK : FT_EEPROM_READ_FAILED;
    }

    FT_STATUS writeWord(size_t address, uint16_t value) override {
        if (ftdi_ == nullptr || reservedWord(ftdi_->type, address) || !prepareWrites()) {
            return FT_EEPROM_WRITE_FAILED;
        }
        return writeRaw(address, value) ? FT_OK : FT_EEPROM_WRITE_FAILED;
    }

    FT_STATUS readImage(std::vector<uint16_t> &image) override {
        if (eepromWords() == 0) return FT_EEPROM_NOT_PRESENT;
        return Device::readImage(image);
    }

    // The whole image in one pass, passing over the X series' reserved words.
    FT_STATUS writeImage(const std::vector<uint16_t> &image) override {
        if (eepromWords() == 0) return FT_EEPROM_NOT_PRESENT;
        if (ftdi_ == nullptr || !prepareWrites()) return FT_EEPROM_WRITE_FAILED;
        const size_t words = std::min(image.size(), eepromWords());
        for (size_t address = 0; address < words; ++address) {
            if (reservedWord(ftdi_->type, address)) continue;
            if (!writeRaw(address, image[address])) return FT_EEPROM_WRITE_FAILED;
        }
        return FT_OK;
    }

    FT_STATUS erase() override {
        if (ftdi_ == nullptr) return FT_EEPROM_ERASE_FAILED;
        // Neither the FT232R's internal EEPROM nor the X series' can be erased.
        if (ftdi_->type == TYPE_R || ftdi_->type == TYPE_230X) return FT_OK;
        if (ftdi_erase_eeprom(ftdi_.get()) != 0) return FT_EEPROM_ERASE_FAILED;
        if (const size_t words = erasedEepromWords(); words != 0) words_ = words;
        return FT_OK;
    }

    // Releases the interface (the kernel's serial driver comes back) and the context;
    // an unplugged device is released all the same, so this always succeeds.
    FT_STATUS close() override {
        if (ftdi_ != nullptr) ftdi_usb_close(ftdi_.get());
        ftdi_.reset();
        return FT_OK;
    }

private:
    bool readRaw(size_t address, uint16_t &value) const {
        unsigned short word = 0;
        if (ftdi_ == nullptr ||
            ftdi_read_eeprom_location(ftdi_.get(), static_cast<int>(address), &word) != 0) {
            return false;
        }
        value = word;
        return true;
    }

    bool writeRaw(size_t address, uint16_t value) {
        return libusb_control_transfer(ftdi_->usb_dev, kVendorOut, SIO_WRITE_EEPROM_REQUEST, value,
                                       static_cast<uint16_t>(address), nullptr, 0,
                                       static_cast<unsigned>(ftdi_->usb_write_timeout)) == 0;
    }

    bool prepareWrites() {
        if (writesPrepared_) return true;
        unsigned short status = 0;
        writesPrepared_ = ftdi_usb_reset(ftdi_.get()) == 0 &&
                          ftdi_poll_modem_status(ftdi_.get(), &status) == 0 &&
                          ftdi_set_latency_timer(ftdi_.get(), kWriteLatency) == 0;
        return writesPrepared_;
    }

    // What the marker write of the last ftdi_erase_eeprom found; 0 when nothing answered.
    size_t erasedEepromWords() const {
        int type = -1;
        if (ftdi_get_eeprom_value(ftdi_.get(), CHIP_TYPE, &type) != 0) return 0;
        return eepromWordsOfType(type);
    }

    FtdiContext ftdi_;
    DeviceInfo info_;
    mutable std::optional<size_t> words_;
    bool writesPrepared_ = false;
};

class UsbBackend final : public Backend {
public:
    FT_STATUS count(uint32_t &devices) override {
        devices = static_cast<uint32_t>(UsbListing().size());
        return FT_OK;
    }

    FT_STATUS describe(uint32_t index, DeviceInfo &out) override {
        const UsbListing listing;
        if (index >= listing.size()) return FT_DEVICE_NOT_FOUND;
        return describeListed(listing.at(index), out);
    }

    FT_STATUS open(uint32_t index, std::unique_ptr<Device> &out) override {
        UsbListing listing;
        if (index >= listing.size()) return FT_DEVICE_NOT_FOUND;
        libusb_device *device = listing.at(index);
        ftdi_context *ftdi = listing.context();
        // Give the serial port back to the kernel when we let go of the device.
        ftdi->module_detach_mode = AUTO_DETACH_REATACH_SIO_MODULE;
        if (ftdi_usb_open_dev(ftdi, device) != 0) return FT_DEVICE_NOT_OPENED;

        libusb_device_descriptor descriptor{};
        libusb_get_device_descriptor(device, &descriptor);
        DeviceInfo info;
        info.type = chipOfDescriptor(descriptor) ? d2xxChipType(ftdi->type) : uint32_t{FT_DEVICE_UNKNOWN};
        // Strings are only shown; a device whose strings cannot be read still opens.
        readIdAndStrings(ftdi->usb_dev, device, info);
        out = std::make_unique<UsbDevice>(listing.release(), std::move(info));
        return FT_OK;
    }
};

}  // namespace

std::unique_ptr<Backend> makeUsbBackend() {
    return std::make_unique<UsbBackend>();
}

}  // namespace kestrom::d2xx
