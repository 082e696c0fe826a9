#include "write_journal.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QSettings>
#include <QStandardPaths>
#include <algorithm>

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
    // Written whole beside its place and renamed there: never half a journal.
    const QString draft = entry.file + QStringLiteral(".new");
    {
        QSettings stored(draft, QSettings::IniFormat);
        stored.setValue(kStarted, entry.started.toString(Qt::ISODateWithMs));
        stored.setValue(kOperation, operation);
        stored.setValue(kBackup, backup);
        stored.setValue(kChip, device.type);
        stored.setValue(kId, device.id);
        stored.setValue(kSerial, device.serialNumber);
        stored.setValue(kDescription, device.description);
        stored.sync();
        if (stored.status() != QSettings::NoError) {
            error = QStringLiteral("the journal %1 cannot be written").arg(QDir::toNativeSeparators(draft));
            QFile::remove(draft);
            return std::nullopt;
        }
    }
    QFile::remove(entry.file);
    if (!QFile::rename(draft, entry.file)) {
        error = QStringLiteral("the journal %1 cannot be written").arg(QDir::toNativeSeparators(entry.file));
        QFile::remove(draft);
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
