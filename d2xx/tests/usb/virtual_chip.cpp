#include "virtual_chip.h"

#include <algorithm>
#include <array>
#include <cstdio>

namespace kestrom::virtualchip {
namespace {

constexpr uint8_t kDirectionIn = 0x80;
constexpr uint8_t kTypeMask = 0x60;
constexpr uint8_t kTypeStandard = 0x00;
constexpr uint8_t kTypeVendor = 0x40;
constexpr uint8_t kDefaultLatency = 16;

struct Named {
    uint8_t request;
    const char *name;
};

constexpr std::array kStandardRequests{Named{0x00, "GET_STATUS"}, Named{0x06, "GET_DESCRIPTOR"},
                                       Named{0x08, "GET_CONFIGURATION"}, Named{0x09, "SET_CONFIGURATION"}};

// The FTDI vendor requests (SIO_*_REQUEST as libftdi names them).
enum Vendor : uint8_t {
    kReset = 0x00,
    kPollModemStatus = 0x05,
    kSetLatencyTimer = 0x09,
    kGetLatencyTimer = 0x0A,
    kReadPins = 0x0C,
    kReadEeprom = 0x90,
    kWriteEeprom = 0x91,
    kEraseEeprom = 0x92,
};
constexpr std::array kVendorRequests{
    Named{kReset, "RESET"},
    Named{0x01, "MODEM_CTRL"},
    Named{0x02, "SET_FLOW_CTRL"},
    Named{0x03, "SET_BAUDRATE"},
    Named{0x04, "SET_DATA"},
    Named{kPollModemStatus, "POLL_MODEM_STATUS"},
    Named{0x06, "SET_EVENT_CHAR"},
    Named{0x07, "SET_ERROR_CHAR"},
    Named{kSetLatencyTimer, "SET_LATENCY_TIMER"},
    Named{kGetLatencyTimer, "GET_LATENCY_TIMER"},
    Named{0x0B, "SET_BITMODE"},
    Named{kReadPins, "READ_PINS"},
    Named{kReadEeprom, "READ_EEPROM"},
    Named{kWriteEeprom, "WRITE_EEPROM"},
    Named{kEraseEeprom, "ERASE_EEPROM"},
};

template <size_t N>
const char *find(const std::array<Named, N> &table, uint8_t request) {
    const auto it =
        std::find_if(table.begin(), table.end(), [&](const Named &n) { return n.request == request; });
    return it == table.end() ? nullptr : it->name;
}

bool isEepromRequest(const Setup &setup) {
    return (setup.requestType & kTypeMask) == kTypeVendor && setup.request >= kReadEeprom &&
           setup.request <= kEraseEeprom;
}

bool isIn(const Setup &setup) {
    return (setup.requestType & kDirectionIn) != 0;
}

Answer copied(std::span<const uint8_t> from, std::span<uint8_t> to) {
    const size_t length = std::min(from.size(), to.size());
    std::copy_n(from.begin(), length, to.begin());
    return {Answer::Done, length};
}

}  // namespace

std::string requestName(const Setup &setup) {
    const uint8_t type = setup.requestType & kTypeMask;
    const char *name = type == kTypeStandard ? find(kStandardRequests, setup.request)
                       : type == kTypeVendor ? find(kVendorRequests, setup.request)
                                             : nullptr;
    if (name != nullptr) return name;
    char unknown[32];
    std::snprintf(unknown, sizeof unknown, "request 0x%02X/0x%02X", setup.requestType, setup.request);
    return unknown;
}

VirtualChip::VirtualChip(const ChipSpec &spec, FaultPlan faults)
    : kind_(spec.kind),
      faults_(std::move(faults)),
      eeprom_(internalWords(spec.kind) != 0 ? internalWords(spec.kind) : spec.eepromWords, spec.image,
              internalWords(spec.kind) == 0),
      descriptors_(enumerate(spec.kind, eeprom_.contents())),
      driverBound_(interfaceCount(spec.kind), true) {}

Answer VirtualChip::control(const Setup &setup, std::span<uint8_t> data) {
    std::unique_lock lock(mutex_);
    if (!plugged_) return {Answer::Gone};
    const bool writesWord = (setup.requestType & kTypeMask) == kTypeVendor && setup.request == kWriteEeprom;
    busyUntil_ = std::max(busyUntil_, std::chrono::steady_clock::now()) + faults_.timePerTransfer() +
                 (writesWord ? faults_.timePerWordWritten() : std::chrono::microseconds(0));
    const auto ready = busyUntil_;
    const std::string name = requestName(setup);
    log_.push_back(name);
    const unsigned eepromTransfer = isEepromRequest(setup) ? ++eepromTransfers_ : 0;
    if (eepromTransfer != 0 && faults_.unplugsBefore(eepromTransfer)) {
        lock.unlock();
        unplug();
        return {Answer::Gone};
    }
    if (faults_.stalls(name)) return {Answer::Stalled, 0, ready};
    Answer result = answer(setup, data);
    result.ready = ready;
    if (eepromTransfer != 0 && faults_.unplugsAfter(eepromTransfer)) {
        lock.unlock();
        unplug();
    }
    return result;
}

Answer VirtualChip::answer(const Setup &setup, std::span<uint8_t> data) {
    switch (setup.requestType & kTypeMask) {
        case kTypeStandard:
            return standardRequest(setup, data);
        case kTypeVendor:
            return vendorRequest(setup, data);
        default:
            return {Answer::Stalled};
    }
}

Answer VirtualChip::standardRequest(const Setup &setup, std::span<uint8_t> data) const {
    static const std::array<uint8_t, 2> kStatus{0, 0};
    static const std::array<uint8_t, 1> kConfiguration{1};
    const uint8_t type = setup.value >> 8, index = setup.value & 0xFF;
    switch (setup.request) {
        case 0x00:
            return isIn(setup) ? copied(kStatus, data) : Answer{Answer::Stalled};
        case 0x06:
            if (!isIn(setup)) return {Answer::Stalled};
            if (type == 1 && index == 0) return copied(descriptors_.device, data);
            if (type == 2 && index == 0) return copied(descriptors_.configuration, data);
            if (type == 3 && index < descriptors_.strings.size() && !descriptors_.strings[index].empty()) {
                return copied(descriptors_.strings[index], data);
            }
            return {Answer::Stalled};
        case 0x08:
            return isIn(setup) ? copied(kConfiguration, data) : Answer{Answer::Stalled};
        case 0x09:
            return {isIn(setup) || setup.value > 1 ? Answer::Stalled : Answer::Done};
        default:
            return {Answer::Stalled};
    }
}

Answer VirtualChip::vendorRequest(const Setup &setup, std::span<uint8_t> data) {
    if (find(kVendorRequests, setup.request) == nullptr) return {Answer::Stalled};
    const bool answers = setup.request == kPollModemStatus || setup.request == kGetLatencyTimer ||
                         setup.request == kReadPins || setup.request == kReadEeprom;
    if (answers != isIn(setup)) return {Answer::Stalled};
    const uint8_t port = setup.index & 0xFF;
    const auto address = static_cast<uint16_t>(setup.index & 0xFF);  // the chip sends eight address bits
    switch (setup.request) {
        case kPollModemStatus: {
            const std::array<uint8_t, 2> status{0x01, 0x60};  // CTS/DSR idle, transmitter empty
            return copied(status, data);
        }
        case kGetLatencyTimer: {
            const auto found = latency_.find(port);
            const std::array<uint8_t, 1> latency{found == latency_.end() ? kDefaultLatency : found->second};
            return copied(latency, data);
        }
        case kReadPins: {
            const std::array<uint8_t, 1> pins{0};
            return copied(pins, data);
        }
        case kReadEeprom: {
            const uint16_t word = eeprom_.read(address);
            const std::array<uint8_t, 2> bytes{static_cast<uint8_t>(word & 0xFF),
                                               static_cast<uint8_t>(word >> 8)};
            return copied(bytes, data);
        }
        case kWriteEeprom:
            if (faults_.keepsWrite(++eepromWrites_)) eeprom_.write(address, setup.value);
            break;
        case kEraseEeprom:
            if (!faults_.writeProtected()) eeprom_.erase();
            break;
        case kSetLatencyTimer:
            latency_[port] = static_cast<uint8_t>(setup.value & 0xFF);
            break;
        default:
            break;
    }
    return {Answer::Done};
}

void VirtualChip::setUnplugHook(std::function<void()> hook) {
    const std::lock_guard lock(mutex_);
    unplugHook_ = std::move(hook);
}

void VirtualChip::unplug() {
    std::function<void()> hook;
    {
        const std::lock_guard lock(mutex_);
        if (!plugged_) return;
        plugged_ = false;
        hook = unplugHook_;
    }
    if (hook) hook();
}

bool VirtualChip::plugged() const {
    const std::lock_guard lock(mutex_);
    return plugged_;
}

bool VirtualChip::driverBound(uint8_t interface) const {
    const std::lock_guard lock(mutex_);
    return interface < driverBound_.size() && driverBound_[interface];
}

bool VirtualChip::detachDriver(uint8_t interface) {
    const std::lock_guard lock(mutex_);
    if (interface >= driverBound_.size() || !driverBound_[interface]) return false;
    driverBound_[interface] = false;
    ++driverDetaches_;
    return true;
}

void VirtualChip::attachDriver(uint8_t interface) {
    const std::lock_guard lock(mutex_);
    if (interface < driverBound_.size()) driverBound_[interface] = true;
}

unsigned VirtualChip::driverDetaches() const {
    const std::lock_guard lock(mutex_);
    return driverDetaches_;
}

std::vector<std::string> VirtualChip::transferLog() const {
    const std::lock_guard lock(mutex_);
    return log_;
}

std::map<std::string, unsigned> VirtualChip::transferCounts() const {
    const std::lock_guard lock(mutex_);
    std::map<std::string, unsigned> counts;
    for (const std::string &name : log_) ++counts[name];
    return counts;
}

unsigned VirtualChip::transfers(const std::string &request) const {
    const std::lock_guard lock(mutex_);
    return static_cast<unsigned>(std::count(log_.begin(), log_.end(), request));
}

unsigned VirtualChip::totalTransfers() const {
    const std::lock_guard lock(mutex_);
    return static_cast<unsigned>(log_.size());
}

void VirtualChip::resetCounts() {
    const std::lock_guard lock(mutex_);
    log_.clear();
}

std::vector<uint16_t> VirtualChip::eeprom() const {
    const std::lock_guard lock(mutex_);
    return eeprom_.contents();
}

bool VirtualChip::saveEeprom(const std::filesystem::path &file) const {
    const std::lock_guard lock(mutex_);
    return eeprom_.save(file);
}

uint8_t VirtualChip::latencyTimer(uint8_t port) const {
    const std::lock_guard lock(mutex_);
    const auto found = latency_.find(port);
    return found == latency_.end() ? kDefaultLatency : found->second;
}

}  // namespace kestrom::virtualchip
