// The host side of a virtual chip: the ioctls that libusb sends to a usbdevfs
// device node (/dev/bus/usb/BBB/DDD), answered as the Linux kernel would for a
// full-speed FTDI chip whose interfaces the ftdi_sio serial driver holds.
//
// - Control transfers (USBDEVFS_CONTROL, or a control URB through SUBMITURB) go to
//   the chip, which answers once it has taken a real chip's time. A URB waits in
//   its opener's queue until REAPURB/REAPURBNDELAY hands it back, the reap waiting
//   for it while the chip is busy; an empty queue answers EAGAIN, or ENODEV once
//   the chip is unplugged (URBs submitted before are still handed back first).
// - GETDRIVER names "ftdi_sio" while it is bound; the DISCONNECT and CONNECT
//   requests (USBDEVFS_IOCTL) and DISCONNECT_CLAIM detach and re-attach it, and the
//   chip counts the detaches. Claiming an interface the driver holds is EBUSY.
// - The node always polls ready: callers must loop.
#pragma once

#include <memory>

#include "ioctl_socket.h"
#include "virtual_chip.h"

namespace kestrom::virtualchip {

// The answerer of one opening of `chip`'s device node; the chip must outlive it.
std::unique_ptr<Opener> newUsbdevfsOpener(VirtualChip &chip);

}  // namespace kestrom::virtualchip
