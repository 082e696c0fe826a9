// The log: the window's one output pane, lines in a fixed-pitch face so the
// report's columns line up, any set of lines selectable.
#pragma once

#include <QListWidget>

#include "log_sink.h"

namespace kestrom::mainwindow {

class LoggerList : public QListWidget, public reports::LogSink {
public:
    explicit LoggerList(QWidget *parent = nullptr);

    void append(const QString &line) override;
    QStringList lines() const;
};

}  // namespace kestrom::mainwindow
