#include "production_log.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace kestrom::cli {

namespace {

const QByteArray kHeader = QByteArrayLiteral("time,number,serial,vid_pid,result,backup\n");

}  // namespace

QString csvField(const QString &text) {
    if (!text.contains(u',') && !text.contains(u'"') && !text.contains(u'\n') && !text.contains(u'\r'))
        return text;
    return u'"' + QString(text).replace(u'"', QStringLiteral("\"\"")) + u'"';
}

bool ProductionLog::append(const LogLine &line, QString &error) const {
    QDir().mkpath(QFileInfo(path_).absolutePath());
    QFile file(path_);
    const bool fresh = !file.exists() || file.size() == 0;
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append)) {
        error = QStringLiteral("the log %1 cannot be written: %2")
                    .arg(QDir::toNativeSeparators(path_), file.errorString());
        return false;
    }
    const QStringList fields{line.time.toOffsetFromUtc(line.time.offsetFromUtc()).toString(Qt::ISODate),
                             line.number ? QString::number(*line.number) : QString(),
                             line.serial,
                             line.vidPid,
                             line.result,
                             QDir::toNativeSeparators(line.backup)};
    QStringList quoted;
    for (const QString &field : fields) quoted << csvField(field);
    const QByteArray bytes = (fresh ? kHeader : QByteArray()) + quoted.join(u',').toUtf8() + '\n';
    if (file.write(bytes) != bytes.size() || !file.flush()) {
        error = QStringLiteral("the log %1 cannot be written: %2")
                    .arg(QDir::toNativeSeparators(path_), file.errorString());
        return false;
    }
#ifdef Q_OS_UNIX
    ::fsync(file.handle());
#endif
    return true;
}

bool ProductionLog::holds(uint64_t number) const {
    QFile file(path_);
    if (!file.open(QIODevice::ReadOnly)) return false;
    const QByteArray wanted = ',' + QByteArray::number(qulonglong(number)) + ',';
    while (!file.atEnd()) {
        const QByteArray line = file.readLine();
        const qsizetype firstComma = line.indexOf(',');
        if (firstComma >= 0 && line.mid(firstComma, wanted.size()) == wanted) return true;
    }
    return false;
}

}  // namespace kestrom::cli
