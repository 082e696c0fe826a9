#include "ioctl_socket.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <stdexcept>

namespace kestrom::virtualchip {
namespace {

// The preload library's messages: three unsigned longs each.
enum : unsigned long {
    kIoctl = 1,     // from the caller: request, argument
    kDone = 3,      // to it: result, errno
    kReadMem = 5,   // to it: address, length; it sends that many bytes
    kWriteMem = 6,  // to it: address, length, then the bytes
};

struct Message {
    unsigned long command = 0, first = 0, second = 0;
};

bool sendAll(int fd, const void *data, size_t length) {
    const auto *bytes = static_cast<const uint8_t *>(data);
    while (length > 0) {
        // A caller killed meanwhile must not take this process with it.
        const ssize_t sent = ::send(fd, bytes, length, MSG_NOSIGNAL);
        if (sent < 0 && errno == EINTR) continue;
        if (sent <= 0) return false;
        bytes += sent;
        length -= static_cast<size_t>(sent);
    }
    return true;
}

bool receiveAll(int fd, void *data, size_t length) {
    auto *bytes = static_cast<uint8_t *>(data);
    while (length > 0) {
        const ssize_t got = ::recv(fd, bytes, length, 0);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return false;
        bytes += got;
        length -= static_cast<size_t>(got);
    }
    return true;
}

void append(std::vector<uint8_t> &out, const void *data, size_t length) {
    const auto *bytes = static_cast<const uint8_t *>(data);
    out.insert(out.end(), bytes, bytes + length);
}

}  // namespace

IoctlCall::IoctlCall(int connection, unsigned long request, unsigned long argument, IoctlSocket &socket)
    : connection_(connection), request_(request), argument_(argument), socket_(socket) {}

bool IoctlCall::read(unsigned long address, void *into, size_t length) {
    // The preload library gives up on the whole program for an address it cannot read.
    if (address == 0) return false;
    if (length == 0) return true;
    const Message ask{kReadMem, address, length};
    return sendAll(connection_, &ask, sizeof ask) && receiveAll(connection_, into, length);
}

void IoctlCall::write(unsigned long address, const void *from, size_t length) {
    if (address == 0 || length == 0) return;
    const Message put{kWriteMem, address, length};
    append(pending_, &put, sizeof put);
    append(pending_, from, length);
}

bool IoctlCall::answer(long result, int error) {
    answered_ = true;
    const Message done{kDone, static_cast<unsigned long>(result), static_cast<unsigned long>(error)};
    append(pending_, &done, sizeof done);
    const bool sent = sendAll(connection_, pending_.data(), pending_.size());
    pending_.clear();
    return sent;
}

bool IoctlCall::waitUntil(std::chrono::steady_clock::time_point when) {
    std::unique_lock lock(socket_.mutex_);
    return !socket_.closing_.wait_until(lock, when, [&] { return socket_.closed_; });
}

IoctlSocket::IoctlSocket(const std::string &path, std::function<std::unique_ptr<Opener>()> open)
    : path_(path), open_(std::move(open)) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path) throw std::runtime_error("socket path too long: " + path);
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    std::error_code made;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), made);
    listening_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (listening_ < 0 ||
        ::bind(listening_, reinterpret_cast<const sockaddr *>(&address), sizeof address) != 0 ||
        ::listen(listening_, SOMAXCONN) != 0 || ::pipe2(wake_, O_CLOEXEC) != 0) {
        const std::string why = std::strerror(errno);
        for (const int fd : {listening_, wake_[0], wake_[1]})
            if (fd >= 0) ::close(fd);
        throw std::runtime_error("cannot listen at " + path + ": " + why);
    }
    accepting_ = std::thread([this] { accept(); });
}

IoctlSocket::~IoctlSocket() {
    {
        const std::lock_guard lock(mutex_);
        closed_ = true;
    }
    closing_.notify_all();
    const char stop = 1;
    [[maybe_unused]] const ssize_t woken = ::write(wake_[1], &stop, 1);
    accepting_.join();
    ::unlink(path_.c_str());
    // The accepting thread is gone: nobody else touches the list now.
    for (Connection &connection : connections_) ::shutdown(connection.fd, SHUT_RDWR);
    for (Connection &connection : connections_) {
        connection.thread.join();
        ::close(connection.fd);
    }
    for (const int fd : {listening_, wake_[0], wake_[1]}) ::close(fd);
}

void IoctlSocket::accept() {
    for (;;) {
        pollfd waiting[2] = {{listening_, POLLIN, 0}, {wake_[0], POLLIN, 0}};
        if (::poll(waiting, 2, -1) < 0 && errno != EINTR) return;
        if (waiting[1].revents != 0) return;
        if ((waiting[0].revents & POLLIN) == 0) continue;
        const int fd = ::accept4(listening_, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0) continue;
        forgetFinished();
        Connection &connection = connections_.emplace_back();
        connection.fd = fd;
        connection.thread = std::thread([this, &connection] { serve(connection); });
    }
}

void IoctlSocket::serve(Connection &connection) {
    const std::unique_ptr<Opener> opener = open_();
    Message asked;
    while (receiveAll(connection.fd, &asked, sizeof asked)) {
        IoctlCall call(connection.fd, asked.first, asked.second, *this);
        // Plain reads and writes of the node are no part of usbdevfs.
        if (asked.command == kIoctl) opener->ioctl(call);
        if (!call.answered() && !call.answer(-1, asked.command == kIoctl ? ENOTTY : EINVAL)) break;
    }
    connection.finished = true;
}

void IoctlSocket::forgetFinished() {
    for (auto connection = connections_.begin(); connection != connections_.end();) {
        if (!connection->finished) {
            ++connection;
            continue;
        }
        connection->thread.join();
        ::close(connection->fd);
        connection = connections_.erase(connection);
    }
}

}  // namespace kestrom::virtualchip
