#include "production_state.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSaveFile>
#include <QSysInfo>
#include <algorithm>
#include <cerrno>
#include <csignal>
#include <vector>

#include "checked_file.h"
#include "folder_room.h"

namespace kestrom::cli {

namespace {

const QString kFormat = QStringLiteral("format");
const QString kNext = QStringLiteral("next");
const QString kPending = QStringLiteral("pending");
const QString kResult = QStringLiteral("result");
const QString kStation = QStringLiteral("station");

QJsonObject json(const PendingWrite &write) {
    QJsonObject object{{"number", QString::number(write.number)},
                       {"serial", write.serial},
                       {"vidPid", write.vidPid},
                       {"backup", write.backup},
                       {"started", write.started.toString(Qt::ISODateWithMs)}};
    if (!write.result.isEmpty()) object.insert(kResult, write.result);
    if (!write.station.isEmpty()) object.insert(kStation, write.station);
    return object;
}

// A number as the file keeps it: decimal digits in a string.
std::optional<uint64_t> number(const QJsonValue &value) {
    const QString text = value.toString();
    if (text.isEmpty() || text.size() > 20 ||
        !std::all_of(text.begin(), text.end(), [](QChar c) { return c >= u'0' && c <= u'9'; })) {
        return std::nullopt;
    }
    bool ok = false;
    const uint64_t parsed = text.toULongLong(&ok);
    return ok ? std::optional(parsed) : std::nullopt;
}

QString shown(const QString &path) {
    return QDir::toNativeSeparators(path);
}

// What a state file holds. `key` is known as soon as its format is, even when the
// rest is damaged.
struct Stored {
    QString format;
    QString key;
    uint64_t next = 0;
    std::vector<PendingWrite> pending;
};

// Reads and checks a state file; false with what is wrong with it.
bool readStored(const QString &path, Stored &stored, QString &error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error = QStringLiteral("the state file %1 cannot be read: %2").arg(shown(path), file.errorString());
        return false;
    }
    const auto damaged = [&](const QString &why) {
        return QStringLiteral("the state file %1 is damaged: %2").arg(shown(path), why);
    };
    const QByteArray bytes = file.readAll();
    QJsonParseError parsing;
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &parsing);
    if (bytes.trimmed().isEmpty()) {
        error = damaged(QStringLiteral("it is empty"));
        return false;
    }
    if (parsing.error != QJsonParseError::NoError || !document.isObject()) {
        error = damaged(parsing.error != QJsonParseError::NoError
                            ? QStringLiteral("it is not JSON (%1 at byte %2)")
                                  .arg(parsing.errorString(), QString::number(parsing.offset))
                            : QStringLiteral("it holds no JSON object"));
        return false;
    }
    const QJsonObject object = document.object();
    QString problem;
    stored.format = object[kFormat].toString();
    const std::optional<SerialFormat> format = SerialFormat::parse(stored.format, problem);
    if (!format) {
        error = damaged(QStringLiteral("it names no serial format (%1)").arg(problem));
        return false;
    }
    stored.key = format->key();
    const std::optional<uint64_t> next = number(object[kNext]);
    if (!next || *next > ProductionState::kNumbersEnd) {
        error = damaged(
            QStringLiteral("its next number '%1' is not one from 0 to %2")
                .arg(object[kNext].toVariant().toString(), QString::number(ProductionState::kNumbersEnd)));
        return false;
    }
    stored.next = *next;
    if (!object.contains(kPending)) return true;
    // One write in progress is kept as an object, as earlier versions kept it; several as a list.
    const QJsonArray pending =
        object[kPending].isArray() ? object[kPending].toArray() : QJsonArray{object[kPending]};
    for (const QJsonValue &value : pending) {
        const QJsonObject write = value.toObject();
        const std::optional<uint64_t> reserved = number(write[QStringLiteral("number")]);
        if (!reserved || *reserved >= *next) {
            error = damaged(
                QStringLiteral("the number of the device being written, '%1', is not below the "
                               "next number %2")
                    .arg(write[QStringLiteral("number")].toVariant().toString(), QString::number(*next)));
            return false;
        }
        stored.pending.push_back(PendingWrite{
            *reserved, write["serial"].toString(), write["vidPid"].toString(), write["backup"].toString(),
            QDateTime::fromString(write["started"].toString(), Qt::ISODateWithMs), write[kResult].toString(),
            write[kStation].toString()});
    }
    return true;
}

bool running(qint64 pid) {
    return pid > 0 && (::kill(pid_t(pid), 0) == 0 || errno == EPERM);
}

// Takes `lock` of the state file at `path`; false with why it cannot be taken.
bool take(QLockFile &lock, const QString &path, QString &error) {
    if (lock.tryLock(0)) return true;
    qint64 pid = 0;
    QString host, application;
    const bool known = lock.getLockInfo(&pid, &host, &application);
    const bool held = lock.error() == QLockFile::LockFailedError;
    // A holder on another machine (a shared folder) cannot be asked whether it runs.
    if (held && known && ((!host.isEmpty() && host != QSysInfo::machineHostName()) || running(pid))) {
        error =
            QStringLiteral("another run (process %1) is using the state file %2").arg(pid).arg(shown(path));
        return false;
    }
    const QString room = folderWriteProblem(QFileInfo(path).absolutePath());
    if (held && known) {
        // The run that left it has ended; replacing it takes room on the disk.
        error = QStringLiteral("the lock %1.lock of a run that ended (process %2) cannot be replaced: %3")
                    .arg(shown(path), QString::number(pid),
                         room.isEmpty() ? QStringLiteral("remove it and start again") : room);
    } else {
        error = QStringLiteral("the state file %1 cannot be locked: %2")
                    .arg(shown(path), room.isEmpty() ? QStringLiteral("its lock file is in the way") : room);
    }
    return false;
}

}  // namespace

QString runFileName(const QString &format) {
    return QString(format).replace(QRegularExpression(QStringLiteral("[^A-Za-z0-9._-]")),
                                   QStringLiteral("_"));
}

ProductionState::ProductionState(const QString &path) : path_(path), lock_(path + QStringLiteral(".lock")) {
    lock_.setStaleLockTime(0);  // only a holder that no longer runs gives it up
}

std::unique_ptr<ProductionState> ProductionState::open(const QString &path, const SerialFormat &format,
                                                       QString &error, bool *unwritable) {
    if (unwritable != nullptr) *unwritable = false;
    if (!QDir().mkpath(QFileInfo(path).absolutePath())) {
        error = QStringLiteral("the folder of %1 cannot be made").arg(shown(path));
        if (unwritable != nullptr) *unwritable = true;
        return nullptr;
    }
    std::unique_ptr<ProductionState> state(new ProductionState(path));
    if (!take(state->lock_, path, error)) return nullptr;
    state->format_ = format.key();
    if (QFile::exists(path)) {
        Stored stored;
        if (!readStored(path, stored, error)) return nullptr;
        if (stored.key != state->format_) {
            error = QStringLiteral(
                        "the state file %1 belongs to the format '%2', which gives other serial "
                        "numbers than '%3'")
                        .arg(shown(path), stored.key, format.text());
            return nullptr;
        }
        state->next_ = stored.next;
        state->pending_ = stored.pending;
    }
    if (state->save(error)) return state;
    if (unwritable != nullptr) *unwritable = true;
    return nullptr;
}

std::optional<QStringList> ProductionState::mergeEarlier(QString &error) {
    const QFileInfo own(path_);
    struct Earlier {
        QString path;
        std::unique_ptr<QLockFile> lock;
    };
    std::vector<Earlier> merged;
    const uint64_t nextBefore = next_;
    const std::vector<PendingWrite> pendingBefore = pending_;
    const auto undo = [&] {
        next_ = nextBefore;
        pending_ = pendingBefore;
        return std::nullopt;
    };
    for (const QFileInfo &file : own.dir().entryInfoList({QStringLiteral("*.state")}, QDir::Files)) {
        if (file.fileName() == own.fileName()) continue;
        Stored stored;
        QString damage;
        const bool read = readStored(file.filePath(), stored, damage);
        // Another format's, one whose format cannot be told, or one --state named.
        if (stored.key != format_ || file.completeBaseName() != runFileName(stored.format)) continue;
        if (!read) {
            error = damage;
            return undo();
        }
        Earlier earlier{file.filePath(),
                        std::make_unique<QLockFile>(file.filePath() + QStringLiteral(".lock"))};
        earlier.lock->setStaleLockTime(0);
        if (!take(*earlier.lock, file.filePath(), error)) return undo();
        next_ = std::max(next_, stored.next);
        for (const PendingWrite &write : stored.pending) {
            if (!findPending(write.number)) pending_.push_back(write);
        }
        merged.push_back(std::move(earlier));
    }
    QStringList names;
    if (merged.empty()) return names;
    if (!save(error)) return undo();
    const QString aside = QStringLiteral(".merged-%1")
                              .arg(QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss")));
    for (const Earlier &earlier : merged) {
        // Merged again on the next run if this fails, which takes nothing twice.
        if (!QFile::rename(earlier.path, earlier.path + aside)) {
            error = QStringLiteral("the state file %1 was merged into %2 but cannot be set aside")
                        .arg(shown(earlier.path), shown(path_));
            return std::nullopt;
        }
        names << earlier.path;
    }
    return names;
}

bool ProductionState::save(QString &error) {
    QJsonObject stored{{kFormat, format_}, {kNext, QString::number(next_)}};
    if (pending_.size() == 1) {
        stored.insert(kPending, json(pending_.front()));
    } else if (!pending_.empty()) {
        QJsonArray writes;
        for (const PendingWrite &write : pending_) writes.append(json(write));
        stored.insert(kPending, writes);
    }
    const QByteArray bytes = QJsonDocument(stored).toJson();
    QString reason;  // written whole beside it, flushed, and renamed over it
    if (!safety::writeFileChecked(path_, bytes, reason)) {
        error = QStringLiteral("the state file %1 cannot be written: %2").arg(shown(path_), reason);
        return false;
    }
    return true;
}

bool ProductionState::startAt(uint64_t start, QString &error) {
    if (start <= next_) return true;
    next_ = start;
    return save(error);
}

bool ProductionState::reserve(PendingWrite &write, QString &error) {
    if (next_ >= kNumbersEnd) {
        error = QStringLiteral("every number up to %1 is used").arg(kNumbersEnd - 1);
        return false;
    }
    write.number = next_;
    const uint64_t before = next_;
    ++next_;
    pending_.push_back(write);
    if (save(error)) return true;
    next_ = before;
    pending_.pop_back();
    return false;
}

PendingWrite *ProductionState::findPending(uint64_t number) {
    const auto found = std::find_if(pending_.begin(), pending_.end(),
                                    [&](const PendingWrite &write) { return write.number == number; });
    return found == pending_.end() ? nullptr : &*found;
}

bool ProductionState::remember(uint64_t number, const QString &result, QString &error) {
    PendingWrite *write = findPending(number);
    if (write == nullptr) return true;
    write->result = result;
    return save(error);
}

bool ProductionState::settle(uint64_t number, QString &error) {
    std::erase_if(pending_, [&](const PendingWrite &write) { return write.number == number; });
    return save(error);
}

}  // namespace kestrom::cli
