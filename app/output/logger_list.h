// The log: the window's one output pane, lines in a fixed-pitch face so the
// report's columns line up, any set of lines selectable.
#pragma once

#include <QListWidget>
#include <vector>

#include "log_sink.h"

namespace kestrom::output {

// Line counts and indices were 16-bit once; the log never holds more.
inline constexpr int kMaxLogLines = 32767;
// The header opens the log and is never pushed out by new lines.
inline constexpr int kLogHeaderLines = 7;

class LoggerList : public QListWidget, public reports::LogSink {
public:
    explicit LoggerList(QWidget *parent = nullptr);

    // Past kMaxLogLines the oldest lines after the header make room.
    void append(const QString &line) override;
    void appendLines(QStringList lines);
    QStringList lines() const;
    // One flag a line, true where the line is selected.
    std::vector<bool> selectedRows() const;
    void replaceLines(const QStringList &lines);
    // Empties the log and writes a fresh header.
    void clearLog();

protected:
    void keyPressEvent(QKeyEvent *event) override;
};

}  // namespace kestrom::output
