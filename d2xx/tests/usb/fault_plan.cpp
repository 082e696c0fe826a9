#include "fault_plan.h"

namespace kestrom::virtualchip {

FaultPlan &FaultPlan::unplugBeforeEepromTransfer(unsigned n) {
    unplugBefore_ = n;
    return *this;
}

FaultPlan &FaultPlan::unplugAfterEepromTransfer(unsigned n) {
    unplugAfter_ = n;
    return *this;
}

FaultPlan &FaultPlan::stall(const std::string &request) {
    stalled_.insert(request);
    return *this;
}

FaultPlan &FaultPlan::refuseNode() {
    refuseNode_ = true;
    return *this;
}

FaultPlan &FaultPlan::transferTime(std::chrono::microseconds time) {
    transferTime_ = time;
    return *this;
}

FaultPlan &FaultPlan::writeTime(std::chrono::microseconds time) {
    writeTime_ = time;
    return *this;
}

FaultPlan &FaultPlan::dropWrites(unsigned count) {
    droppedWrites_ = count;
    return *this;
}

FaultPlan &FaultPlan::writeProtect() {
    return dropWrites(kEvery);
}

FaultPlan &FaultPlan::noKernelStrings() {
    kernelStrings_ = false;
    return *this;
}

}  // namespace kestrom::virtualchip
