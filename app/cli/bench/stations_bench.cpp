// A production line's figures: `kestrom produce` on virtual FT232BM boards (93C46)
// under the unmodified libusb and libftdi1, every control transfer taking 1 ms and
// every EEPROM word written 5 ms more, as on a real bus.
//
// Stations/N: N blank boards plugged into one bus, programmed by one run with
// `--stations N --count N`. Counters: transfers per board, seconds per board (the
// run's time from its banner to its end, over N), boards per minute; the last line
// printed is the throughput of 8 stations over that of 1.
//
// Transfers: one board programmed by `produce --count 1`, blank and then again with
// the next serial number over what the first run left, each beside its floor: every
// word read once, the part's size told once (64 reads on a programmed 93C46; on a
// blank part, whose every address reads alike, all 256 and the marker: two writes
// and two reads), two transfers per word written, and the write set-up (reset,
// modem status, latency timer read, set and put back).
//
// SimulatedStations/N: the same runs on simulated boards whose D2XX calls wait as
// the virtual chip's transfers would (delay.FT_ReadEE = 1 a word read, FT_EE_Program
// the set-up and the 64 words of a blank part written): the stations' own ratio,
// without the processor time the virtual bus takes (every transfer is a handful of
// socket messages between kestrom and the thread that answers its opening of the
// chip, which eight boards share with the stations on a small machine).
//
// It runs itself again under umockdev's preload library when started without it.
#include <benchmark/benchmark.h>

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "testbed.h"

namespace {

using namespace kestrom::virtualchip;

constexpr auto kTransferTime = std::chrono::milliseconds(1);
constexpr auto kWriteTime = std::chrono::milliseconds(5);

// Boards per minute by benchmark name and board count, for the closing ratios.
std::map<std::string, std::map<int64_t, double>> throughput;

// A scratch folder with the template and the run's data; the run's state starts afresh in each.
class Run {
public:
    Run() {
        QFile file(folder_.filePath(QStringLiteral("board.ini")));
        ready_ =
            file.open(QIODevice::WriteOnly) && file.write(
                                                   "[template]\nchip = FT232BM\nManufacturer = \"ACME\"\n"
                                                   "Description = \"Sensor board\"\nMaxPower = 100\n") > 0;
    }
    bool ready() const { return ready_ && folder_.isValid(); }
    QString file(const char *name) const { return folder_.filePath(QString::fromLatin1(name)); }

    // `kestrom produce` with `options`, from the first serial number `first`, in the
    // environment `extra` adds to; its time from the banner to its end, or an error.
    std::string produce(uint64_t first, const QStringList &options, double &seconds,
                        const QProcessEnvironment &extra = {}) const {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_DATA_HOME"), folder_.path());
        environment.insert(extra);
        QProcess kestrom;
        kestrom.setProcessEnvironment(environment);
        kestrom.start(QStringLiteral(KESTROM_FILE),
                      QStringList{QStringLiteral("produce"), file("board.ini"), QStringLiteral("--format"),
                                  QStringLiteral("KS%06d"), QStringLiteral("--start"), QString::number(first),
                                  QStringLiteral("--poll"), QStringLiteral("10")} +
                          options);
        QByteArray out;
        QElapsedTimer timer;
        while (!out.contains("Ctrl+C stops.\n") && kestrom.waitForReadyRead(30000)) out += kestrom.readAll();
        timer.start();
        const bool finished = kestrom.waitForFinished(120000);
        seconds = double(timer.nsecsElapsed()) / 1e9;
        if (finished && kestrom.exitCode() == 0) return {};
        return "kestrom produce failed: " +
               (out + kestrom.readAll() + kestrom.readAllStandardError()).toStdString();
    }

private:
    QTemporaryDir folder_;
    bool ready_ = false;
};

unsigned differing(const std::vector<uint16_t> &a, const std::vector<uint16_t> &b) {
    unsigned words = 0;
    for (size_t i = 0; i < a.size() && i < b.size(); ++i) words += a[i] != b[i];
    return words;
}

// The fewest transfers that program `written` words of a 93C46 that was blank or programmed.
double floorOf(bool blank, unsigned written) {
    constexpr double kRead = 64, kAddresses = 256, kSizeByWrap = 64, kMarker = 4, kWriteSetUp = 5;
    return (blank ? kAddresses + kMarker : kRead + kSizeByWrap) + 2.0 * written + kWriteSetUp;
}

// The options of a run that programs `boards` boards together and ends.
QStringList allAtOnce(int boards) {
    return {QStringLiteral("--stations"), QString::number(boards), QStringLiteral("--count"),
            QString::number(boards)};
}

void report(benchmark::State &state, const std::string &bus, double transfers, double seconds,
            double boards) {
    const double perMinute = 60.0 * boards / seconds;
    throughput[bus][state.range(0)] = perMinute;
    state.counters["transfers_per_board"] = transfers / boards;
    state.counters["seconds_per_board"] = seconds / boards;
    state.counters["boards_per_minute"] = perMinute;
}

void Stations(benchmark::State &state) {
    const auto boards = static_cast<int>(state.range(0));
    double transfers = 0, seconds = 0, runs = 0;
    for (auto _ : state) {
        const Run run;
        Testbed bed;
        std::vector<VirtualChip *> chips;
        for (int i = 0; i < boards; ++i)
            chips.push_back(&bed.plug({ChipKind::FT232BM, 64, {}},
                                      FaultPlan().transferTime(kTransferTime).writeTime(kWriteTime)));
        double took = 0;
        if (const std::string error =
                run.ready() ? run.produce(1, allAtOnce(boards), took) : "no scratch folder";
            !error.empty()) {
            state.SkipWithError(error.c_str());
            return;
        }
        for (const VirtualChip *chip : chips) transfers += chip->totalTransfers();
        seconds += took;
        ++runs;
    }
    report(state, "virtual USB chips", transfers / runs, seconds / runs, boards);
}

void Transfers(benchmark::State &state) {
    double blank = 0, blankFloor = 0, programmed = 0, programmedFloor = 0, runs = 0;
    for (auto _ : state) {
        const Run run;
        std::vector<uint16_t> image;  // blank, then what the first run left
        for (const bool isBlank : {true, false}) {
            Testbed bed;
            VirtualChip &chip = bed.plug({ChipKind::FT232BM, 64, image});
            const std::vector<uint16_t> before = chip.eeprom();
            double took = 0;
            if (const std::string error =
                    run.produce(isBlank ? 1 : 2, {QStringLiteral("--count"), QStringLiteral("1")}, took);
                !error.empty()) {
                state.SkipWithError(error.c_str());
                return;
            }
            image = chip.eeprom();
            (isBlank ? blank : programmed) += chip.totalTransfers();
            (isBlank ? blankFloor : programmedFloor) = floorOf(isBlank, differing(before, image));
        }
        ++runs;
    }
    state.counters["blank"] = blank / runs;
    state.counters["blank_floor"] = blankFloor;
    state.counters["programmed"] = programmed / runs;
    state.counters["programmed_floor"] = programmedFloor;
}

// Every word of a blank 93C46 is written.
constexpr int kWordsWritten = 64;

void SimulatedStations(benchmark::State &state) {
    const auto boards = static_cast<int>(state.range(0));
    const auto perTransfer = kTransferTime.count(), perWrite = kWriteTime.count();
    const std::string delays =
        "delay.FT_ReadEE = " + std::to_string(perTransfer) + "\ndelay.FT_EE_Program = " +
        std::to_string(5 * perTransfer + kWordsWritten * (2 * perTransfer + perWrite)) + "\n";
    double seconds = 0, runs = 0;
    for (auto _ : state) {
        const Run run;
        QFile devices(run.file("line.ini"));
        std::string ini;
        for (int i = 1; i <= boards; ++i) {
            ini += "[bench" + std::to_string(i) + "]\nchip = BM\neeprom = bench" + std::to_string(i) +
                   ".bin\neeprom_words = 64\n" + delays;
        }
        if (!run.ready() || !devices.open(QIODevice::WriteOnly) ||
            devices.write(ini.data(), qint64(ini.size())) < 0) {
            state.SkipWithError("the simulated devices file cannot be written");
            return;
        }
        devices.close();
        QProcessEnvironment simulated;
        simulated.insert(QStringLiteral("FTD2XX_SIM"), run.file("line.ini"));
        double took = 0;
        if (const std::string error = run.produce(1, allAtOnce(boards), took, simulated); !error.empty()) {
            state.SkipWithError(error.c_str());
            return;
        }
        seconds += took;
        ++runs;
    }
    report(state, "simulated boards", 0, seconds / runs, boards);
    state.counters.erase("transfers_per_board");  // a simulated board counts none
}

}  // namespace

BENCHMARK(Stations)->Arg(1)->Arg(4)->Arg(8)->Iterations(2)->Unit(benchmark::kSecond)->UseRealTime();
BENCHMARK(Transfers)->Iterations(2)->Unit(benchmark::kSecond)->UseRealTime();
BENCHMARK(SimulatedStations)->Arg(1)->Arg(4)->Arg(8)->Iterations(2)->Unit(benchmark::kSecond)->UseRealTime();

int main(int argc, char **argv) {
    // The virtual chips live in umockdev's testbed, which every kestrom run inherits.
    if (!Testbed::runUnderPreload(argv)) return 1;
    unsetenv("FTD2XX_SIM");
    const QTemporaryDir locks;  // every virtual bus names its first chip 1-1: the locks stay ours
    qputenv("XDG_RUNTIME_DIR", locks.path().toUtf8());
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    for (const auto &[name, perMinute] : throughput) {
        if (perMinute.contains(1) && perMinute.contains(8))
            std::printf("%s: 8 stations give %.2f times the boards per minute of 1\n", name.c_str(),
                        perMinute.at(8) / perMinute.at(1));
    }
    return 0;
}
