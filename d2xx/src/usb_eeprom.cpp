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
constexpr uint16_t kBlankWord = 0xFFFF;
constexpr size_t kSmallestPart = 64;  // a write lands on every address that agrees with it below this

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

bool UsbEeprom::sizeKnownWithoutReading() {
    if (size_ == Size::Unread) {
        if (type_ == TYPE_R || type_ == TYPE_230X) {
            // The FT232R's internal area, the X series' as libftdi has it.
            settle(type_ == TYPE_R ? 64 : 128);
        } else if (const auto remembered = rememberedSize(identity_)) {
            settle(*remembered);
        }
    }
    return size_ == Size::Known;
}

size_t UsbEeprom::words() {
    if (!sizeKnownWithoutReading() && size_ == Size::Unread) {
        const SizeProbe probe = eepromWordsByWrap([this](size_t address, uint16_t &value) {
            return readChip(address, value, FT_EEPROM_READ_FAILED) == FT_OK;
        });
        if (probe.result == SizeProbe::Known) {
            settle(probe.words);
            rememberSize(identity_, probe.words);
        } else if (probe.result == SizeProbe::Blank) {
            size_ = Size::Unsized;
        }
        // A failed read leaves it unread: the next read tries again and reports the failure.
    }
    return size_ == Size::Known ? words_ : kAddressSpace;
}

std::optional<std::vector<uint16_t>> UsbEeprom::blankConfiguration() {
    if (sizeKnownWithoutReading()) return std::nullopt;
    std::vector<uint16_t> words(kSmallestPart);
    for (size_t address = 0; address < words.size(); ++address) {
        if (readChip(address, words[address], FT_EEPROM_READ_FAILED) != FT_OK ||
            words[address] != kBlankWord) {
            return std::nullopt;
        }
    }
    return words;
}

bool UsbEeprom::blankAt(size_t address) {
    uint16_t value = 0;
    return readChip(address, value, FT_EEPROM_READ_FAILED) == FT_OK && value == kBlankWord;
}

FT_STATUS UsbEeprom::settleSizeForChange() {
    // A blank first 64 words, and blank where the marker can land: the marker tells
    // the size at once, and only the words the change needs are read.
    if (size_ == Size::Unread && blankConfiguration() && blankAt(kMarkerAddress % 128) &&
        blankAt(kMarkerAddress)) {
        size_ = Size::Unsized;
    }
    words();
    switch (size_) {
        case Size::Known:
            return FT_OK;
        case Size::Unsized:
            return sizeByMarker();
        case Size::Unread:
            break;
    }
    return FT_EEPROM_READ_FAILED;
}

void UsbEeprom::settle(size_t words) {
    size_ = Size::Known;
    words_ = words;
}

FT_STATUS UsbEeprom::transfer(uint8_t request, uint16_t value, uint16_t index, unsigned char *data,
                              uint16_t length, FT_STATUS failure) {
    const bool in = length != 0;
    const int done = libusb_control_transfer(handle_, in ? kVendorIn : kVendorOut, request, value, index,
                                             data, length, kTimeoutMs);
    if (done == length) return FT_OK;
    const std::string step = std::string("libusb_control_transfer(") + requestName(request) + ", index " +
                             std::to_string(index) + ")";
    return logUsbFailure(step, done < 0 ? libusbErrorText(done) : "a short answer", failure);
}

FT_STATUS UsbEeprom::readChip(size_t address, uint16_t &value, FT_STATUS failure) {
    std::optional<uint16_t> &known = cache_[address % cache_.size()];
    if (!known) {
        unsigned char bytes[2] = {};
        const FT_STATUS status = transfer(SIO_READ_EEPROM_REQUEST, 0, static_cast<uint16_t>(address), bytes,
                                          sizeof bytes, failure);
        if (status != FT_OK) return status;
        known = static_cast<uint16_t>(bytes[0] | bytes[1] << 8);
    }
    value = *known;
    return FT_OK;
}

FT_STATUS UsbEeprom::writeChip(size_t address, uint16_t value, FT_STATUS failure) {
    // A read-back asks the chip, at every address the word answers to: those of the
    // smallest part while the part's size is not known.
    const size_t repeat = size_ == Size::Known && words_ != 0 ? words_ : kSmallestPart;
    for (size_t alias = address % repeat; alias < cache_.size(); alias += repeat) cache_[alias].reset();
    return transfer(SIO_WRITE_EEPROM_REQUEST, value, static_cast<uint16_t>(address), nullptr, 0, failure);
}

FT_STATUS UsbEeprom::read(size_t address, uint16_t &value) {
    return readChip(address, value, FT_EEPROM_READ_FAILED);
}

std::optional<uint16_t> UsbEeprom::held(size_t address) const {
    if (erased_) return std::nullopt;
    return cache_[address % cache_.size()];
}

FT_STATUS UsbEeprom::write(size_t address, uint16_t value) {
    if (const FT_STATUS status = settleSizeForChange(); status != FT_OK) return status;
    if (words_ == 0) return FT_EEPROM_NOT_PRESENT;
    if (const FT_STATUS status = prepareWrites(); status != FT_OK) return status;
    return writeChip(address % words_, value, FT_EEPROM_WRITE_FAILED);
}

FT_STATUS UsbEeprom::prepareWrites() {
    if (prepared_) return FT_OK;
    unsigned char status[2] = {}, latency = 0;
    const FT_STATUS failed = FT_EEPROM_WRITE_FAILED;
    if (const FT_STATUS s = transfer(SIO_RESET_REQUEST, SIO_RESET_SIO, kPortA, nullptr, 0, failed);
        s != FT_OK) {
        return s;
    }
    if (const FT_STATUS s = transfer(SIO_POLL_MODEM_STATUS_REQUEST, 0, kPortA, status, sizeof status, failed);
        s != FT_OK) {
        return s;
    }
    // The serial port's own latency timer, put back when we are done.
    if (transfer(SIO_GET_LATENCY_TIMER_REQUEST, 0, kPortA, &latency, 1, failed) == FT_OK) latency_ = latency;
    if (const FT_STATUS s =
            transfer(SIO_SET_LATENCY_TIMER_REQUEST, kWriteLatency, kPortA, nullptr, 0, failed);
        s != FT_OK) {
        return s;
    }
    prepared_ = true;
    return FT_OK;
}

void UsbEeprom::finish() {
    if (prepared_ && latency_)
        transfer(SIO_SET_LATENCY_TIMER_REQUEST, *latency_, kPortA, nullptr, 0, FT_IO_ERROR);
    prepared_ = false;
}

std::optional<std::vector<size_t>> UsbEeprom::wordsHeldSet() const {
    if (size_ != Size::Known || words_ == 0) return std::nullopt;
    std::vector<size_t> set;
    for (size_t address = 0; address < words_; ++address) {
        if (!cache_[address]) return std::nullopt;
        if (*cache_[address] != kBlankWord) set.push_back(address);
    }
    return set;
}

// A 93Cx6 is erased by one ERAL command, which clears the whole part or nothing.
// When every word was read in this open, a word that read otherwise before and
// reads blank now shows that the command ran (the first and the last such word are
// asked), and a part that was blank already needs no read; the part is then known
// blank, word by word. Without the words of this open every word is read from the
// chip. The program after an erase writes every word and reads each back, so no
// word goes unverified.
FT_STATUS UsbEeprom::erase() {
    // Neither the FT232R's internal EEPROM nor the X series' can be erased.
    if (type_ == TYPE_R || type_ == TYPE_230X) return FT_OK;
    const std::optional<std::vector<size_t>> wereSet = wordsHeldSet();
    forgetContents();
    erased_ = true;
    if (const FT_STATUS status = transfer(SIO_ERASE_EEPROM_REQUEST, 0, 0, nullptr, 0, FT_EEPROM_ERASE_FAILED);
        status != FT_OK || !wereSet) {
        return status;
    }
    if (!wereSet->empty()) {
        for (const size_t address : {wereSet->front(), wereSet->back()}) {
            uint16_t value = 0;
            if (const FT_STATUS status = readChip(address, value, FT_EEPROM_READ_FAILED); status != FT_OK)
                return status;
            if (value != kBlankWord) return FT_EEPROM_ERASE_FAILED;
        }
    }
    cache_.fill(kBlankWord);  // every address of a sized part answers with one of its words
    return FT_OK;
}

// The part reads blank wherever the marker can land, and is made blank there again
// whatever the reads find.
FT_STATUS UsbEeprom::sizeByMarker() {
    if (const FT_STATUS status = prepareWrites(); status != FT_OK) return status;
    if (const FT_STATUS status = writeChip(kMarkerAddress, kMarker, FT_EEPROM_WRITE_FAILED);
        status != FT_OK) {
        return status;
    }
    size_t words = 0;
    FT_STATUS found = FT_OK;
    // The marker lands on word 0 of a 93C46, word 0x40 of a 93C56, word 0xC0 of a 93C66.
    for (const auto &[address, size] : {std::pair<uint16_t, size_t>{0x00, 64}, {0x40, 128}, {0xC0, 256}}) {
        uint16_t value = 0;
        found = readChip(address, value, FT_EEPROM_READ_FAILED);
        if (found != FT_OK) break;
        if (value == kMarker) {
            words = size;
            break;
        }
    }
    // The word is read from the chip again when it is next wanted.
    const FT_STATUS blanked = writeChip(kMarkerAddress, kBlankWord, FT_EEPROM_WRITE_FAILED);
    if (found != FT_OK) return found;
    if (blanked != FT_OK) return blanked;
    settle(words);
    if (words != 0) rememberSize(identity_, words);
    return FT_OK;
}

}  // namespace kestrom::d2xx
