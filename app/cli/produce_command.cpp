// `kestrom produce TEMPLATE --serial FORMAT --start N [--count K]`: a production
// run. It waits for a device, programs it from the template with the next serial
// number (reserved in the state file first), logs it in the CSV file, tells the
// operator, waits for the device to go, and goes on; Ctrl+C stops it between
// devices. The exit code is 1 when any device failed.
#include <QDir>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QThread>
#include <csignal>
#include <set>

#include "cli_common.h"
#include "commands.h"
#include "production_station.h"

namespace kestrom::cli {

namespace {

volatile std::sig_atomic_t stopAsked = 0;

extern "C" void askToStop(int) {
    stopAsked = 1;
}

constexpr int kDefaultPollMs = 250;
constexpr int kLongestPollMs = 10000;
constexpr int kSleepSliceMs = 50;

// Sleeps until `done` holds or Ctrl+C is pressed; true when `done` held.
bool waitUntil(const std::function<bool()> &done, int pollMs) {
    while (!done()) {
        for (int slept = 0; slept < pollMs; slept += kSleepSliceMs) {
            if (stopAsked) return false;
            QThread::msleep(unsigned(std::min(kSleepSliceMs, pollMs - slept)));
        }
    }
    return !stopAsked;
}

QString runFile(const QString &format, const char *extension) {
    QString name = format;
    name.replace(QRegularExpression(QStringLiteral("[^A-Za-z0-9._-]")), QStringLiteral("_"));
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

// One device, told to the operator: a line on standard output, and a failure on
// standard error too. False when the run cannot go on.
bool programAndTell(ProductionStation &station, const Arguments &args, Tally &tally,
                    std::set<QString> &notesSaid) {
    const ProductionStation::Outcome outcome = station.programOne();
    ++tally.handled;
    for (const QString &note : outcome.notes) {
        if (notesSaid.insert(note).second)
            printError(QString::fromLatin1(args.name()), QStringLiteral("note: %1").arg(note));
    }
    if (!outcome.stopped.isEmpty()) {
        args.failure(kDeviceFailed, outcome.stopped);
        return false;
    }
    const QString who = outcome.serial.isEmpty() ? QString() : outcome.serial + QStringLiteral(": ");
    if (outcome.programmed) {
        ++tally.programmed;
        printOut(QStringLiteral("[%1] %2%3. Unplug it.\n").arg(tally.handled).arg(who, outcome.said));
    } else {
        ++tally.failed;
        printOut(QStringLiteral("[%1] %2FAILED: %3. Unplug it.\n").arg(tally.handled).arg(who, outcome.said));
        args.failure(kDeviceFailed, who + outcome.said);
    }
    return true;
}

}  // namespace

int runProduce(const QStringList &arguments) {
    Arguments args(
        "produce", "TEMPLATE --serial FORMAT --start N [--count K] [options]",
        "Programs devices plugged in one after another at one index, each from TEMPLATE with the\n"
        "next serial number of FORMAT (such as KS%06d). Each number is reserved in the state file\n"
        "before its device is written and never used again, even when the device fails or the\n"
        "program dies; each device is backed up, read back and logged as one line of the CSV log.\n"
        "Ctrl+C stops between devices. Exit code 1 when any device failed.");
    args.addDeviceOptions(false);
    const QCommandLineOption serial(QStringLiteral("serial"),
                                    QStringLiteral("The serial numbers, a format with one number."),
                                    QStringLiteral("FORMAT"));
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
    for (const QCommandLineOption &option : {serial, start, count, stateFile, logFile, poll, set})
        args.addOption(option);
    if (const std::optional<int> done = args.parse(arguments, {QStringLiteral("TEMPLATE")})) return *done;

    const QCommandLineParser &p = args.parser();
    if (!p.isSet(serial) || !p.isSet(start))
        return args.usageError(QStringLiteral("--serial FORMAT and --start N are needed"));
    const std::optional<uint64_t> first = wholeNumber(p.value(start), 0, std::numeric_limits<int64_t>::max());
    const std::optional<uint64_t> wanted =
        p.isSet(count) ? wholeNumber(p.value(count), 1, std::numeric_limits<int32_t>::max())
                       : std::optional<uint64_t>(0);
    const std::optional<uint64_t> pollMs = wholeNumber(p.value(poll), 1, kLongestPollMs);
    if (!first || !wanted || !pollMs) {
        return args.usageError(
            QStringLiteral("--start takes a number from 0, --count one from 1, --poll one from 1 to %1")
                .arg(kLongestPollMs));
    }
    QString problem;
    const std::optional<SerialFormat> format = SerialFormat::parse(p.value(serial), problem);
    if (!format) return args.usageError(QStringLiteral("--serial %1").arg(problem));
    QStringList problems;
    const std::optional<TemplateSource> source =
        TemplateSource::read(args.positional().first(), p.values(set), problems);
    if (!source) return args.failures(kBadInput, problems);
    int exitCode = kDone;
    const std::optional<Arguments::ChosenDevice> device = args.chooseDevice(exitCode);
    if (!device) return exitCode;
    platform::D2xxBinding *d2xx = device->d2xx;
    const int index = device->index;

    const QString statePath = p.isSet(stateFile) ? p.value(stateFile) : runFile(format->text(), "state");
    QString error;
    const std::unique_ptr<ProductionState> state = ProductionState::open(statePath, format->text(), error);
    if (!state || !state->startAt(*first, error)) return args.failure(kBadInput, error);
    const QString firstSerial = format->serial(state->next());
    if (const QString tooLong = valueProblem(*findField(QStringLiteral("SerialNumber")), {0, firstSerial});
        !tooLong.isEmpty()) {
        return args.usageError(
            QStringLiteral("--serial: the serial number %1 does not fit: %2").arg(firstSerial, tooLong));
    }
    const ProductionLog log(p.isSet(logFile) ? p.value(logFile) : runFile(format->text(), "csv"));
    ProductionStation station({*d2xx, *source, *format, *state, log, index});
    QString said;
    if (!station.settleInterrupted(said, error)) return args.failure(kDeviceFailed, error);
    if (!said.isEmpty()) printOut(said + u'\n');

    printOut(QStringLiteral("Producing from %1: serial numbers %2 from %3 (%4).\nState: %5\nLog: %6\n"
                            "Plug in a device at index %7; Ctrl+C stops.\n")
                 .arg(QDir::toNativeSeparators(source->path()), format->text(),
                      QString::number(state->next()), format->serial(state->next()),
                      QDir::toNativeSeparators(statePath), QDir::toNativeSeparators(log.path()),
                      QString::number(index)));
    stopAsked = 0;
    std::signal(SIGINT, &askToStop);
    std::signal(SIGTERM, &askToStop);
    Tally tally;
    std::set<QString> notesSaid;
    bool going = true;
    while (going && waitUntil([&] { return station.present(); }, int(*pollMs))) {
        QThread::msleep(unsigned(*pollMs));  // a device just plugged in settles first
        going = programAndTell(station, args, tally, notesSaid);
        if (!going) return kDeviceFailed;
        if (*wanted != 0 && tally.programmed == int(*wanted)) break;
        going = waitUntil([&] { return !station.present(); }, int(*pollMs));
        if (going) printOut(QStringLiteral("Plug in the next device.\n"));
    }
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);
    printOut(QStringLiteral("%1: %2 programmed, %3 failed; the next number is %4 (%5).\n")
                 .arg(stopAsked ? QStringLiteral("Stopped") : QStringLiteral("Done"),
                      QString::number(tally.programmed), QString::number(tally.failed),
                      QString::number(state->next()), format->serial(state->next())));
    return tally.failed > 0 ? kDeviceFailed : kDone;
}

}  // namespace kestrom::cli
