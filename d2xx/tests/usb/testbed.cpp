#include "testbed.h"

#include <link.h>
#include <linux/capability.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <umockdev.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

#include "usbdevfs_ioctl.h"

namespace kestrom::virtualchip {
namespace {

constexpr unsigned kBus = 1;

// The kernel gives every device it enumerates the next free address, 2 to 127 on a
// bus whose root hub is 1.
unsigned nextAddress() {
    static unsigned last = 1;
    last = last >= 127 ? 2 : last + 1;
    return last;
}

std::string hex(const std::vector<uint8_t> &bytes) {
    std::string text;
    char pair[3];
    for (const uint8_t byte : bytes) {
        std::snprintf(pair, sizeof pair, "%02X", byte);
        text += pair;
    }
    return text;
}

// What the kernel keeps of a string descriptor in sysfs: the text in UTF-8, a newline after it.
std::vector<uint8_t> sysfsText(const std::vector<uint8_t> &descriptor) {
    std::u16string units;
    for (size_t i = 2; i + 1 < descriptor.size(); i += 2) {
        units.push_back(static_cast<char16_t>(descriptor[i] | descriptor[i + 1] << 8));
    }
    gchar *utf8 = g_utf16_to_utf8(reinterpret_cast<const gunichar2 *>(units.data()),
                                  static_cast<glong>(units.size()), nullptr, nullptr, nullptr);
    std::vector<uint8_t> text;
    if (utf8 != nullptr) text.assign(utf8, utf8 + std::char_traits<char>::length(utf8));
    g_free(utf8);
    text.push_back('\n');
    return text;
}

// The device as a umockdev record: sysfs attributes (values end in a newline, as
// libusb wants them), udev properties, and an "N:" line for its device node.
std::string record(const Descriptors &d, const std::string &sysPath, unsigned address, bool strings) {
    char node[32], numbers[256];
    std::snprintf(node, sizeof node, "bus/usb/%03u/%03u", kBus, address);
    std::snprintf(numbers, sizeof numbers,
                  "E: BUSNUM=%03u\nE: DEVNUM=%03u\nE: PRODUCT=%x/%x/%x\n"
                  "A: busnum=%u\\n\nA: devnum=%u\\n\nA: speed=12\\n\nA: bConfigurationValue=1\\n\n"
                  "A: idVendor=%04x\\n\nA: idProduct=%04x\\n\nA: bcdDevice=%02x%02x\\n\n",
                  kBus, address, d.vendor, d.product, d.device[12] | d.device[13] << 8, kBus, address,
                  d.vendor, d.product, d.device[13], d.device[12]);
    std::string text = "P: " + sysPath.substr(4) + "\nN: " + node +
                       "\nE: SUBSYSTEM=usb\nE: DEVTYPE=usb_device\n" + "E: DEVNAME=/dev/" + node + "\n" +
                       numbers;
    const char *names[] = {nullptr, "manufacturer", "product", "serial"};
    for (size_t i = 1; i <= 3 && strings; ++i) {
        if (!d.strings[i].empty())
            text += std::string("H: ") + names[i] + "=" + hex(sysfsText(d.strings[i])) + "\n";
    }
    std::vector<uint8_t> both = d.device;
    both.insert(both.end(), d.configuration.begin(), d.configuration.end());
    return text + "H: descriptors=" + hex(both) + "\n";
}

bool setEffective(bool on) {
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct data[2]{};
    if (syscall(SYS_capget, &header, data) != 0) return false;
    for (const int cap : {CAP_DAC_OVERRIDE, CAP_DAC_READ_SEARCH}) {
        const auto bit = 1u << (cap % 32);
        if (on) {
            data[cap / 32].effective |= data[cap / 32].permitted & bit;
        } else {
            data[cap / 32].effective &= ~bit;
        }
    }
    return syscall(SYS_capset, &header, data) == 0;
}

}  // namespace

bool Testbed::preloaded() {
    const auto isPreload = [](dl_phdr_info *info, size_t, void *) -> int {
        return info->dlpi_name != nullptr && std::strstr(info->dlpi_name, "libumockdev-preload") != nullptr;
    };
    return dl_iterate_phdr(isPreload, nullptr) != 0;
}

bool Testbed::runUnderPreload(char **argv) {
    if (preloaded()) return true;
    const char *others = std::getenv("LD_PRELOAD");
    const std::string preload =
        std::string("libumockdev-preload.so.0") + (others ? std::string(":") + others : "");
    setenv("LD_PRELOAD", preload.c_str(), 1);
    execv("/proc/self/exe", argv);
    std::perror("cannot run again under umockdev's preload library");
    return false;
}

Testbed::Testbed() : testbed_(umockdev_testbed_new()) {}

Testbed::~Testbed() {
    for (Slot &slot : slots_) {
        if (slot.chip->plugged()) remove(slot);
        slot.node.reset();
    }
    g_object_unref(testbed_);
}

VirtualChip &Testbed::plug(const ChipSpec &spec, FaultPlan faults) {
    Slot slot;
    slot.chip = std::make_unique<VirtualChip>(spec, std::move(faults));
    slot.port = static_cast<unsigned>(slots_.size()) + 1;
    slot.address = nextAddress();
    slot.sysPath =
        "/sys/devices/pci0000:00/0000:00:14.0/usb1/" + std::to_string(kBus) + "-" + std::to_string(slot.port);
    GError *error = nullptr;
    const std::string description = record(slot.chip->descriptors(), slot.sysPath, slot.address,
                                           slot.chip->faults().kernelKeepsStrings());
    if (!umockdev_testbed_add_from_string(testbed_, description.c_str(), &error)) {
        const std::string message = error->message;
        g_error_free(error);
        throw std::runtime_error("umockdev refused the device: " + message);
    }
    slots_.push_back(std::move(slot));
    Slot &added = slots_.back();
    gchar *rootDir = umockdev_testbed_get_root_dir(testbed_);
    const std::string root = rootDir;
    g_free(rootDir);
    // Where umockdev's preload library connects a program that opens the node.
    VirtualChip *answering = added.chip.get();
    added.node = std::make_unique<IoctlSocket>(root + "/ioctl" + deviceNode(*answering),
                                               [answering] { return newUsbdevfsOpener(*answering); });
    if (added.chip->faults().refusesNode()) chmod((root + deviceNode(*added.chip)).c_str(), 0);
    umockdev_testbed_uevent(testbed_, added.sysPath.c_str(), "add");
    VirtualChip *chip = added.chip.get();
    chip->setUnplugHook([this, chip] { remove(slotOf(*chip)); });
    return *chip;
}

void Testbed::unplug(VirtualChip &chip) {
    chip.unplug();
}

void Testbed::remove(const Slot &slot) {
    umockdev_testbed_uevent(testbed_, slot.sysPath.c_str(), "remove");
    umockdev_testbed_remove_device(testbed_, slot.sysPath.c_str());
}

const Testbed::Slot &Testbed::slotOf(const VirtualChip &chip) const {
    const auto found = std::find_if(slots_.begin(), slots_.end(),
                                    [&](const Slot &slot) { return slot.chip.get() == &chip; });
    if (found == slots_.end()) throw std::logic_error("the chip is not on this testbed");
    return *found;
}

std::string Testbed::deviceNode(const VirtualChip &chip) const {
    char node[32];
    std::snprintf(node, sizeof node, "/dev/bus/usb/%03u/%03u", kBus, slotOf(chip).address);
    return node;
}

std::string Testbed::sysName(const VirtualChip &chip) const {
    return std::to_string(kBus) + "-" + std::to_string(slotOf(chip).port);
}

WithoutFileOverride::WithoutFileOverride() : lowered_(geteuid() == 0 && setEffective(false)) {}

WithoutFileOverride::~WithoutFileOverride() {
    if (lowered_) setEffective(true);
}

void WithoutFileOverride::dropForChild() {
    if (geteuid() != 0) return;
    prctl(PR_CAPBSET_DROP, CAP_DAC_OVERRIDE, 0, 0, 0);
    prctl(PR_CAPBSET_DROP, CAP_DAC_READ_SEARCH, 0, 0, 0);
}

}  // namespace kestrom::virtualchip
