// Holds the auto update still while a command that changes the chip asks its questions
// and does its work: a tick inside the question's modal loop would reload the editor
// behind the user's answer. The timer runs again afterwards if it ran before.
#pragma once

#include <QTimer>

namespace kestrom::mainwindow {

class TickPause {
public:
    explicit TickPause(QTimer &timer) : timer_(timer), wasActive_(timer.isActive()) { timer_.stop(); }
    ~TickPause() {
        if (wasActive_) timer_.start();
    }
    TickPause(const TickPause &) = delete;
    TickPause &operator=(const TickPause &) = delete;

private:
    QTimer &timer_;
    const bool wasActive_;
};

}  // namespace kestrom::mainwindow
