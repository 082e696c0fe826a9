// The host side of a virtual chip: the ioctls that libusb sends to a usbdevfs
// device node (/dev/bus/usb/BBB/DDD), answered as the Linux kernel would for a
// full-speed FTDI chip whose interfaces the ftdi_sio serial driver holds.
//
// - Control transfers (USBDEVFS_CONTROL, or a control URB through SUBMITURB) go to
//   the chip. A URB completes at once and waits in its opener's queue until
//   REAPURB/REAPURBNDELAY hands it back; an empty queue answers EAGAIN, or ENODEV
//   once the chip is unplugged (completed URBs are still handed back first).
// - GETDRIVER names "ftdi_sio" while it is bound; the DISCONNECT and CONNECT
//   requests (USBDEVFS_IOCTL) and DISCONNECT_CLAIM detach and re-attach it, and the
//   chip counts the detaches. Claiming an interface the driver holds is EBUSY.
// - The node is a plain file, so poll() always says ready: callers must loop.
#pragma once

#include <umockdev.h>

#include "virtual_chip.h"

namespace kestrom::virtualchip {

// A new ioctl handler for `chip`'s device node; the caller owns the reference.
// The chip must outlive it.
UMockdevIoctlBase *newUsbdevfsHandler(VirtualChip &chip);

}  // namespace kestrom::virtualchip
