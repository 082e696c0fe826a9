#include "production_log.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <cerrno>
#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

#include "folder_room.h"

namespace kestrom::cli {

namespace {

const QByteArray kHeader = QByteArrayLiteral("time,number,serial,vid_pid,result,backup");
const QByteArray kStationColumn = QByteArrayLiteral(",station");

QString cannotWrite(const QString &path, const QString &why) {
    return QStringLiteral("the log %1 cannot be written: %2").arg(QDir::toNativeSeparators(path), why);
}

// Whether the file's last byte ends a line: one a full disk cut short does not.
bool endsLine(const QString &path) {
    QFile file(path);
    return !file.open(QIODevice::ReadOnly) || !file.seek(file.size() - 1) || file.read(1) == "\n";
}

}  // namespace

QString csvField(const QString &text) {
    if (!text.contains(u',') && !text.contains(u'"') && !text.contains(u'\n') && !text.contains(u'\r'))
        return text;
    return u'"' + QString(text).replace(u'"', QStringLiteral("\"\"")) + u'"';
}

bool ProductionLog::write(const QByteArray &bytes, QString &error) const {
    QDir().mkpath(QFileInfo(path_).absolutePath());
    QFile file(path_);
    const bool fresh = !file.exists() || file.size() == 0;
    const auto failed = [&](const QString &why) {
        error = cannotWrite(path_, why);
        return false;
    };
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append)) return failed(file.errorString());
    const QByteArray header = kHeader + (stations_ ? kStationColumn : QByteArray()) + '\n';
    const QByteArray whole = (fresh ? header : endsLine(path_) ? QByteArray() : QByteArray("\n")) + bytes;
    if (file.write(whole) != whole.size() || !file.flush()) return failed(file.errorString());
#ifdef Q_OS_UNIX
    if (::fsync(file.handle()) != 0) return failed(fileErrorText(errno));
#endif
    return true;
}

bool ProductionLog::prepare(QString &error) const {
    if (!write({}, error)) return false;
    if (const QString room = folderWriteProblem(QFileInfo(path_).absolutePath()); !room.isEmpty()) {
        error = cannotWrite(path_, room);
        return false;
    }
    return true;
}

bool ProductionLog::append(const LogLine &line, QString &error) const {
    QStringList fields{line.time.toOffsetFromUtc(line.time.offsetFromUtc()).toString(Qt::ISODate),
                       line.number ? QString::number(*line.number) : QString(),
                       line.serial,
                       line.vidPid,
                       line.result,
                       QDir::toNativeSeparators(line.backup)};
    if (hasStations()) fields << line.station;
    QStringList quoted;
    for (const QString &field : fields) quoted << csvField(field);
    return write(quoted.join(u',').toUtf8() + '\n', error);
}

bool ProductionLog::hasStations() const {
    QFile file(path_);
    if (!file.open(QIODevice::ReadOnly) || file.size() == 0) return stations_;
    return file.readLine().trimmed().endsWith(kStationColumn);
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
