// The seven lines that open the log.
#pragma once

#include <QDateTime>
#include <QLocale>

#include "log_sink.h"

namespace kestrom::reports {

// The date and time line uses the locale's short date format and its long time
// format (with seconds) without the time-zone name.
void WriteLogHeader(LogSink &log, const QDateTime &now = QDateTime::currentDateTime(),
                    const QLocale &locale = QLocale::system());

}  // namespace kestrom::reports
