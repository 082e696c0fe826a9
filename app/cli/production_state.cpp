#include "production_state.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>

#include "checked_file.h"

namespace kestrom::cli {

namespace {

const QString kFormat = QStringLiteral("format");
const QString kNext = QStringLiteral("next");
const QString kPending = QStringLiteral("pending");

QJsonObject json(const PendingWrite &write) {
    return {{"number", QString::number(write.number)},
            {"serial", write.serial},
            {"vidPid", write.vidPid},
            {"backup", write.backup},
            {"started", write.started.toString(Qt::ISODateWithMs)}};
}

std::optional<uint64_t> number(const QJsonValue &value) {
    bool ok = false;
    const uint64_t parsed = value.toString().toULongLong(&ok);
    return ok ? std::optional(parsed) : std::nullopt;
}

}  // namespace

ProductionState::ProductionState(const QString &path) : path_(path), lock_(path + QStringLiteral(".lock")) {
    lock_.setStaleLockTime(0);  // only a holder that no longer runs gives it up
}

std::unique_ptr<ProductionState> ProductionState::open(const QString &path, const QString &format,
                                                       QString &error) {
    const QString shown = QDir::toNativeSeparators(path);
    if (!QDir().mkpath(QFileInfo(path).absolutePath())) {
        error = QStringLiteral("the folder of %1 cannot be made").arg(shown);
        return nullptr;
    }
    std::unique_ptr<ProductionState> state(new ProductionState(path));
    if (!state->lock_.tryLock(0)) {
        qint64 pid = 0;
        QString host, application;
        state->lock_.getLockInfo(&pid, &host, &application);
        error =
            state->lock_.error() == QLockFile::LockFailedError
                ? QStringLiteral("another run (process %1) is using the state file %2").arg(pid).arg(shown)
                : QStringLiteral("the state file %1 cannot be locked").arg(shown);
        return nullptr;
    }
    state->format_ = format;
    QFile file(path);
    if (!file.exists()) return state->save(error) ? std::move(state) : nullptr;
    if (!file.open(QIODevice::ReadOnly)) {
        error = QStringLiteral("the state file %1 cannot be read: %2").arg(shown, file.errorString());
        return nullptr;
    }
    const QJsonObject stored = QJsonDocument::fromJson(file.readAll()).object();
    const std::optional<uint64_t> next = number(stored[kNext]);
    if (!next) {
        error = QStringLiteral("the state file %1 is damaged: it names no next number").arg(shown);
        return nullptr;
    }
    if (stored[kFormat].toString() != format) {
        error = QStringLiteral("the state file %1 belongs to the format '%2'")
                    .arg(shown, stored[kFormat].toString());
        return nullptr;
    }
    state->next_ = *next;
    const QJsonObject pending = stored[kPending].toObject();
    if (const std::optional<uint64_t> reserved = number(pending[QStringLiteral("number")])) {
        state->pending_ =
            PendingWrite{*reserved, pending["serial"].toString(), pending["vidPid"].toString(),
                         pending["backup"].toString(),
                         QDateTime::fromString(pending["started"].toString(), Qt::ISODateWithMs)};
    }
    return state;
}

bool ProductionState::save(QString &error) {
    QJsonObject stored{{kFormat, format_}, {kNext, QString::number(next_)}};
    if (pending_) stored.insert(kPending, json(*pending_));
    const QByteArray bytes = QJsonDocument(stored).toJson();
    QString reason;  // written whole beside it, flushed, and renamed over it
    if (!safety::writeFileChecked(path_, bytes, reason)) {
        error = QStringLiteral("the state file %1 cannot be written: %2")
                    .arg(QDir::toNativeSeparators(path_), reason);
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
    write.number = next_;
    const uint64_t before = next_;
    ++next_;
    pending_ = write;
    if (save(error)) return true;
    next_ = before;
    pending_.reset();
    return false;
}

bool ProductionState::settle(QString &error) {
    pending_.reset();
    return save(error);
}

}  // namespace kestrom::cli
