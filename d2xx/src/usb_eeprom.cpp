#include "usb_eeprom.h"

#include <map>
#include <mutex>
#include <utility>

#include "eeprom_size_probe.h"
#include "usb_log.h"

namespace kestrom::d2xx {
namespace {

// Vendor requests to the device (libftdi's FTDI_DEVICE_OUT_REQTYPE and _IN_).
constexpr uint8_t kVendorOut = static_cast<uint8_t>(LIBUSB_REQUEST_TYPE_VENDOR) |
                               static_cast<uint8_t>(LIBUSB_RECIPIENT_DEVICE) |
                               static_cast<uint8_t>(LIBUSB_ENDPOINT_OUT);
constexpr uint8_t kVendorIn = kVendorOut | static_cast<uint8_t>(LIBUSB_ENDPOINT_IN);
constexpr unsigned kTimeoutMs = 5000;  // libftdi's, per transfer
constexpr uint16_t kPortA = 1;         // the requests that set up a port name it
constexpr uint8_t kWriteLatency = 0x77;
constexpr uint16_t kMarker = 0x55AA;
constexpr uint16_t kMarkerAddress = 0xC0;

const char *requestName(uint8_t request) {
    switch (request) {
        case SIO_RESET_REQUEST:
            return "reset";
        case SIO_POLL_MODEM_STATUS_REQUEST:
            return "modem status";
        case SIO_SET_LATENCY_TIMER_REQUEST:
            return "set latency timer";
        case SIO_GET_LATENCY_TIMER_REQUEST:
            return "get latency timer";
        case SIO_READ_EEPROM_REQUEST:
            return "EEPROM read";
        case SIO_WRITE_EEPROM_REQUEST:
            return "EEPROM write";
        case SIO_ERASE_EEPROM_REQUEST:
            return "EEPROM erase";
        default:
            return "vendor request";
    }
}

// Sizes told while the program runs, by device identity.
struct SizeMemory {
    std::mutex mutex;
    std::map<std::string, size_t> words;
};

SizeMemory &sizes() {
    static SizeMemory memory;
    return memory;
}

std::optional<size_t> rememberedSize(const std::string &identity) {
    SizeMemory &memory = sizes();
    const std::lock_guard lock(memory.mutex);
    const auto found = memory.words.find(identity);
    if (found == memory.words.end()) return std::nullopt;
    return found->second;
}

void rememberSize(const std::string &identity, size_t words) {
    SizeMemory &memory = sizes();
    const std::lock_guard lock(memory.mutex);
    memory.words[identity] = words;
}

}  // namespace

UsbEeprom::UsbEeprom(libusb_device_handle *handle, ftdi_chip_type type, std::string identity)
    : handle_(handle), type_(type), identity_(std::move(identity)) {}

void UsbEeprom::forgetSizes() {
    SizeMemory &memory = sizes();
    const std::lock_guard lock(memory.mutex);
    memory.words.clear();
}

size_t UsbEeprom::words() {
    if (known_) return words_;
    // The FT232R's internal area, the X series' as libftdi has it.
    if (type_ == TYPE_R || type_ == TYPE_230X) {
        settle(type_ == TYPE_R ? 64 : 128);
        return words_;
    }
    if (const auto remembered = rememberedSize(identity_)) {
        settle(*remembered);
        return words_;
    }
    const SizeProbe probe = eepromWordsByWrap(
        [this](size_t address, uint16_t &value) { return readChip(address, value, FT_EEPROM_READ_FAILED) == FT_OK; });
    if (probe.result == SizeProbe::Known) {
        settle(probe.words);
        rememberSize(identity_, probe.words);
    } else if (probe.result == SizeProbe::Blank) {
        learnSizeByMarker();
    }
    return known_ ? words_ : 64;  // not settled: the next read tries again and reports the failure
}

void UsbEeprom::settle(size_t words) {
    known_ = true;
    words_ = words;
}

FT_STATUS UsbEeprom::transfer(uint8_t request, uint16_t value, uint16_t index, unsigned char *data,
                              uint16_t length, FT_STATUS failure) {
    const bool in = length != 0;
    const int done = libusb_control_transfer(handle_, in ? kVendorIn : kVendorOut, request, value, index, data,
                                             length, kTimeoutMs);
    if (done == length) return FT_OK;
    const std::string step = std::string("libusb_control_transfer(") + requestName(request) + ", index " +
                             std::to_string(index) + ")";
    return logUsbFailure(step, done < 0 ? libusbErrorText(done) : "a short answer", failure);
}

FT_STATUS UsbEeprom::readChip(size_t address, uint16_t &value, FT_STATUS failure) {
    std::optional<uint16_t> &known = cache_[address % cache_.size()];
    if (!known) {
        unsigned char bytes[2] = {};
        const FT_STATUS status =
            transfer(SIO_READ_EEPROM_REQUEST, 0, static_cast<uint16_t>(address), bytes, sizeof bytes, failure);
        if (status != FT_OK) return status;
        known = static_cast<uint16_t>(bytes[0] | bytes[1] << 8);
    }
    value = *known;
    return FT_OK;
}

FT_STATUS UsbEeprom::writeChip(size_t address, uint16_t value) {
    cache_[address].reset();  // a read-back asks the chip
    return transfer(SIO_WRITE_EEPROM_REQUEST, value, static_cast<uint16_t>(address), nullptr, 0,
                    FT_EEPROM_WRITE_FAILED);
}

FT_STATUS UsbEeprom::read(size_t address, uint16_t &value) { return readChip(address, value, FT_EEPROM_READ_FAILED); }

FT_STATUS UsbEeprom::write(size_t address, uint16_t value) {
    if (const FT_STATUS status = prepareWrites(); status != FT_OK) return status;
    return writeChip(address % words_, value);
}

FT_STATUS UsbEeprom::prepareWrites() {
    if (words() == 0) return FT_EEPROM_NOT_PRESENT;
    if (!known_) return FT_EEPROM_WRITE_FAILED;  // the size could not be read
    if (prepared_) return FT_OK;
    unsigned char status[2] = {}, latency = 0;
    const FT_STATUS failed = FT_EEPROM_WRITE_FAILED;
    if (const FT_STATUS s = transfer(SIO_RESET_REQUEST, SIO_RESET_SIO, kPortA, nullptr, 0, failed); s != FT_OK) {
        return s;
    }
    if (const FT_STATUS s = transfer(SIO_POLL_MODEM_STATUS_REQUEST, 0, kPortA, status, sizeof status, failed);
        s != FT_OK) {
        return s;
    }
    // The serial port's own latency timer, put back when we are done.
    if (transfer(SIO_GET_LATENCY_TIMER_REQUEST, 0, kPortA, &latency, 1, failed) == FT_OK) latency_ = latency;
    if (const FT_STATUS s = transfer(SIO_SET_LATENCY_TIMER_REQUEST, kWriteLatency, kPortA, nullptr, 0, failed);
        s != FT_OK) {
        return s;
    }
    prepared_ = true;
    return FT_OK;
}

void UsbEeprom::finish() {
    if (prepared_ && latency_) transfer(SIO_SET_LATENCY_TIMER_REQUEST, *latency_, kPortA, nullptr, 0, FT_IO_ERROR);
    prepared_ = false;
}

FT_STATUS UsbEeprom::erase() {
    // Neither the FT232R's internal EEPROM nor the X series' can be erased.
    if (type_ == TYPE_R || type_ == TYPE_230X) return FT_OK;
    forgetContents();
    return transfer(SIO_ERASE_EEPROM_REQUEST, 0, 0, nullptr, 0, FT_EEPROM_ERASE_FAILED);
}

void UsbEeprom::learnSizeByMarker() {
    forgetContents();
    const FT_STATUS failed = FT_EEPROM_ERASE_FAILED;
    if (transfer(SIO_ERASE_EEPROM_REQUEST, 0, 0, nullptr, 0, failed) != FT_OK) return;
    if (transfer(SIO_WRITE_EEPROM_REQUEST, kMarker, kMarkerAddress, nullptr, 0, failed) != FT_OK) return;
    size_t words = 0;
    // The marker lands on word 0 of a 93C46, word 0x40 of a 93C56, word 0xC0 of a 93C66.
    for (const auto &[address, size] : {std::pair<uint16_t, size_t>{0x00, 64}, {0x40, 128}, {0xC0, 256}}) {
        uint16_t value = 0;
        if (readChip(address, value, failed) != FT_OK) return;
        if (value == kMarker) {
            words = size;
            break;
        }
    }
    forgetContents();
    if (transfer(SIO_ERASE_EEPROM_REQUEST, 0, 0, nullptr, 0, failed) != FT_OK) return;
    settle(words);
    if (words != 0) rememberSize(identity_, words);
}

}  // namespace kestrom::d2xx
