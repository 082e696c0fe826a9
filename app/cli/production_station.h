// One station of a production line: devices plugged in one after another at one
// index, each programmed from the template with the next serial number, backed
// up, read back and logged. The waiting in between is the command's. Stations
// side by side, each on its own thread, share the state and the log: each holds
// the state's records lock from its look at the next number to the reservation.
#pragma once

#include <memory>

#include "ftd2xx.h"
#include "production_log.h"
#include "production_state.h"
#include "serial_format.h"
#include "template_source.h"

namespace kestrom::platform {
class D2xxBinding;
}

namespace kestrom::cli {

class DeviceChange;

class ProductionStation {
public:
    struct Setup {
        platform::D2xxBinding &d2xx;
        const TemplateSource &source;
        const SerialFormat &format;
        ProductionState &state;
        const ProductionLog &log;
        int index;
        // Where the board is plugged in; empty for a run of one index. A station with a
        // port finds its board there when it opens it, whatever `index` says.
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
        // The board was not at the station's port when it came to be opened (it went,
        // or the devices moved to other indices): nothing was done or told.
        bool notThere = false;
        QStringList notes;
    };
    // Programs the device at the station with the next number.
    Outcome programOne();

    // Logs the writes a run that ended in the middle left in the state file, as
    // "interrupted", once; what to tell the operator (a line each), empty when there were none.
    // False with the reason when the state or the log cannot be written.
    bool settleInterrupted(QString &said, QString &error);

private:
    // The station's device, opened and read into `change`; false when the board at the
    // station's port is not the one that opened (nothing is then held).
    bool openAtStation(std::unique_ptr<DeviceChange> &change, FT_STATUS &readStatus);
    // Both with the state's records lock held.
    Outcome failed(Outcome outcome, LogLine &line, const QString &why);
    // Logs the line of a device that used a number up; when it cannot be, the state
    // keeps how it ended for the next run to log.
    void logNumbered(Outcome &outcome, const LogLine &line);

    Setup s_;
};

}  // namespace kestrom::cli
