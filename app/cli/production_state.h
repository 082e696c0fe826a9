// The state of a production run, one JSON file: the serial format, the next number,
// and the numbers of the writes in progress (one per station). A number is reserved here, the file
// written whole and renamed into place, before its device is written, so a run that
// dies never hands it out again; a lock beside the file keeps a second run away
// (the lock of a run that died goes with it). Numbers are 32-bit and never wrap.
#pragma once

#include <QDateTime>
#include <QLockFile>
#include <QString>
#include <QStringList>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "serial_format.h"

namespace kestrom::cli {

// A device being written with a reserved number.
struct PendingWrite {
    uint64_t number = 0;
    QString serial;
    QString vidPid;
    QString backup;
    QDateTime started;
    // How the write ended when the run knew it but could not log it; empty when the
    // run ended in the middle of it.
    QString result;
    // The station it was written at; empty for a run of one index.
    QString station = {};
};

// The name a run's files take after a format: its characters other than letters,
// digits, '.', '_' and '-' as '_' ("KS%06d" gives "KS_06d").
QString runFileName(const QString &format);

class ProductionState {
public:
    // The next number once every 32-bit number is used.
    static constexpr uint64_t kNumbersEnd = uint64_t(UINT32_MAX) + 1;

    // Opens the state file at `path` for `format` (creating it) and writes it back,
    // which shows it can be written before any device is, taking its lock. Nothing,
    // with the reason, when another run holds it, it belongs to a format that gives
    // other serial numbers, it is damaged, or it cannot be read or written.
    static std::unique_ptr<ProductionState> open(const QString &path, const SerialFormat &format,
                                                 QString &error,
                                                         bool *unwritable = nullptr);

    // Earlier versions named the state file after the format as it was typed, so
    // "KS%06d" and "KS%06u" each had one. Takes the numbers of every state file of
    // the folder so named whose format gives the same serial numbers into this one
    // and sets it aside (".merged-TIME" added to its name): the files merged, or nothing
    // with the reason. Files of other names, which --state chose, stay apart.
    std::optional<QStringList> mergeEarlier(QString &error);

    uint64_t next() const { return next_; }
    // The writes a run that ended in the middle left, by number; none when none did.
    const std::vector<PendingWrite> &pending() const { return pending_; }

    // Held by a station from the look at the next number to its reservation, and
    // around every change of the state or the log, when stations run side by side.
    std::mutex &records() { return records_; }

    // Moves the next number up to `start` (never down).
    bool startAt(uint64_t start, QString &error);
    // Reserves the next number for `write` (its number is set) and keeps it as a
    // write in progress; written before the device is.
    bool reserve(PendingWrite &write, QString &error);
    // Keeps how the write in progress of `number` ended, for the run that logs it later.
    bool remember(uint64_t number, const QString &result, QString &error);
    // The write in progress of `number` has ended and is logged.
    bool settle(uint64_t number, QString &error);

private:
    explicit ProductionState(const QString &path);
    bool save(QString &error);
    PendingWrite *findPending(uint64_t number);

    QString path_;
    QString format_;
    QLockFile lock_;
    uint64_t next_ = 0;
    std::vector<PendingWrite> pending_;
    std::mutex records_;
};

}  // namespace kestrom::cli
