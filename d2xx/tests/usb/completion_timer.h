// Runs actions at the times they are due, on a thread of its own: the virtual
// chip's way of answering a transfer once it has taken as long as a real one
// would, without holding up umockdev's thread, which serves every chip on the bus.
#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>
#include <thread>

namespace kestrom::virtualchip {

class CompletionTimer {
public:
    using Clock = std::chrono::steady_clock;

    CompletionTimer();
    // Whatever is still waiting runs at once, so that nobody waits on a gone timer.
    ~CompletionTimer();
    CompletionTimer(const CompletionTimer &) = delete;
    CompletionTimer &operator=(const CompletionTimer &) = delete;

    // Runs `action` at `when` (at once if that has passed), in the order due; actions
    // due at the same time run in the order they came.
    void at(Clock::time_point when, std::function<void()> action);

private:
    void run();

    std::mutex mutex_;
    std::condition_variable changed_;
    std::multimap<Clock::time_point, std::function<void()>> due_;
    bool stopping_ = false;
    std::thread thread_;  // last: it starts once the rest is built
};

}  // namespace kestrom::virtualchip
