// A USB bus for virtual chips: a umockdev testbed whose sysfs and /dev hold each
// plugged chip as the kernel would show it (bus 1, port N, and a device address
// that, as the kernel's, is new at every plug in the process), with the chip
// answering the ioctls on its device node.
//
// Both this process and every program that is to see the chips must run with
// umockdev's preload library (LD_PRELOAD=libumockdev-preload.so.0); the testbed
// sets UMOCKDEV_DIR, which child processes inherit. One testbed at a time.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "ioctl_socket.h"
#include "virtual_chip.h"

// umockdev's types, without its headers (GLib's names clash with Qt's keywords).
typedef struct _UMockdevTestbed UMockdevTestbed;

namespace kestrom::virtualchip {

class Testbed {
public:
    // True when this process runs under umockdev's preload library.
    static bool preloaded();
    // For a program that owns a testbed: unless it runs under the preload library
    // already, runs itself again under it (and does not return); false when that fails.
    static bool runUnderPreload(char **argv);

    Testbed();
    ~Testbed();
    Testbed(const Testbed &) = delete;
    Testbed &operator=(const Testbed &) = delete;

    // Plugs a chip into the next free port. It lives as long as the testbed does.
    VirtualChip &plug(const ChipSpec &spec, FaultPlan faults = {});
    // Pulls a chip out: the "remove" uevent first, then the device leaves sysfs.
    void unplug(VirtualChip &chip);

    // The chip's device node, "/dev/bus/usb/001/002" for the first chip of the process.
    std::string deviceNode(const VirtualChip &chip) const;
    // Its name in sysfs ("1-1" for the first), as in /sys/bus/usb/devices.
    std::string sysName(const VirtualChip &chip) const;

private:
    struct Slot {
        std::unique_ptr<VirtualChip> chip;
        unsigned port = 0;
        unsigned address = 0;
        std::string sysPath;
        std::unique_ptr<IoctlSocket> node;  // answers the programs that open its device node
    };
    const Slot &slotOf(const VirtualChip &chip) const;
    void remove(const Slot &slot);

    UMockdevTestbed *testbed_;
    std::vector<Slot> slots_;
};

// A root process opens any file whatever its mode, so a refused device node would
// not refuse it. While this lives, the calling thread works without the
// capabilities that override file permissions (CAP_DAC_OVERRIDE and
// CAP_DAC_READ_SEARCH), as a normal user would; for other users it does nothing.
class WithoutFileOverride {
public:
    WithoutFileOverride();
    ~WithoutFileOverride();
    WithoutFileOverride(const WithoutFileOverride &) = delete;
    WithoutFileOverride &operator=(const WithoutFileOverride &) = delete;

    // For a child process between fork and exec: drops the same capabilities for good.
    static void dropForChild();

private:
    bool lowered_ = false;
};

}  // namespace kestrom::virtualchip
