// `kestrom produce TEMPLATE --format FORMAT --start N [--count K] [--stations all|N]`:
// a production run. It waits for a device, programs it from the template with the
// next serial number (reserved in the state file first), logs it in the CSV file,
// tells the operator, waits for the device to go, and goes on; Ctrl+C (or the
// terminal closing, SIGTERM, SIGQUIT, a closed output) stops it between devices.
// With --stations every plugged device the template suits is a station, each board
// programmed on its own thread; a stop lets the boards being written finish. The
// exit code is 1 when any device failed.
#include <QDir>
#include <QStandardPaths>
#include <QThread>
#include <atomic>
#include <csignal>
#include <map>
#include <set>
#include <thread>

#include "chip_words.h"
#include "cli_common.h"
#include "commands.h"
#include "production_station.h"
#include "station_ports.h"

namespace kestrom::cli {

namespace {

volatile std::sig_atomic_t stopAsked = 0;

extern "C" void askToStop(int) {
    stopAsked = 1;
}

// Each of them ends the run after the device being written, never in the middle of
// it: a closed terminal or output as much as Ctrl+C.
constexpr int kStopSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGPIPE};

void handleStopSignals(void (*handler)(int)) {
    for (const int signal : kStopSignals) std::signal(signal, handler);
}

constexpr int kDefaultPollMs = 250;
constexpr int kLongestPollMs = 10000;
constexpr int kSleepSliceMs = 50;
constexpr uint64_t kMostStations = 127;  // devices one USB host controller takes

// Sleeps `pollMs`, or less when Ctrl+C is pressed.
void pause(int pollMs) {
    for (int slept = 0; slept < pollMs && !stopAsked; slept += kSleepSliceMs)
        QThread::msleep(unsigned(std::min(kSleepSliceMs, pollMs - slept)));
}

// Sleeps until `done` holds or Ctrl+C is pressed; true when `done` held.
bool waitUntil(const std::function<bool()> &done, int pollMs) {
    while (!done() && !stopAsked) pause(pollMs);
    return !stopAsked;
}

QString runFile(const SerialFormat &format, const char *extension) {
    const QString name = runFileName(format.key());
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/kestrom/production/%1.%2").arg(name, QLatin1String(extension));
}

std::optional<uint64_t> wholeNumber(const QString &text, uint64_t least, uint64_t greatest) {
    bool ok = false;
    const qulonglong value = text.toULongLong(&ok);
    if (!ok || text.startsWith(u'+') || value < least || value > greatest) return std::nullopt;
    return value;
}

struct Tally {
    int handled = 0;
    int programmed = 0;
    int failed = 0;
};

// One device, told to the operator: a line on standard output (after its station's
// port, when it has one), and a failure on standard error too. False when the run
// cannot go on.
bool tell(const ProductionStation::Outcome &outcome, const QString &port, const Arguments &args, Tally &tally,
          std::set<QString> &notesSaid) {
    ++tally.handled;
    for (const QString &note : outcome.notes) {
        if (notesSaid.insert(note).second)
            printError(QString::fromLatin1(args.name()), QStringLiteral("note: %1").arg(note));
    }
    const QString who = (port.isEmpty() ? QString() : port + QStringLiteral(": ")) +
                        (outcome.serial.isEmpty() ? QString() : outcome.serial + QStringLiteral(": "));
    // A device that was written or failed is always told, logged or not.
    if (outcome.programmed) {
        ++tally.programmed;
        printOut(QStringLiteral("[%1] %2%3. Unplug it.\n").arg(tally.handled).arg(who, outcome.said));
    } else if (!outcome.said.isEmpty()) {
        ++tally.failed;
        printOut(QStringLiteral("[%1] %2FAILED: %3. Unplug it.\n").arg(tally.handled).arg(who, outcome.said));
        args.failure(kDeviceFailed, who + outcome.said);
    }
    if (outcome.stopped.isEmpty()) return true;
    if (outcome.number && !outcome.logged) {
        args.failure(kDeviceFailed,
                     QStringLiteral("%1; %2 (number %3) is not in the log yet: the next run logs it")
                         .arg(outcome.stopped, outcome.serial, QString::number(*outcome.number)));
    } else {
        args.failure(kDeviceFailed, outcome.stopped);
    }
    return false;
}

// The last line of a run.
QString summary(const ProductionState &state, const SerialFormat &format, const Tally &tally) {
    const QString next = state.next() > format.largest()
                             ? QStringLiteral("no number of %1 is left").arg(format.text())
                             : QStringLiteral("the next number is %1 (%2)")
                                   .arg(QString::number(state.next()), format.serial(state.next()));
    return QStringLiteral("%1: %2 programmed, %3 failed; %4.\n")
        .arg(stopAsked ? QStringLiteral("Stopped") : QStringLiteral("Done"),
             QString::number(tally.programmed), QString::number(tally.failed), next);
}

// A board being programmed on a thread of its own.
struct BoardAtWork {
    std::thread thread;
    std::atomic<bool> done = false;
    ProductionStation::Outcome outcome;
};

// What a run with stations needs besides the setup of each board.
struct StationsRun {
    const Arguments &args;
    ProductionStation::Setup setup;  // its index and port are each board's
    uint64_t wanted;                 // stop after so many programmed; 0: until stopped
    int pollMs;
    size_t gather;  // boards plugged in before any starts; 0: each as it comes
};

// Whether the template suits the chip kind, asked once per kind.
bool suits(const TemplateSource &source, uint32_t chipType, std::map<uint32_t, bool> &known) {
    const auto found = known.find(chipType);
    if (found != known.end()) return found->second;
    QStringList problems;
    return known[chipType] = source.forChip(chipType, problems).has_value();
}

// Every plugged device the template suits is programmed at once, each on its own
// thread; a board done waits until it is unplugged before its port serves again. A
// stop (or no number left, or a state or log that cannot be written) starts no more
// boards and lets those being written finish.
int runStations(const StationsRun &run, Tally &tally, QString &ended) {
    std::map<QString, std::unique_ptr<BoardAtWork>> atWork;
    std::set<QString> toUnplug, seenBefore;
    std::set<QString> notesSaid;
    std::map<uint32_t, bool> suited;
    bool broken = false;  // the state or the log cannot be written
    for (;;) {
        for (auto board = atWork.begin(); board != atWork.end();) {
            if (!board->second->done) {
                ++board;
                continue;
            }
            board->second->thread.join();
            // A board that was not at its port when opened is looked for again.
            if (!board->second->outcome.notThere) {
                broken |= !tell(board->second->outcome, board->first, run.args, tally, notesSaid);
                toUnplug.insert(board->first);
            }
            board = atWork.erase(board);
        }
        if (ended.isEmpty()) {
            const std::lock_guard records(run.setup.state.records());
            ended = ProductionStation(run.setup).numberProblem();
        }
        const auto enough = [&] { return run.wanted != 0 && tally.programmed + atWork.size() >= run.wanted; };
        const bool starting = !stopAsked && !broken && ended.isEmpty() && !enough();
        if (!starting && atWork.empty()) break;
        if (!starting) {
            // Nothing can start: only the boards at work are waited for, and the bus is
            // left alone. Whatever was plugged meanwhile settles again once looked at.
            seenBefore.clear();
            pause(run.pollMs);
            continue;
        }
        std::vector<StationPort> ready;
        std::set<QString> seen;
        for (const StationPort &port :
             listStationPorts(run.setup.d2xx).value_or(std::vector<StationPort>())) {
            if (!suits(run.setup.source, port.chipType, suited)) {
                if (notesSaid.insert(port.port).second) {
                    printOut(QStringLiteral("%1: a %2, which %3 does not suit: left alone.\n")
                                 .arg(port.port, safety::chipName(port.chipType),
                                      QDir::toNativeSeparators(run.setup.source.path())));
                }
                continue;
            }
            seen.insert(port.port);
            // Seen on the last look too: a board just plugged in settles first.
            if (!atWork.contains(port.port) && !toUnplug.contains(port.port) &&
                seenBefore.contains(port.port))
                ready.push_back(port);
        }
        std::erase_if(toUnplug, [&](const QString &port) { return !seen.contains(port); });
        seenBefore = seen;
        if (!ready.empty() && ready.size() >= run.gather) {
            for (const StationPort &port : ready) {
                if (enough()) break;
                auto board = std::make_unique<BoardAtWork>();
                ProductionStation::Setup setup = run.setup;
                setup.index = port.index;
                setup.port = port.port;
                BoardAtWork *at = board.get();
                board->thread = std::thread([at, setup] {
                    ProductionStation station(setup);
                    at->outcome = station.programOne();
                    at->done = true;
                });
                atWork.emplace(port.port, std::move(board));
            }
        }
        pause(run.pollMs);
    }
    return broken ? kDeviceFailed : kDone;
}

// The state of the run, opened and taken forward to `first`; a run on the default
// state file takes in the numbers of earlier ones of the same serial numbers.
std::unique_ptr<ProductionState> openState(const Arguments &args, const QString &path, bool byDefault,
                                           const SerialFormat &format, uint64_t first, int &exitCode) {
    QString error;
    bool unwritable = false;  // a state that cannot be written is the disk's failure, not the input's
    std::unique_ptr<ProductionState> state = ProductionState::open(path, format, error, &unwritable);
    std::optional<QStringList> merged = state && byDefault ? state->mergeEarlier(error) : QStringList();
    if (!state || !merged || !state->startAt(first, error)) {
        exitCode = args.failure(unwritable ? kDeviceFailed : kBadInput, error);
        return nullptr;
    }
    for (const QString &earlier : *merged) {
        printOut(QStringLiteral("The numbers of %1 (the same serial numbers) go on in %2; it is set aside.\n")
                     .arg(QDir::toNativeSeparators(earlier), QDir::toNativeSeparators(path)));
    }
    return state;
}

}  // namespace

int runProduce(const QStringList &arguments) {
    Arguments args(
        "produce", "TEMPLATE --format FORMAT --start N [--count K] [options]",
        "Programs devices plugged in one after another at one index, each from TEMPLATE with the\n"
        "next serial number of FORMAT (such as KS%06d). Each number is reserved in the state file\n"
        "before its device is written and never used again, even when the device fails or the\n"
        "program dies; each device is backed up, read back and logged as one line of the CSV log.\n"
        "Ctrl+C stops between devices. Exit code 1 when any device failed.");
    args.addDeviceOptions(false);
    const QCommandLineOption formatOption(QStringLiteral("format"),
                                          QStringLiteral("The serial numbers, a format with one number."),
                                          QStringLiteral("FORMAT"));
    QCommandLineOption oldFormatOption(QStringLiteral("serial"), QStringLiteral("The old name of --format."),
                                       QStringLiteral("FORMAT"));
    oldFormatOption.setFlags(QCommandLineOption::HiddenFromHelp);
    const QCommandLineOption start(
        QStringLiteral("start"),
        QStringLiteral("The first number (a run that used more goes on after them)."), QStringLiteral("N"));
    const QCommandLineOption count(
        QStringLiteral("count"),
        QStringLiteral("Stop after K devices are programmed (default: until Ctrl+C)."), QStringLiteral("K"));
    const QCommandLineOption stateFile(
        QStringLiteral("state"),
        QStringLiteral("The state file (default: one per FORMAT in the data folder)."),
        QStringLiteral("FILE"));
    const QCommandLineOption logFile(
        QStringLiteral("log"), QStringLiteral("The CSV log (default: one per FORMAT beside the state file)."),
        QStringLiteral("FILE"));
    const QCommandLineOption poll(QStringLiteral("poll"),
                                  QStringLiteral("Look for a device every MS milliseconds (default 250)."),
                                  QStringLiteral("MS"), QString::number(kDefaultPollMs));
    const QCommandLineOption set(QStringLiteral("set"),
                                 QStringLiteral("Set a field besides the template (again for more)."),
                                 QStringLiteral("Field=Value"));
    const QCommandLineOption stations(
        QStringLiteral("stations"),
        QStringLiteral("Program every plugged device the template suits at once (all), or wait until N are "
                       "plugged in and program them together."),
        QStringLiteral("all|N"));
    for (const QCommandLineOption &option :
         {formatOption, oldFormatOption, start, count, stateFile, logFile, poll, set, stations})
        args.addOption(option);
    if (const std::optional<int> done = args.parse(arguments, {QStringLiteral("TEMPLATE")})) return *done;

    const QCommandLineParser &p = args.parser();
    const bool oldName = p.isSet(oldFormatOption);
    if (oldName && p.isSet(formatOption))
        return args.usageError(QStringLiteral("--serial is the old name of --format: give only --format"));
    if (!(oldName || p.isSet(formatOption)) || !p.isSet(start))
        return args.usageError(QStringLiteral("--format FORMAT and --start N are needed"));
    if (oldName) {
        printError(QString::fromLatin1(args.name()),
                   QStringLiteral("note: --serial is the old name of --format; it still works here"));
    }
    QString problem;
    const std::optional<SerialFormat> format =
        SerialFormat::parse(p.value(oldName ? oldFormatOption : formatOption), problem);
    if (!format) return args.usageError(QStringLiteral("--format %1").arg(problem));
    const std::optional<uint64_t> first = wholeNumber(p.value(start), 0, format->largest());
    const std::optional<uint64_t> wanted =
        p.isSet(count) ? wholeNumber(p.value(count), 1, std::numeric_limits<int32_t>::max())
                       : std::optional<uint64_t>(0);
    const std::optional<uint64_t> pollMs = wholeNumber(p.value(poll), 1, kLongestPollMs);
    if (!first || !wanted || !pollMs) {
        return args.usageError(
            QStringLiteral("--start takes a number from 0 to %1 (the last of %2), --count "
                           "one from 1, --poll one from 1 to %3")
                .arg(QString::number(format->largest()), format->text(), QString::number(kLongestPollMs)));
    }
    const bool withStations = p.isSet(stations);
    const std::optional<uint64_t> gather = !withStations || p.value(stations) == QStringLiteral("all")
                                               ? std::optional<uint64_t>(0)
                                               : wholeNumber(p.value(stations), 1, kMostStations);
    if (!gather) {
        return args.usageError(
            QStringLiteral("--stations takes all or a number from 1 to %1").arg(kMostStations));
    }
    if (withStations && p.isSet(QStringLiteral("device")))
        return args.usageError(QStringLiteral("--stations serves every device: give no --device"));
    QStringList problems;
    const std::optional<TemplateSource> source =
        TemplateSource::read(args.positional().first(), p.values(set), problems);
    if (!source) return args.failures(kBadInput, problems);
    int exitCode = kDone;
    const std::optional<Arguments::ChosenDevice> device = args.chooseDevice(exitCode);
    if (!device) return exitCode;
    platform::D2xxBinding *d2xx = device->d2xx;
    const int index = device->index;

    stopAsked = 0;
    handleStopSignals(&askToStop);
    const QString statePath = p.isSet(stateFile) ? p.value(stateFile) : runFile(*format, "state");
    const std::unique_ptr<ProductionState> state =
        openState(args, statePath, !p.isSet(stateFile), *format, *first, exitCode);
    if (!state) return exitCode;
    const ProductionLog log(p.isSet(logFile) ? p.value(logFile) : runFile(*format, "csv"), withStations);
    ProductionStation station({*d2xx, *source, *format, *state, log, index});
    if (const QString why = station.numberProblem(); !why.isEmpty())
        return args.usageError(QStringLiteral("--format: %1").arg(why));
    QString error, said;
    if (!log.prepare(error) || !station.settleInterrupted(said, error))
        return args.failure(kDeviceFailed, error);
    if (!said.isEmpty()) printOut(said + u'\n');
    if (withStations) {
        if (!d2xx->tellsPorts()) {
            return args.failure(
                kDeviceFailed,
                QStringLiteral("--stations needs Kestrom's own libftd2xx, which tells where each "
                               "device is plugged in"));
        }
        if (!log.hasStations()) {
            printError(
                QString::fromLatin1(args.name()),
                QStringLiteral("note: the log %1 has no station column (an earlier layout): the stations "
                               "are told here only; --log FILE starts a log with them")
                    .arg(QDir::toNativeSeparators(log.path())));
        }
    }

    const QString plugIn = withStations
                               ? QStringLiteral("Plug in the devices; each is programmed as it comes")
                               : QStringLiteral("Plug in a device at index %1").arg(index);
    printOut(QStringLiteral("Producing from %1: serial numbers %2 from %3 (%4).\nState: %5\nLog: %6\n"
                            "%7; Ctrl+C stops.\n")
                 .arg(QDir::toNativeSeparators(source->path()), format->text(),
                      QString::number(state->next()), format->serial(state->next()),
                      QDir::toNativeSeparators(statePath), QDir::toNativeSeparators(log.path()),
                      *gather > 1
                          ? QStringLiteral("Plug in %1 devices; they are programmed together").arg(*gather)
                          : plugIn));
    Tally tally;
    std::set<QString> notesSaid;
    QString ended;
    bool going = !withStations;
    if (withStations &&
        runStations({args, {*d2xx, *source, *format, *state, log, 0}, *wanted, int(*pollMs), size_t(*gather)},
                    tally, ended) != kDone) {
        printOut(summary(*state, *format, tally));
        return kDeviceFailed;
    }
    while (going && waitUntil([&] { return station.present(); }, int(*pollMs))) {
        QThread::msleep(unsigned(*pollMs));  // a device just plugged in settles first
        if (!tell(station.programOne(), {}, args, tally, notesSaid)) return kDeviceFailed;
        if (*wanted != 0 && tally.programmed == int(*wanted)) break;
        ended = station.numberProblem();
        if (!ended.isEmpty()) break;
        going = waitUntil([&] { return !station.present(); }, int(*pollMs));
        if (going) printOut(QStringLiteral("Plug in the next device.\n"));
    }
    printOut(summary(*state, *format, tally));
    handleStopSignals(SIG_DFL);
    if (!ended.isEmpty()) return args.failure(kDeviceFailed, ended);
    return tally.failed > 0 ? kDeviceFailed : kDone;
}

}  // namespace kestrom::cli
