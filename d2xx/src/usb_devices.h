// Finding FTDI chips on USB through libftdi1, and what their descriptors say.
#pragma once

#include <ftdi.h>
#include <libusb.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "backend.h"

namespace kestrom::d2xx {

struct FtdiFree {
    void operator()(ftdi_context *ftdi) const { ftdi_free(ftdi); }
};
using FtdiContext = std::unique_ptr<ftdi_context, FtdiFree>;

// The chips present now: the maker's default IDs plus the pairs in FTD2XX_VIDPID,
// each device once, ordered by bus and port path so indices stay put between
// listings while nothing is plugged or unplugged. Lists nothing when libusb cannot
// start (no USB, no access): that is an ordinary "no device".
class UsbListing {
public:
    UsbListing();

    size_t size() const { return devices_.size(); }
    libusb_device *at(size_t index) const { return devices_[index].get(); }
    ftdi_context *context() const { return context_.get(); }

    // The context, for a device opened through it; the listing is empty afterwards.
    FtdiContext release();

private:
    struct Unref {
        void operator()(libusb_device *device) const { libusb_unref_device(device); }
    };

    void add(libusb_device *device);

    // Declared in this order so that the references go before the context does.
    FtdiContext context_;
    std::vector<std::unique_ptr<libusb_device, Unref>> devices_;
};

// The chip libftdi takes a device with this descriptor for, by the same rule it
// opens devices with; nullopt for a release number it does not know (libftdi would
// then keep its default, BM).
std::optional<ftdi_chip_type> chipOfDescriptor(const libusb_device_descriptor &descriptor);

// D2XX device type of a chip libftdi knows.
uint32_t d2xxChipType(ftdi_chip_type type);

// Where the device sits: bus and port path as sysfs names it ("1-1.4"); empty when
// libusb does not know the port path.
std::string portPath(libusb_device *device);

// ID and the USB product and serial strings. The strings come from what the kernel
// read when the device was plugged in (sysfs), which costs the device nothing;
// failing that, through `handle` (opened here when null). False when a string
// cannot be read; the ID is filled in anyway.
bool readIdAndStrings(libusb_device_handle *handle, libusb_device *device, DeviceInfo &out);

// Type, ID and strings of a listed device. Nothing is claimed, so a driver bound
// to it keeps working.
FT_STATUS describeListed(libusb_device *device, DeviceInfo &out);

}  // namespace kestrom::d2xx
