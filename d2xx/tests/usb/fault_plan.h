// How a virtual chip misbehaves when a test asks it to: the failures a real chip
// on a real bus shows (pulled out mid-transfer, a request it stalls, a device node
// the user may not open, a slow bus).
#pragma once

#include <chrono>
#include <optional>
#include <set>
#include <string>

namespace kestrom::virtualchip {

class FaultPlan {
public:
    // Unplugs the chip when its `n`th EEPROM transfer (read, write or erase, counted
    // from 1 since it was plugged in) comes: before the chip does it, so the host
    // sees the device gone, or after it is done and answered.
    FaultPlan &unplugBeforeEepromTransfer(unsigned n);
    FaultPlan &unplugAfterEepromTransfer(unsigned n);
    // Every control transfer of this request (its name as the chip counts it, e.g.
    // "READ_EEPROM") ends in a stall: the host sees EPIPE.
    FaultPlan &stall(const std::string &request);
    // The device node refuses to open (EACCES), as without the udev rule.
    FaultPlan &refuseNode();
    // Each control transfer takes this long, as on a real bus (about 1 ms).
    FaultPlan &transferTime(std::chrono::microseconds time);
    // Each EEPROM word written takes this much longer: the part's write cycle.
    FaultPlan &writeTime(std::chrono::microseconds time);
    // The first `count` EEPROM word writes are answered but not kept, as by a cell
    // that did not take them.
    FaultPlan &dropWrites(unsigned count);
    // The part's write-protect pin is held: no write and no erase is kept.
    FaultPlan &writeProtect();
    // The kernel kept none of the chip's strings in sysfs (its reads failed when the
    // chip was plugged in): whoever wants them must ask the chip.
    FaultPlan &noKernelStrings();

    bool unplugsBefore(unsigned eepromTransfer) const { return unplugBefore_ == eepromTransfer; }
    bool unplugsAfter(unsigned eepromTransfer) const { return unplugAfter_ == eepromTransfer; }
    bool stalls(const std::string &request) const { return stalled_.count(request) != 0; }
    bool refusesNode() const { return refuseNode_; }
    std::chrono::microseconds timePerTransfer() const { return transferTime_; }
    std::chrono::microseconds timePerWordWritten() const { return writeTime_; }
    // Whether the `n`th EEPROM word write (counted from 1) is kept.
    bool keepsWrite(unsigned n) const { return n > droppedWrites_; }
    bool writeProtected() const { return droppedWrites_ == kEvery; }
    bool kernelKeepsStrings() const { return kernelStrings_; }

private:
    std::optional<unsigned> unplugBefore_;
    std::optional<unsigned> unplugAfter_;
    std::set<std::string> stalled_;
    bool refuseNode_ = false;
    static constexpr unsigned kEvery = ~0u;
    std::chrono::microseconds transferTime_{0};
    std::chrono::microseconds writeTime_{0};
    unsigned droppedWrites_ = 0;
    bool kernelStrings_ = true;
};

}  // namespace kestrom::virtualchip
