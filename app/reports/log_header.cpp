#include "log_header.h"

namespace kestrom::reports {

void WriteLogHeader(LogSink &log, const QDateTime &now, const QLocale &locale) {
    const QString indent(25, u' ');
    log.append(QString());
    log.append(QString());
    log.append(indent + QStringLiteral("Obsah paměti EEPROM ...."));
    log.append(QString());
    log.append(indent + locale.toString(now.date(), QLocale::ShortFormat) + u' ' +
               locale.toString(now.time(), QLocale::ShortFormat));
    log.append(QString(80, u'*'));
    log.append(QString());
}

}  // namespace kestrom::reports
