// A virtual FTDI chip: what the chip itself does with the control transfers the
// host sends to its endpoint 0. The standard requests answer from the descriptors
// it enumerated with; the FTDI vendor requests set up its serial ports and read,
// write and erase its EEPROM. Every control transfer that reaches it is counted by
// request name, and its fault plan can make it stall, vanish, take its time or
// keep no write.
//
// The chip answers at once and tells when the answer is ready: its endpoint 0 does
// one transfer after another, each taking the time its fault plan says. Handing the
// answer back then is the host side's job (the kernel's usbdevfs and the serial
// driver bound to the chip's interfaces, in usbdevfs_ioctl.h); putting the chip on
// a bus is testbed.h's. The chip is called from the threads that answer its openers
// and read by the test's own, so every member locks.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <mutex>
#include <span>
#include <string>
#include <vector>

#include "descriptors.h"
#include "eeprom_model.h"
#include "fault_plan.h"

namespace kestrom::virtualchip {

struct ChipSpec {
    ChipKind kind = ChipKind::FT232BM;
    // 64 (93C46), 128 (93C56) or 256 (93C66), 0 for none fitted; the internal
    // memories are always 64 words (FT232R) and 128 (X series).
    size_t eepromWords = 64;
    // What the EEPROM holds; words it leaves out read blank (0xFFFF).
    std::vector<uint16_t> image;
};

// A control transfer's setup packet.
struct Setup {
    uint8_t requestType = 0;
    uint8_t request = 0;
    uint16_t value = 0;
    uint16_t index = 0;
    uint16_t length = 0;
};

struct Answer {
    enum Outcome { Done, Stalled, Gone };
    Outcome outcome = Done;
    size_t length = 0;                              // bytes of an IN transfer's data
    std::chrono::steady_clock::time_point ready{};  // when a real chip would have answered
};

class VirtualChip {
public:
    VirtualChip(const ChipSpec &spec, FaultPlan faults);

    ChipKind kind() const { return kind_; }
    const FaultPlan &faults() const { return faults_; }
    // What the chip enumerated with when it was plugged in; a new EEPROM shows at the next plug.
    const Descriptors &descriptors() const { return descriptors_; }

    // One control transfer. `data` holds its wLength bytes: what the host sends
    // (OUT), or room for the answer (IN). The chip takes it when it has done the
    // ones before.
    Answer control(const Setup &setup, std::span<uint8_t> data);

    // Unplugging runs the hook (the testbed takes the device off the bus); from then
    // on every transfer finds the device gone.
    void setUnplugHook(std::function<void()> hook);
    void unplug();
    bool plugged() const;

    // The kernel's serial driver, bound to every interface when the chip is plugged in.
    bool driverBound(uint8_t interface) const;
    // False when no driver was bound to it.
    bool detachDriver(uint8_t interface);
    void attachDriver(uint8_t interface);
    unsigned driverDetaches() const;

    // Control transfers by request name ("READ_EEPROM", "GET_DESCRIPTOR", ...), in
    // the order they came, and counted.
    std::vector<std::string> transferLog() const;
    std::map<std::string, unsigned> transferCounts() const;
    unsigned transfers(const std::string &request) const;
    unsigned totalTransfers() const;
    void resetCounts();

    std::vector<uint16_t> eeprom() const;
    bool saveEeprom(const std::filesystem::path &file) const;
    // The latency timer of serial port `port` (1 = A, 2 = B), in ms.
    uint8_t latencyTimer(uint8_t port) const;

private:
    Answer answer(const Setup &setup, std::span<uint8_t> data);
    Answer standardRequest(const Setup &setup, std::span<uint8_t> data) const;
    Answer vendorRequest(const Setup &setup, std::span<uint8_t> data);

    const ChipKind kind_;
    const FaultPlan faults_;
    EepromModel eeprom_;
    const Descriptors descriptors_;

    mutable std::mutex mutex_;
    bool plugged_ = true;
    std::function<void()> unplugHook_;
    std::vector<bool> driverBound_;
    unsigned driverDetaches_ = 0;
    std::vector<std::string> log_;
    unsigned eepromTransfers_ = 0;  // since plugged in, for the fault plan
    unsigned eepromWrites_ = 0;     // likewise
    std::map<uint8_t, uint8_t> latency_;
    std::chrono::steady_clock::time_point busyUntil_{};
};

// The name a chip counts a request by.
std::string requestName(const Setup &setup);

}  // namespace kestrom::virtualchip
