#include "usbdevfs_ioctl.h"

#include <linux/usbdevice_fs.h>
#include <sys/ioctl.h>

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstring>
#include <deque>
#include <vector>

namespace kestrom::virtualchip {
namespace {

constexpr char kSerialDriver[] = "ftdi_sio";
constexpr size_t kSetupSize = 8;
constexpr uint32_t kCapabilities = USBDEVFS_CAP_REAP_AFTER_DISCONNECT | USBDEVFS_CAP_NO_PACKET_SIZE_LIM;

using Clock = std::chrono::steady_clock;

Setup setupOf(const uint8_t *packet) {
    const auto word = [&](size_t at) { return static_cast<uint16_t>(packet[at] | packet[at + 1] << 8); };
    return {packet[0], packet[1], word(2), word(4), word(6)};
}

unsigned long addressOf(const void *pointer) {
    return reinterpret_cast<unsigned long>(pointer);
}

class UsbdevfsOpener final : public Opener {
public:
    explicit UsbdevfsOpener(VirtualChip &chip) : chip_(chip) {}

    void ioctl(IoctlCall &call) override {
        const unsigned long request = call.request();
        if (request == USBDEVFS_REAPURB || request == USBDEVFS_REAPURBNDELAY) return reap(call);
        if (!chip_.plugged()) return void(call.fail(ENODEV));
        switch (request) {
            case USBDEVFS_GET_CAPABILITIES:
                return call.write(call.argument(), kCapabilities), void(call.answer(0));
            case USBDEVFS_CLAIMINTERFACE:
                return claim(call);
            case USBDEVFS_DISCONNECT_CLAIM:
                return disconnectClaim(call);
            case USBDEVFS_GETDRIVER:
                return driverName(call);
            case USBDEVFS_IOCTL:
                return driverControl(call);
            case USBDEVFS_CONTROL:
                return controlTransfer(call);
            case USBDEVFS_SUBMITURB:
                return submit(call);
            case USBDEVFS_RELEASEINTERFACE:
            case USBDEVFS_SETINTERFACE:
            case USBDEVFS_SETCONFIGURATION:
            case USBDEVFS_RESET:
            case USBDEVFS_CLEAR_HALT:
            case USBDEVFS_RESETEP:
                return void(call.answer(0));
            case USBDEVFS_DISCARDURB:
                return void(call.fail(EINVAL));  // the chip took it: it is answered when its time is up
            default:
                return void(call.fail(ENOTTY));
        }
    }

private:
    // usbfs takes an interface the serial driver holds only after a disconnect.
    void claim(IoctlCall &call) {
        unsigned int interface = 0;
        if (!call.read(call.argument(), interface)) return void(call.fail(EFAULT));
        if (interface >= interfaceCount(chip_.kind())) return void(call.fail(ENOENT));
        if (chip_.driverBound(static_cast<uint8_t>(interface))) return void(call.fail(EBUSY));
        call.answer(0);
    }

    void disconnectClaim(IoctlCall &call) {
        usbdevfs_disconnect_claim dc{};
        if (!call.read(call.argument(), dc)) return void(call.fail(EFAULT));
        if (dc.interface >= interfaceCount(chip_.kind())) return void(call.fail(ENOENT));
        const bool named = std::strncmp(dc.driver, kSerialDriver, sizeof dc.driver) == 0;
        const bool detach = (dc.flags & USBDEVFS_DISCONNECT_CLAIM_IF_DRIVER)       ? named
                            : (dc.flags & USBDEVFS_DISCONNECT_CLAIM_EXCEPT_DRIVER) ? !named
                                                                                   : true;
        const auto interface = static_cast<uint8_t>(dc.interface);
        if (detach) chip_.detachDriver(interface);
        if (chip_.driverBound(interface)) return void(call.fail(EBUSY));
        call.answer(0);
    }

    void driverName(IoctlCall &call) {
        usbdevfs_getdriver query{};
        if (!call.read(call.argument(), query)) return void(call.fail(EFAULT));
        if (query.interface >= interfaceCount(chip_.kind())) return void(call.fail(EINVAL));
        if (!chip_.driverBound(static_cast<uint8_t>(query.interface))) return void(call.fail(ENODATA));
        std::strncpy(query.driver, kSerialDriver, sizeof query.driver);
        call.write(call.argument(), query);
        call.answer(0);
    }

    // USBDEVFS_IOCTL: the requests usbfs passes on to an interface's driver.
    void driverControl(IoctlCall &call) {
        usbdevfs_ioctl command{};
        if (!call.read(call.argument(), command)) return void(call.fail(EFAULT));
        if (command.ifno < 0 || command.ifno >= interfaceCount(chip_.kind())) return void(call.fail(EINVAL));
        const auto interface = static_cast<uint8_t>(command.ifno);
        switch (command.ioctl_code) {
            case USBDEVFS_DISCONNECT:
                if (!chip_.detachDriver(interface)) return void(call.fail(ENODATA));
                return void(call.answer(0));
            case USBDEVFS_CONNECT:
                chip_.attachDriver(interface);
                return void(call.answer(0));
            default:
                return void(call.fail(ENOTTY));
        }
    }

    // The synchronous control transfer; answers the bytes moved once the chip is done.
    void controlTransfer(IoctlCall &call) {
        usbdevfs_ctrltransfer ctrl{};
        if (!call.read(call.argument(), ctrl)) return void(call.fail(EFAULT));
        const Setup setup{ctrl.bRequestType, ctrl.bRequest, ctrl.wValue, ctrl.wIndex, ctrl.wLength};
        const bool in = (ctrl.bRequestType & 0x80) != 0;
        std::vector<uint8_t> data(ctrl.wLength);
        if (!data.empty() &&
            (ctrl.data == nullptr || (!in && !call.read(addressOf(ctrl.data), data.data(), data.size()))))
            return void(call.fail(EFAULT));
        const Answer answer = chip_.control(setup, data);
        if (answer.outcome == Answer::Gone) return void(call.fail(ENODEV));
        if (!call.waitUntil(answer.ready)) return;
        if (answer.outcome == Answer::Stalled) return void(call.fail(EPIPE));
        if (in) call.write(addressOf(ctrl.data), data.data(), std::min(answer.length, data.size()));
        call.answer(static_cast<long>(in ? answer.length : ctrl.wLength));
    }

    // The chip takes a control URB at once and the answer goes into the opener's
    // memory now; the URB is handed back to the opener's reap when the chip is done.
    void submit(IoctlCall &call) {
        usbdevfs_urb urb{};
        if (!call.read(call.argument(), urb)) return void(call.fail(EFAULT));
        if (urb.type != USBDEVFS_URB_TYPE_CONTROL || (urb.endpoint & 0x7F) != 0 || urb.buffer_length < 0 ||
            static_cast<size_t>(urb.buffer_length) < kSetupSize) {
            return void(call.fail(EINVAL));
        }
        std::vector<uint8_t> buffer(static_cast<size_t>(urb.buffer_length));
        if (!call.read(addressOf(urb.buffer), buffer.data(), buffer.size())) return void(call.fail(EFAULT));
        const Setup setup = setupOf(buffer.data());
        const size_t room = std::min<size_t>(setup.length, buffer.size() - kSetupSize);
        const Answer answer = chip_.control(setup, {buffer.data() + kSetupSize, room});
        if (answer.outcome == Answer::Gone) return void(call.fail(ENODEV));
        const bool in = (setup.requestType & 0x80) != 0;
        urb.status = answer.outcome == Answer::Stalled ? -EPIPE : 0;
        urb.actual_length = answer.outcome == Answer::Done ? static_cast<int>(in ? answer.length : room) : 0;
        call.write(call.argument(), urb);
        if (in && answer.outcome == Answer::Done)
            call.write(addressOf(urb.buffer) + kSetupSize, buffer.data() + kSetupSize,
                       std::min(answer.length, room));
        reapable_.push_back({call.argument(), answer.ready});
        call.answer(0);
    }

    // A URB the chip is still working on holds the reap back until it is done, the
    // non-blocking reap too: the node always polls ready, so libusb would otherwise
    // ask again and again while the chip works.
    void reap(IoctlCall &call) {
        if (reapable_.empty()) return void(call.fail(chip_.plugged() ? EAGAIN : ENODEV));
        if (call.argument() == 0) return void(call.fail(EFAULT));
        if (!call.waitUntil(reapable_.front().done)) return;
        call.write(call.argument(), reapable_.front().address);
        reapable_.pop_front();
        call.answer(0);
    }

    struct Submitted {
        unsigned long address = 0;  // the URB, in the opener's memory
        Clock::time_point done;
    };

    VirtualChip &chip_;
    std::deque<Submitted> reapable_;  // a closed node takes its unreaped URBs with it
};

}  // namespace

std::unique_ptr<Opener> newUsbdevfsOpener(VirtualChip &chip) {
    return std::make_unique<UsbdevfsOpener>(chip);
}

}  // namespace kestrom::virtualchip
