#include "production_station.h"

#include <QDir>

#include "cli_common.h"
#include "device_change.h"
#include "device_text.h"
#include "station_ports.h"
#include "template_apply.h"

namespace kestrom::cli {

namespace {

// The fields that make a chip present its serial number.
constexpr const char *kSerialSwitches[] = {"SerNumEnable", "SerNumEnable5", "SerNumEnableR"};

// The template's settings with the run's serial number, and the chip's serial
// number switched on unless the template itself says otherwise.
void giveSerial(Template &settings, uint32_t chipType, const QString &serial, const QString &format) {
    const FieldSpec *serialField = findField(chipType, QStringLiteral("SerialNumber"));
    std::erase_if(settings.settings, [&](const Setting &s) { return s.field == serialField; });
    settings.settings.push_back({serialField, {0, serial}, QStringLiteral("--format %1").arg(format)});
    for (const char *name : kSerialSwitches) {
        const FieldSpec *field = findField(chipType, QLatin1String(name));
        const bool named = std::any_of(settings.settings.begin(), settings.settings.end(),
                                       [&](const Setting &s) { return s.field == field; });
        if (field != nullptr && !named)
            settings.settings.push_back({field, {1, {}}, QStringLiteral("produce")});
    }
}

}  // namespace

bool ProductionStation::present() const {
    uint32_t count = 0;
    return s_.d2xx.FT_ListDevices(&count, nullptr, FT_LIST_NUMBER_ONLY) == FT_OK &&
           count > uint32_t(s_.index);
}

ProductionStation::Outcome ProductionStation::failed(Outcome outcome, LogLine &line, const QString &why) {
    outcome.said = why;
    line.result = QStringLiteral("failed: %1").arg(why);
    if (QString error; !s_.log.append(line, error)) outcome.stopped = error;
    return outcome;
}

QString ProductionStation::numberProblem() const {
    const uint64_t next = s_.state.next();
    if (next > s_.format.largest()) {
        return QStringLiteral("the format '%1' has no number left: its last is %2 and the next would be %3")
            .arg(s_.format.text(), QString::number(s_.format.largest()), QString::number(next));
    }
    const QString serial = s_.format.serial(next);
    if (const QString problem = valueProblem(*findField(QStringLiteral("SerialNumber")), {0, serial});
        !problem.isEmpty()) {
        return QStringLiteral("the serial number %1 does not fit: %2").arg(serial, problem);
    }
    return {};
}

ProductionStation::Outcome ProductionStation::programOne() {
    Outcome outcome;
    LogLine line{QDateTime::currentDateTime(), {}, {}, {}, {}, {}, s_.port};
    std::unique_ptr<DeviceChange> held;
    FT_STATUS readStatus = FT_OK;
    if (!openAtStation(held, readStatus)) {
        outcome.notThere = true;
        return outcome;
    }
    DeviceChange &change = *held;
    // The backup and the journal entry, the slow part before the write, are made before
    // the records lock is taken: boards at other stations reserve their numbers meanwhile.
    QString error;
    const bool begun = readStatus == FT_OK && change.begin(QStringLiteral("Write"), error);
    std::unique_lock records(s_.state.records());
    if (readStatus != FT_OK) {
        return failed(outcome, line,
                      QStringLiteral("the device could not be read: %1").arg(statusText(readStatus)));
    }
    line.vidPid = vidPid(change.before().identity.id);
    if (!begun) return failed(outcome, line, notBegun(change, error));
    outcome.stopped = numberProblem();
    if (!outcome.stopped.isEmpty()) {
        change.abandon();
        return outcome;
    }
    const QString serial = s_.format.serial(s_.state.next());
    QStringList problems;
    const std::optional<EepromContents> contents = contentsFor(
        change, s_.source, [&](Template &t) { giveSerial(t, change.chipType(), serial, s_.format.text()); },
        problems, outcome.notes);
    if (!contents) {
        change.abandon();
        line.backup = change.backup();
        return failed(outcome, line, problems.join(QStringLiteral("; ")));
    }
    line.vidPid = vidPid(uint32_t(contents->fields.VendorId) << 16 | contents->fields.ProductId);
    PendingWrite pending{0, serial, line.vidPid, change.backup(), line.time, {}, s_.port};
    if (!s_.state.reserve(pending, error)) {
        change.abandon();
        outcome.stopped = error;
        return outcome;
    }
    records.unlock();  // the other stations reserve and log while this one writes
    outcome.number = line.number = pending.number;
    outcome.serial = line.serial = serial;
    line.backup = change.backup();
    outcome.programmed = change.program(*contents, error);
    outcome.said = outcome.programmed ? QStringLiteral("programmed and read back (%1 %2)")
                                            .arg(safety::chipName(change.chipType()), line.vidPid)
                                      : error;
    line.result = outcome.programmed ? QStringLiteral("ok") : QStringLiteral("failed: %1").arg(error);
    records.lock();
    logNumbered(outcome, line);
    return outcome;
}

// Devices take other indices when one before them goes, so the index a station's
// port had at the last look may reach another board by now. Our own driver opens
// the board at the port itself, from one look at the bus; with another, the port is
// found again right before the open, and the board held afterwards must be the one
// at the port.
bool ProductionStation::openAtStation(std::unique_ptr<DeviceChange> &change, FT_STATUS &readStatus) {
    bool opened = false;
    if (!s_.port.isEmpty() && s_.d2xx.opensByPort()) {
        change = std::make_unique<DeviceChange>(s_.d2xx, s_.port);
        readStatus = change->read(&opened);
        if (opened || readStatus != FT_DEVICE_NOT_FOUND) return true;
        change.reset();  // gone from its port meanwhile
        return false;
    }
    const std::optional<int> index = s_.port.isEmpty() ? s_.index : indexOfPort(s_.d2xx, s_.port);
    if (!index) return false;
    change = std::make_unique<DeviceChange>(s_.d2xx, *index);
    readStatus = change->read(&opened);
    if (s_.port.isEmpty()) return true;
    // One that did not open is this station's failure only while its port is still at the index.
    if (opened ? holdsPort(s_.d2xx, change->handle(), s_.port) : indexOfPort(s_.d2xx, s_.port) == index)
        return true;
    change.reset();
    return false;
}

void ProductionStation::logNumbered(Outcome &outcome, const LogLine &line) {
    QString error;
    if (!s_.log.append(line, error)) {
        outcome.stopped = error;
        // When this cannot be saved either, the next run logs the number as interrupted.
        QString unsaved;
        s_.state.remember(*line.number, line.result, unsaved);
        return;
    }
    outcome.logged = true;
    if (!s_.state.settle(*line.number, error)) outcome.stopped = error;
}

bool ProductionStation::settleInterrupted(QString &said, QString &error) {
    QStringList told;
    // A copy: settling takes each out of the state.
    const std::vector<PendingWrite> left = s_.state.pending();
    for (const PendingWrite &pending : left) {
        // Logged before the run ended: the log's line tells how it went.
        if (s_.log.holds(pending.number)) {
            if (!s_.state.settle(pending.number, error)) return false;
            continue;
        }
        const QString result = pending.result.isEmpty() ? QStringLiteral("interrupted") : pending.result;
        if (!s_.log.append({pending.started, pending.number, pending.serial, pending.vidPid, result,
                            pending.backup, pending.station},
                           error)) {
            return false;
        }
        told << (pending.result.isEmpty()
                     ? QStringLiteral(
                           "%1: the last run ended while it wrote this number; logged as interrupted, "
                           "never used again (the device's old contents are in %2)")
                           .arg(pending.serial, QDir::toNativeSeparators(pending.backup))
                     : QStringLiteral("%1: the last run could not log this number; logged now as %2")
                           .arg(pending.serial, result));
        if (!s_.state.settle(pending.number, error)) return false;
    }
    said = told.join(u'\n');
    return true;
}

}  // namespace kestrom::cli
