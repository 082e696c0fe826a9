#include "completion_timer.h"

namespace kestrom::virtualchip {

CompletionTimer::CompletionTimer() : thread_([this] { run(); }) {}

CompletionTimer::~CompletionTimer() {
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_one();
    thread_.join();
}

void CompletionTimer::at(Clock::time_point when, std::function<void()> action) {
    {
        const std::lock_guard lock(mutex_);
        due_.emplace(when, std::move(action));
    }
    changed_.notify_one();
}

void CompletionTimer::run() {
    std::unique_lock lock(mutex_);
    for (;;) {
        if (due_.empty()) {
            if (stopping_) return;
            changed_.wait(lock);
            continue;
        }
        const auto next = due_.begin();
        if (!stopping_ && next->first > Clock::now()) {
            changed_.wait_until(lock, next->first);
            continue;
        }
        std::function<void()> action = std::move(next->second);
        due_.erase(next);
        // The action may ask for another one.
        lock.unlock();
        action();
        lock.lock();
    }
}

}  // namespace kestrom::virtualchip
