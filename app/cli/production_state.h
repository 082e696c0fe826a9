// The state of a production run, one JSON file: the serial format, the next number,
// and the number of a write in progress. A number is reserved here, the file
// written whole and renamed into place, before its device is written, so a run that
// dies never hands it out again; a lock beside the file keeps a second run away
// (the lock of a run that died goes with it).
#pragma once

#include <QDateTime>
#include <QLockFile>
#include <QString>
#include <memory>
#include <optional>

namespace kestrom::cli {

// A device being written with a reserved number.
struct PendingWrite {
    uint64_t number = 0;
    QString serial;
    QString vidPid;
    QString backup;
    QDateTime started;
};

class ProductionState {
public:
    // Opens the state file at `path` for `format` (creating it), taking its lock.
    // Nothing, with the reason, when another run holds it, it belongs to another
    // format, or it cannot be read or written.
    static std::unique_ptr<ProductionState> open(const QString &path, const QString &format, QString &error);

    uint64_t next() const { return next_; }
    // The write a run that ended in the middle left; nothing when none did.
    const std::optional<PendingWrite> &pending() const { return pending_; }

    // Moves the next number up to `start` (never down).
    bool startAt(uint64_t start, QString &error);
    // Reserves the next number for `write` (its number is set) and keeps it as the
    // write in progress; written before the device is.
    bool reserve(PendingWrite &write, QString &error);
    // The write in progress has ended and is logged.
    bool settle(QString &error);

private:
    explicit ProductionState(const QString &path);
    bool save(QString &error);

    QString path_;
    QString format_;
    QLockFile lock_;
    uint64_t next_ = 0;
    std::optional<PendingWrite> pending_;
};

}  // namespace kestrom::cli
