// One process holds an open device at a time, across processes: an flock(2) on a
// lock file per device. The kernel drops the lock when the holder closes it or
// dies, so a crashed program never leaves a device locked. A holder that lets go
// removes the file, so lock files do not pile up.
#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace kestrom::d2xx {

// Holds one device for this open: an flock on a lock file named after `key` in $XDG_RUNTIME_DIR
// (else /tmp), kept for as long as the object lives; the kernel drops it if the process dies.
class DeviceLock {
public:
    // nullptr when another open (this process or another) holds the device, or when
    // no lock file can be made (the device is then not shared unguarded either).
    static std::unique_ptr<DeviceLock> acquire(std::string_view key);
    ~DeviceLock();

    DeviceLock(const DeviceLock &) = delete;
    DeviceLock &operator=(const DeviceLock &) = delete;

private:
    DeviceLock(int fd, std::string path) : fd_(fd), path_(std::move(path)) {}
    int fd_;
    std::string path_;
};

}  // namespace kestrom::d2xx
