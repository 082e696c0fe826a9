#include "usbdevfs_ioctl.h"

#include <linux/usbdevice_fs.h>
#include <sys/ioctl.h>

#include <cerrno>
#include <cstddef>
#include <cstring>
#include <deque>
#include <map>
#include <memory>
#include <mutex>

#include "completion_timer.h"

namespace kestrom::virtualchip {
namespace {

constexpr char kSerialDriver[] = "ftdi_sio";
constexpr size_t kSetupSize = 8;
constexpr uint32_t kCapabilities = USBDEVFS_CAP_REAP_AFTER_DISCONNECT | USBDEVFS_CAP_NO_PACKET_SIZE_LIM;

// A pointer the client passed, resolved into our memory; unreferenced when done.
class Resolved {
public:
    Resolved(UMockdevIoctlData *parent, size_t offset, size_t length)
        : data_(umockdev_ioctl_data_resolve(parent, offset, length, nullptr)) {}
    ~Resolved() {
        if (data_ != nullptr) g_object_unref(data_);
    }
    Resolved(const Resolved &) = delete;
    Resolved &operator=(const Resolved &) = delete;

    explicit operator bool() const { return data_ != nullptr; }
    UMockdevIoctlData *get() const { return data_; }
    template <typename T>
    T &as() const {
        return *reinterpret_cast<T *>(data_->data);
    }
    uint8_t *bytes() const { return data_->data; }

private:
    UMockdevIoctlData *data_;
};

Setup setupOf(const uint8_t *packet) {
    const auto word = [&](size_t at) { return static_cast<uint16_t>(packet[at] | packet[at + 1] << 8); };
    return {packet[0], packet[1], word(2), word(4), word(6)};
}

using Clock = CompletionTimer::Clock;

class Handler {
public:
    explicit Handler(VirtualChip &chip) : chip_(chip) {}

    static gboolean onIoctl(UMockdevIoctlBase *, UMockdevIoctlClient *client, gpointer self) {
        static_cast<Handler *>(self)->handle(client);
        return TRUE;
    }

private:
    void handle(UMockdevIoctlClient *client) {
        const unsigned long request = umockdev_ioctl_client_get_request(client);
        UMockdevIoctlData *arg = umockdev_ioctl_client_get_arg(client);
        if (request == USBDEVFS_REAPURB || request == USBDEVFS_REAPURBNDELAY) return reap(client, arg);
        if (!chip_.plugged()) return fail(client, ENODEV);
        switch (request) {
            case USBDEVFS_GET_CAPABILITIES:
                return answerWith<uint32_t>(client, arg, [](uint32_t &caps) { caps = kCapabilities; });
            case USBDEVFS_CLAIMINTERFACE:
                return claim(client, arg);
            case USBDEVFS_DISCONNECT_CLAIM:
                return disconnectClaim(client, arg);
            case USBDEVFS_GETDRIVER:
                return driverName(client, arg);
            case USBDEVFS_IOCTL:
                return driverControl(client, arg);
            case USBDEVFS_CONTROL:
                return controlTransfer(client, arg);
            case USBDEVFS_SUBMITURB:
                return submit(client, arg);
            case USBDEVFS_RELEASEINTERFACE:
            case USBDEVFS_SETINTERFACE:
            case USBDEVFS_SETCONFIGURATION:
            case USBDEVFS_RESET:
            case USBDEVFS_CLEAR_HALT:
            case USBDEVFS_RESETEP:
                return umockdev_ioctl_client_complete(client, 0, 0);
            case USBDEVFS_DISCARDURB:
                return fail(client, EINVAL);  // the chip took it: it is answered when its time is up
            default:
                return fail(client, ENOTTY);
        }
    }

    static void fail(UMockdevIoctlClient *client, int error) {
        umockdev_ioctl_client_complete(client, -1, error);
    }

    // Answers the ioctl at `when`; the client waits in it till then, umockdev's thread does not.
    void completeAt(Clock::time_point when, UMockdevIoctlClient *client, long result, int error) {
        if (when <= Clock::now()) return umockdev_ioctl_client_complete(client, result, error);
        g_object_ref(client);
        timer_.at(when, [client, result, error] {
            umockdev_ioctl_client_complete(client, result, error);
            g_object_unref(client);
        });
    }

    template <typename T, typename Fill>
    void answerWith(UMockdevIoctlClient *client, UMockdevIoctlData *arg, Fill fill) {
        const Resolved value(arg, 0, sizeof(T));
        if (!value) return fail(client, EFAULT);
        fill(value.as<T>());
        umockdev_ioctl_client_complete(client, 0, 0);
    }

    // usbfs takes an interface the serial driver holds only after a disconnect.
    void claim(UMockdevIoctlClient *client, UMockdevIoctlData *arg) {
        const Resolved number(arg, 0, sizeof(unsigned int));
        if (!number) return fail(client, EFAULT);
        const unsigned int interface = number.as<unsigned int>();
        if (interface >= interfaceCount(chip_.kind())) return fail(client, ENOENT);
        if (chip_.driverBound(static_cast<uint8_t>(interface))) return fail(client, EBUSY);
        umockdev_ioctl_client_complete(client, 0, 0);
    }

    void disconnectClaim(UMockdevIoctlClient *client, UMockdevIoctlData *arg) {
        const Resolved request(arg, 0, sizeof(usbdevfs_disconnect_claim));
        if (!request) return fail(client, EFAULT);
        const auto &dc = request.as<usbdevfs_disconnect_claim>();
        if (dc.interface >= interfaceCount(chip_.kind())) return fail(client, ENOENT);
        const bool named = std::strncmp(dc.driver, kSerialDriver, sizeof dc.driver) == 0;
        const bool detach = (dc.flags & USBDEVFS_DISCONNECT_CLAIM_IF_DRIVER)       ? named
                            : (dc.flags & USBDEVFS_DISCONNECT_CLAIM_EXCEPT_DRIVER) ? !named
                                                                                   : true;
        const auto interface = static_cast<uint8_t>(dc.interface);
        if (detach) chip_.detachDriver(interface);
        if (chip_.driverBound(interface)) return fail(client, EBUSY);
        umockdev_ioctl_client_complete(client, 0, 0);
    }

    void driverName(UMockdevIoctlClient *client, UMockdevIoctlData *arg) {
        const Resolved request(arg, 0, sizeof(usbdevfs_getdriver));
        if (!request) return fail(client, EFAULT);
        auto &query = request.as<usbdevfs_getdriver>();
        if (query.interface >= interfaceCount(chip_.kind())) return fail(client, EINVAL);
        if (!chip_.driverBound(static_cast<uint8_t>(query.interface))) return fail(client, ENODATA);
        std::strncpy(query.driver, kSerialDriver, sizeof query.driver);
        umockdev_ioctl_client_complete(client, 0, 0);
    }

    // USBDEVFS_IOCTL: the requests usbfs passes on to an interface's driver.
    void driverControl(UMockdevIoctlClient *client, UMockdevIoctlData *arg) {
        const Resolved request(arg, 0, sizeof(usbdevfs_ioctl));
        if (!request) return fail(client, EFAULT);
        const auto &command = request.as<usbdevfs_ioctl>();
        if (command.ifno < 0 || command.ifno >= interfaceCount(chip_.kind())) return fail(client, EINVAL);
        const auto interface = static_cast<uint8_t>(command.ifno);
        switch (command.ioctl_code) {
            case USBDEVFS_DISCONNECT:
                if (!chip_.detachDriver(interface)) return fail(client, ENODATA);
                return umockdev_ioctl_client_complete(client, 0, 0);
            case USBDEVFS_CONNECT:
                chip_.attachDriver(interface);
                return umockdev_ioctl_client_complete(client, 0, 0);
            default:
                return fail(client, ENOTTY);
        }
    }

    // The synchronous control transfer; answers the bytes moved once the chip is done.
    void controlTransfer(UMockdevIoctlClient *client, UMockdevIoctlData *arg) {
        const Resolved request(arg, 0, sizeof(usbdevfs_ctrltransfer));
        if (!request) return fail(client, EFAULT);
        const auto &ctrl = request.as<usbdevfs_ctrltransfer>();
        const Setup setup{ctrl.bRequestType, ctrl.bRequest, ctrl.wValue, ctrl.wIndex, ctrl.wLength};
        const Resolved data(request.get(), offsetof(usbdevfs_ctrltransfer, data), ctrl.wLength);
        if (ctrl.wLength != 0 && !data) return fail(client, EFAULT);
        const Answer answer = chip_.control(setup, {data ? data.bytes() : nullptr, ctrl.wLength});
        if (answer.outcome == Answer::Gone) return fail(client, ENODEV);
        if (answer.outcome == Answer::Stalled) return completeAt(answer.ready, client, -1, EPIPE);
        const bool in = (ctrl.bRequestType & 0x80) != 0;
        completeAt(answer.ready, client, static_cast<long>(in ? answer.length : ctrl.wLength), 0);
    }

    // The chip takes a control URB at once and the answer goes into the opener's
    // memory now; the URB is handed back to its opener's reap when the chip is done.
    void submit(UMockdevIoctlClient *client, UMockdevIoctlData *arg) {
        const Resolved urbData(arg, 0, sizeof(usbdevfs_urb));
        if (!urbData) return fail(client, EFAULT);
        auto &urb = urbData.as<usbdevfs_urb>();
        if (urb.type != USBDEVFS_URB_TYPE_CONTROL || (urb.endpoint & 0x7F) != 0 || urb.buffer_length < 0 ||
            static_cast<size_t>(urb.buffer_length) < kSetupSize) {
            return fail(client, EINVAL);
        }
        const Resolved buffer(urbData.get(), offsetof(usbdevfs_urb, buffer),
                              static_cast<size_t>(urb.buffer_length));
        if (!buffer) return fail(client, EFAULT);
        const Setup setup = setupOf(buffer.bytes());
        const size_t room =
            std::min<size_t>(setup.length, static_cast<size_t>(urb.buffer_length) - kSetupSize);
        const Answer answer = chip_.control(setup, {buffer.bytes() + kSetupSize, room});
        if (answer.outcome == Answer::Gone) return fail(client, ENODEV);
        urb.status = answer.outcome == Answer::Stalled ? -EPIPE : 0;
        const bool in = (setup.requestType & 0x80) != 0;
        urb.actual_length = answer.outcome == Answer::Done ? static_cast<int>(in ? answer.length : room) : 0;
        queue(client, {urbData.get()->client_addr, answer.ready});
        umockdev_ioctl_client_complete(client, 0, 0);
    }

    // A URB the chip is still working on holds the reap back until it is done, the
    // non-blocking reap too: the node's poll() always says ready, so libusb would
    // otherwise ask again and again, and umockdev's one thread would do nothing but
    // answer EAGAIN while the other chips' transfers waited behind it.
    void reap(UMockdevIoctlClient *client, UMockdevIoctlData *arg) {
        bool waiting = false;
        Clock::time_point done;
        {
            const std::lock_guard lock(mutex_);
            const auto found = reapable_.find(client);
            if (found != reapable_.end() && !found->second.empty()) {
                waiting = true;
                done = found->second.front().done;
            }
        }
        if (!waiting) return fail(client, chip_.plugged() ? EAGAIN : ENODEV);
        auto pointer = std::make_shared<Resolved>(arg, 0, sizeof(void *));
        if (!*pointer) return fail(client, EFAULT);
        if (done <= Clock::now()) return handBack(client, *pointer);
        g_object_ref(client);
        timer_.at(done, [this, client, pointer] {
            handBack(client, *pointer);
            g_object_unref(client);
        });
    }

    // The first URB of the client's queue goes into the reap's pointer.
    void handBack(UMockdevIoctlClient *client, const Resolved &pointer) {
        unsigned long urb = 0;
        {
            const std::lock_guard lock(mutex_);
            const auto found = reapable_.find(client);
            if (found != reapable_.end() && !found->second.empty()) {
                urb = found->second.front().address;
                found->second.pop_front();
            }
        }
        if (urb == 0) return fail(client, ENODEV);
        pointer.as<unsigned long>() = urb;
        umockdev_ioctl_client_complete(client, 0, 0);
    }

    struct Submitted {
        unsigned long address = 0;  // the URB, in the client's memory
        Clock::time_point done;
    };

    void queue(UMockdevIoctlClient *client, Submitted urb) {
        const std::lock_guard lock(mutex_);
        auto [waiting, added] = reapable_.try_emplace(client);
        waiting->second.push_back(urb);
        // A closed node takes its unreaped URBs with it.
        if (added) g_object_weak_ref(G_OBJECT(client), &Handler::forget, this);
    }

    static void forget(gpointer self, GObject *client) {
        auto *handler = static_cast<Handler *>(self);
        const std::lock_guard lock(handler->mutex_);
        handler->reapable_.erase(reinterpret_cast<UMockdevIoctlClient *>(client));
    }

    VirtualChip &chip_;
    std::mutex mutex_;
    std::map<UMockdevIoctlClient *, std::deque<Submitted>> reapable_;
    CompletionTimer timer_;  // last: it goes first, answering whoever still waits
};

}  // namespace

UMockdevIoctlBase *newUsbdevfsHandler(VirtualChip &chip) {
    UMockdevIoctlBase *base = umockdev_ioctl_base_new();
    auto *handler = new Handler(chip);
    g_object_set_data_full(G_OBJECT(base), "kestrom-virtual-chip", handler,
                           [](gpointer h) { delete static_cast<Handler *>(h); });
    g_signal_connect(base, "handle-ioctl", G_CALLBACK(&Handler::onIoctl), handler);
    return base;
}

}  // namespace kestrom::virtualchip
