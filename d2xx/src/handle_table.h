// Open devices by handle. Handles are numbers that are never reused, so a closed
// or made-up handle is refused instead of touching freed memory.
//
// Each open device has a lock of its own: the calls on one handle take turns, the
// calls on different handles run side by side (a production line writes many chips
// at once). The table's own lock is held only to find, add or take a handle.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>

#include "backend.h"

namespace kestrom::d2xx {

// An open device and the lock its calls take. The device is gone (null) once the
// handle is closed: a call that waited for the lock while the close ran finds none.
struct HeldDevice {
    explicit HeldDevice(std::unique_ptr<Device> opened) : device(std::move(opened)) {}
    std::mutex mutex;
    std::unique_ptr<Device> device;
};

class HandleTable {
public:
    FT_HANDLE add(std::unique_ptr<Device> device);
    // The open device of `handle`, kept alive for the caller while a close takes it
    // out of the table; null for an unknown handle.
    std::shared_ptr<HeldDevice> find(FT_HANDLE handle);
    // Takes `handle` out of the table: no call finds it any more.
    std::shared_ptr<HeldDevice> take(FT_HANDLE handle);

private:
    std::mutex mutex_;
    std::map<uintptr_t, std::shared_ptr<HeldDevice>> devices_;
    uintptr_t next_ = 1;
};

HandleTable &handles();

}  // namespace kestrom::d2xx
