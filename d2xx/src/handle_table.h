// Open devices by handle. Handles are numbers that are never reused, so a closed
// or made-up handle is refused instead of touching freed memory.
#pragma once

#include "backend.h"

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>

namespace kestrom::d2xx {

class HandleTable {
public:
    FT_HANDLE add(std::unique_ptr<Device> device);
    Device *find(FT_HANDLE handle);
    std::unique_ptr<Device> take(FT_HANDLE handle);

    // One D2XX call at a time: devices and backends are not thread-safe.
    std::mutex &mutex() { return mutex_; }

private:
    std::mutex mutex_;
    std::map<uintptr_t, std::unique_ptr<Device>> devices_;
    uintptr_t next_ = 1;
};

HandleTable &handles();

}  // namespace kestrom::d2xx
