#include "write_journal.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QStringList>
#include <algorithm>
#include <cctype>
#include <cerrno>

#include "backup_store.h"
#include "checked_file.h"

#ifdef Q_OS_UNIX
#include <signal.h>
#endif

namespace kestrom::safety {

namespace {

const QString kStarted = QStringLiteral("started");
const QString kOperation = QStringLiteral("operation");
const QString kBackup = QStringLiteral("backup");
const QString kChip = QStringLiteral("chip");
const QString kId = QStringLiteral("id");
const QString kSerial = QStringLiteral("serial");
const QString kDescription = QStringLiteral("description");
const QString kLocation = QStringLiteral("location");
const QString kBefore = QStringLiteral("before");
const QString kAfter = QStringLiteral("after");

// Words as text: four hex digits each, a space between.
QString wordsText(std::span<const uint16_t> words) {
    QStringList text;
    for (const uint16_t word : words) text << QStringLiteral("%1").arg(word, 4, 16, QChar(u'0'));
    return text.join(u' ');
}

std::optional<std::vector<uint16_t>> wordsOf(const QString &text) {
    std::vector<uint16_t> words;
    for (const QString &item : text.split(u' ', Qt::SkipEmptyParts)) {
        bool number = false;
        const uint value = item.toUInt(&number, 16);
        if (!number || value > 0xFFFF) return std::nullopt;
        words.push_back(uint16_t(value));
    }
    if (words.empty()) return std::nullopt;
    return words;
}

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
    entry.after = wordsOf(stored.value(kAfter).toString());
    const std::optional<std::vector<uint16_t>> before = wordsOf(stored.value(kBefore).toString());
    if (!entry.started.isValid() || entry.backup.isEmpty()) return std::nullopt;
    // An entry without the words it began with names no place either: it is
    // matched by its backup's words alone, and never called proven.
    if (before) {
        entry.before = *before;
        entry.device.location = stored.value(kLocation).toString().toUInt(nullptr, 16);
    } else if (const auto saved = BackupStore::load(entry.backup)) {
        entry.before = *saved;
    }
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

std::optional<JournalEntry> WriteJournal::begin(const QString &operation, const ChipWords &before,
                                                const QString &backup,
                                                const std::optional<std::vector<uint16_t>> &after,
                                                QString &error) {
    const ChipIdentity &device = before.identity;
    if (!QDir().mkpath(folder_)) {
        error = QStringLiteral("the folder %1 cannot be made").arg(QDir::toNativeSeparators(folder_));
        return std::nullopt;
    }
    JournalEntry entry{{}, QDateTime::currentDateTime(), operation, backup, device, before.words, after};
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
        {kLocation, QString::number(device.location, 16)},
        {kBefore, wordsText(before.words)},
    };
    QByteArray text = "[General]\n";
    for (const auto &[key, value] : values) text += key.toUtf8() + '=' + iniText(value) + '\n';
    if (after) text += kAfter.toUtf8() + '=' + iniText(wordsText(*after)) + '\n';
    // Written whole beside its place and renamed there: never half a journal.
    QString reason;
    if (!writeFileChecked(entry.file, text, reason)) {
        error = QStringLiteral("the journal %1 cannot be written: %2")
                    .arg(QDir::toNativeSeparators(entry.file), reason);
        return std::nullopt;
    }
    inFlight_.insert(entry.file);
    return entry;
}

void WriteJournal::end(const JournalEntry &entry) {
    inFlight_.remove(entry.file);
    QFile::remove(entry.file);
}

// The entry's name ends in the writer's process id.
bool WriteJournal::inProgress(const JournalEntry &entry) const {
    if (inFlight_.contains(entry.file)) return true;
    bool number = false;
    const qint64 writer = QFileInfo(entry.file).completeBaseName().section(u'-', -1).toLongLong(&number);
    if (!number || writer <= 0 || writer == QCoreApplication::applicationPid()) return false;
#ifdef Q_OS_UNIX
    return ::kill(pid_t(writer), 0) == 0 || errno == EPERM;
#else
    return false;
#endif
}

std::vector<JournalEntry> WriteJournal::pending() const {
    std::vector<JournalEntry> entries;
    for (const QString &name : QDir(folder_).entryList({QStringLiteral("*.ini")}, QDir::Files, QDir::Name)) {
        if (auto entry = readEntry(folder_ + u'/' + name)) entries.push_back(std::move(*entry));
    }
    std::ranges::reverse(entries);
    return entries;
}

}  // namespace kestrom::safety
