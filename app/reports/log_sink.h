// Where the reports write: the log, one line at a time, each added after the last.
// The window's log list implements it; the command line prints the lines.
#pragma once

#include <QString>
#include <QStringList>

namespace kestrom::reports {

class LogSink {
public:
    virtual ~LogSink() = default;
    virtual void append(const QString &line) = 0;
};

// Keeps the lines in order.
class LineList : public LogSink {
public:
    void append(const QString &line) override { lines.append(line); }
    QStringList lines;
};

}  // namespace kestrom::reports
