#include "log_header.h"

namespace kestrom::reports {

namespace {

// The locale's long time format without its time-zone name ("t" runs outside
// quoted text), so the header keeps the seconds and nothing more.
QString timeFormatWithSeconds(const QLocale &locale) {
    const QString format = locale.timeFormat(QLocale::LongFormat);
    QString kept;
    bool quoted = false;
    for (const QChar c : format) {
        if (c == u'\'') quoted = !quoted;
        if (quoted || c != u't') kept += c;
    }
    return kept.trimmed();
}

}  // namespace

void WriteLogHeader(LogSink &log, const QDateTime &now, const QLocale &locale) {
    const QString indent(25, u' ');
    log.append(QString());
    log.append(QString());
    log.append(indent + QStringLiteral("Obsah paměti EEPROM ...."));
    log.append(QString());
    log.append(indent + locale.toString(now.date(), QLocale::ShortFormat) + u' ' +
               locale.toString(now.time(), timeFormatWithSeconds(locale)));
    log.append(QString(80, u'*'));
    log.append(QString());
}

}  // namespace kestrom::reports
