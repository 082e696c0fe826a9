// One station of a production line: devices plugged in one after another at one
// index, each programmed from the template with the next serial number, backed
// up, read back and logged. The waiting in between is the command's. Stations
// side by side, each on its own thread, share the state and the log: each holds
// the state's records lock from its look at the next number to the reservation.
#pragma once

#include "production_log.h"
#include "production_state.h"
#include "serial_format.h"
#include "template_source.h"

namespace kestrom::platform {
class D2xxBinding;
}

namespace kestrom::cli {

class ProductionStation {
public:
    struct Setup {
        platform::D2xxBinding &d2xx;
        const TemplateSource &source;
        const SerialFormat &format;
        ProductionState &state;
        const ProductionLog &log;
        int index;
        // Where the board is plugged in, for the log; empty for a run of one index.
        QString port = {};
    };
    explicit ProductionStation(const Setup &setup) : s_(setup) {}

    // Whether a device is plugged in at the station's index.
    bool present() const;
    // Why the next number cannot be given to a device (the format's numbers are used
    // up, or its serial number does not fit the chip); empty when it can.
    QString numberProblem() const;

    struct Outcome {
        bool programmed = false;
        std::optional<uint64_t> number;  // the number the device used up
        QString serial;
        QString said;     // what happened, for the operator
        QString stopped;  // why the run cannot go on (no number left, the state or the log cannot be written)
        bool logged = false;  // the device's line is in the log
        QStringList notes;
    };
    // Programs the device at the index with the next number.
    Outcome programOne();

    // Logs the writes a run that ended in the middle left in the state file, as
    // "interrupted", once; what to tell the operator (a line each), empty when there were none.
    // False with the reason when the state or the log cannot be written.
    bool settleInterrupted(QString &said, QString &error);

private:
    // Both with the state's records lock held.
    Outcome failed(Outcome outcome, LogLine &line, const QString &why);
    // Logs the line of a device that used a number up; when it cannot be, the state
    // keeps how it ended for the next run to log.
    void logNumbered(Outcome &outcome, const LogLine &line);

    Setup s_;
};

}  // namespace kestrom::cli
