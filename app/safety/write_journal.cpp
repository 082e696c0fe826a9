#include "write_journal.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QStandardPaths>
#include <algorithm>
#include <cctype>

#include "checked_file.h"

namespace kestrom::safety {

namespace {

const QString kStarted = QStringLiteral("started");
const QString kOperation = QStringLiteral("operation");
const QString kBackup = QStringLiteral("backup");
const QString kChip = QStringLiteral("chip");
const QString kId = QStringLiteral("id");
const QString kSerial = QStringLiteral("serial");
const QString kDescription = QStringLiteral("description");

std::optional<JournalEntry> readEntry(const QString &file) {
    const QSettings stored(file, QSettings::IniFormat);
    JournalEntry entry;
    entry.file = file;
    entry.started = QDateTime::fromString(stored.value(kStarted).toString(), Qt::ISODateWithMs);
    entry.operation = stored.value(kOperation).toString();
    entry.backup = stored.value(kBackup).toString();
    entry.device.type = stored.value(kChip).toUInt();
    entry.device.id = stored.value(kId).toUInt();
    entry.device.serialNumber = stored.value(kSerial).toString();
    entry.device.description = stored.value(kDescription).toString();
    if (!entry.started.isValid() || entry.backup.isEmpty()) return std::nullopt;
    return entry;
}

// A text as QSettings reads it back from an INI file: quoted, with \" \\ and \x
// escapes (a hex digit right after an \x escape escaped too, lest it join it), a
// leading @ doubled.
QByteArray iniText(const QString &text) {
    QString quoted = QStringLiteral("\"");
    if (text.startsWith(u'@')) quoted += u'@';
    bool afterHexEscape = false;
    for (const QChar c : text) {
        const bool hexDigit = c.unicode() < 0x80 && std::isxdigit(c.unicode());
        if (c.unicode() < 0x20 || c.unicode() == 0x7F || (afterHexEscape && hexDigit)) {
            quoted += QStringLiteral("\\x%1").arg(c.unicode(), 0, 16);
            afterHexEscape = true;
            continue;
        }
        if (c == u'"' || c == u'\\') quoted += u'\\';
        quoted += c;
        afterHexEscape = false;
    }
    return (quoted + u'"').toUtf8();
}

}  // namespace

QString WriteJournal::defaultFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/kestrom/journal");
}

WriteJournal::WriteJournal(QString folder) : folder_(std::move(folder)) {}

std::optional<JournalEntry> WriteJournal::begin(const QString &operation, const ChipIdentity &device,
                                                const QString &backup, QString &error) {
    if (!QDir().mkpath(folder_)) {
        error = QStringLiteral("the folder %1 cannot be made").arg(QDir::toNativeSeparators(folder_));
        return std::nullopt;
    }
    JournalEntry entry{{}, QDateTime::currentDateTime(), operation, backup, device};
    entry.file = QStringLiteral("%1/%2-%3.ini")
                     .arg(folder_, entry.started.toString(QStringLiteral("yyyyMMdd-HHmmss-zzz")))
                     .arg(QCoreApplication::applicationPid());
    const std::pair<QString, QString> values[] = {
        {kStarted, entry.started.toString(Qt::ISODateWithMs)},
        {kOperation, operation},
        {kBackup, backup},
        {kChip, QString::number(device.type)},
        {kId, QString::number(device.id)},
        {kSerial, device.serialNumber},
        {kDescription, device.description},
    };
    QByteArray text = "[General]\n";
    for (const auto &[key, value] : values) text += key.toUtf8() + '=' + iniText(value) + '\n';
    // Written whole beside its place and renamed there: never half a journal.
    QString reason;
    if (!writeFileChecked(entry.file, text, reason)) {
        error = QStringLiteral("the journal %1 cannot be written: %2")
                    .arg(QDir::toNativeSeparators(entry.file), reason);
        return std::nullopt;
    }
    return entry;
}

void WriteJournal::end(const JournalEntry &entry) { QFile::remove(entry.file); }

std::vector<JournalEntry> WriteJournal::pending() const {
    std::vector<JournalEntry> entries;
    for (const QString &name : QDir(folder_).entryList({QStringLiteral("*.ini")}, QDir::Files, QDir::Name)) {
        if (auto entry = readEntry(folder_ + u'/' + name)) entries.push_back(std::move(*entry));
    }
    std::ranges::reverse(entries);
    return entries;
}

}  // namespace kestrom::safety
