// The record of a production run: a CSV file, one line per device, appended and
// flushed to the disk as each device ends.
//   time,number,serial,vid_pid,result,backup[,station]
// time in ISO 8601 with the zone; result "ok", "failed: <why>" or "interrupted"
// (the program ended while it wrote the device); number and serial empty for a
// device that failed before a number was reserved for it; station, the port or
// simulated section the board was plugged into, in the logs of runs with stations.
// A log keeps the layout its header shows, so logs of earlier runs stay as they are.
#pragma once

#include <QDateTime>
#include <QString>
#include <optional>

namespace kestrom::cli {

struct LogLine {
    QDateTime time;
    std::optional<uint64_t> number;
    QString serial;
    QString vidPid;
    QString result;
    QString backup;
    QString station = {};  // empty for a run of one index
};

class ProductionLog {
public:
    // `stations`: a new log gets the station column.
    explicit ProductionLog(QString path, bool stations = false)
        : path_(std::move(path)), stations_(stations) {}
    const QString &path() const { return path_; }
    // Whether the log has the station column (a new one as it will be made).
    bool hasStations() const;

    // Makes sure lines can be appended before the first device is written: the file
    // opens for appending (a new one gets its header) and its disk has room.
    bool prepare(QString &error) const;
    // Appends one line (and the header to a new file); false with the reason.
    bool append(const LogLine &line, QString &error) const;
    // True when a line for `number` is there already.
    bool holds(uint64_t number) const;

private:
    // Appends `bytes` after the header a new or empty file needs, synced to the disk.
    bool write(const QByteArray &bytes, QString &error) const;

    QString path_;
    bool stations_;
};

// One CSV field: quoted when it holds a comma, a quote or a line break.
QString csvField(const QString &text);

}  // namespace kestrom::cli
