// The far end of a device node as umockdev's preload library sees it: a program
// that opens the node is connected to a Unix socket in the testbed
// ($UMOCKDEV_DIR/ioctl/dev/...), and each ioctl it makes on the node becomes a
// request there. The answer may ask for the caller's memory (READ_MEM), write into
// it (WRITE_MEM) and ends with the ioctl's result (DONE).
//
// Every opener is served by a thread of its own, so a device that takes its time
// holds up only the caller waiting for it, and chips on one bus work side by side.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace kestrom::virtualchip {

class IoctlSocket;

// One ioctl a program made on the node, answered once.
class IoctlCall {
public:
    IoctlCall(int connection, unsigned long request, unsigned long argument, IoctlSocket &socket);

    unsigned long request() const { return request_; }
    // The ioctl's third argument: an address in the caller's memory, as a rule.
    unsigned long argument() const { return argument_; }

    // Copies the caller's memory at `address`; false for a null address or a caller gone.
    bool read(unsigned long address, void *into, size_t length);
    template <typename T>
    bool read(unsigned long address, T &into) {
        return read(address, &into, sizeof into);
    }
    // Writes into the caller's memory along with the answer.
    void write(unsigned long address, const void *from, size_t length);
    template <typename T>
    void write(unsigned long address, const T &from) {
        write(address, &from, sizeof from);
    }

    // The ioctl returns `result`, setting errno to `error`; false when the caller is gone.
    bool answer(long result, int error = 0);
    bool fail(int error) { return answer(-1, error); }
    bool answered() const { return answered_; }

    // Waits until `when`; false when the socket closes first.
    bool waitUntil(std::chrono::steady_clock::time_point when);

private:
    const int connection_;
    const unsigned long request_;
    const unsigned long argument_;
    IoctlSocket &socket_;
    std::vector<uint8_t> pending_;  // WRITE_MEMs, sent with the answer
    bool answered_ = false;
};

// What one opening of the node answers, for as long as it stays open.
class Opener {
public:
    virtual ~Opener() = default;
    virtual void ioctl(IoctlCall &call) = 0;
};

class IoctlSocket {
public:
    // Listens at `path` (its folders are made); `open` makes the answerer of each new opener.
    // Throws std::runtime_error when the socket cannot be made.
    IoctlSocket(const std::string &path, std::function<std::unique_ptr<Opener>()> open);
    // Closes every connection, waiting for its thread, and removes the socket.
    ~IoctlSocket();
    IoctlSocket(const IoctlSocket &) = delete;
    IoctlSocket &operator=(const IoctlSocket &) = delete;

private:
    friend class IoctlCall;
    struct Connection {
        int fd = -1;
        std::atomic<bool> finished = false;
        std::thread thread;
    };

    void accept();
    void serve(Connection &connection);
    void forgetFinished();

    const std::string path_;
    const std::function<std::unique_ptr<Opener>()> open_;
    int listening_ = -1;
    int wake_[2] = {-1, -1};  // written once to end the accepting thread

    std::mutex mutex_;
    std::condition_variable closing_;
    bool closed_ = false;
    std::list<Connection> connections_;
    std::thread accepting_;  // last: it starts once the rest is built
};

}  // namespace kestrom::virtualchip
