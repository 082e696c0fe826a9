// What the user's steps cost on a real chip: the control transfers (about 1 ms
// each at full speed) of one EEPROM report, one auto-update tick, one Write and
// one Erase, counted by a virtual chip under the unmodified libusb and libftdi1.
// An FT232BM with a 93C46 and an FT2232C with a 93C56, each plugged in afresh.
// And one `kestrom write` (a new serial number) on a virtual FT232BM whose 93C46
// is blank or programmed, each in a process of its own.
//
// Counters: "transfers" per step (the first report of the process, which also
// tells the part's size, is "first_report"), split into EEPROM reads, writes and
// erases, with "floor": one read per distinct word the step needs within one open
// (an Erase reads the chip for its backup, then again in the library's open to keep
// the chip's own settings), one write and one read-back per word written, one erase,
// plus telling the size once; the check of an erase (two words of a part that was
// not blank) is above it. The window's Write (a new serial number each time): a
// backup read, the erase, the program of every word and its read-back, all in one
// open; above that floor it checks the erase and sets the port up for writing (5).
// `kestrom write`: every word read once, the
// size told once (64 more reads on a programmed 93C46; on a blank part, whose every address reads alike, the
// marker: two writes and two reads), two transfers per word written, and the write set-up (reset, modem
// status, latency timer read, set and put back). OneOpenWrite makes the same change through the D2XX calls in
// one open, as a caller that holds the chip from its backup to its check. A blank part's words are every
// address the chip can send (256): it shows no size until the marker is written, and nothing is written
// before the backup is made.
//
// It runs itself again under umockdev's preload library when started without it.
#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <array>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "eeprom_codec.h"
#include "eeprom_model.h"
#include "main_window.h"
#include "offscreen_benchmarks.h"
#include "testbed.h"

namespace {

using namespace kestrom::virtualchip;

struct Part {
    const char *image;
    ChipKind kind;
    size_t words;
};

constexpr Part kParts[] = {{"ft232bm.bin", ChipKind::FT232BM, 64}, {"ft2232c.bin", ChipKind::FT2232C, 128}};

struct Counts {
    unsigned reads = 0, writes = 0, erases = 0, total = 0;
};

Counts countsOf(const VirtualChip &chip) {
    return {chip.transfers("READ_EEPROM"), chip.transfers("WRITE_EEPROM"), chip.transfers("ERASE_EEPROM"),
            chip.totalTransfers()};
}

Counts operator-(const Counts &a, const Counts &b) {
    return {a.reads - b.reads, a.writes - b.writes, a.erases - b.erases, a.total - b.total};
}

Counts operator+(const Counts &a, const Counts &b) {
    return {a.reads + b.reads, a.writes + b.writes, a.erases + b.erases, a.total + b.total};
}

Counts measure(const VirtualChip &chip, const std::function<void()> &step) {
    const Counts before = countsOf(chip);
    step();
    return countsOf(chip) - before;
}

void report(benchmark::State &state, const Counts &sum, double iterations, double floor) {
    using benchmark::Counter;
    state.counters["transfers"] = Counter(sum.total / iterations);
    state.counters["reads"] = Counter(sum.reads / iterations);
    state.counters["writes"] = Counter(sum.writes / iterations);
    state.counters["erases"] = Counter(sum.erases / iterations);
    state.counters["floor"] = Counter(floor);
}

enum class Step { Report, Tick, Write, Erase };

void Transfers(benchmark::State &state, Step step) {
    const Part &part = kParts[state.range(0)];
    const double words = static_cast<double>(part.words);
    Testbed bed;
    VirtualChip &chip =
        bed.plug({part.kind, part.words, loadImage(std::string(KESTROM_EXAMPLES_DIR "/") + part.image)});
    kestrom::platform::Libraries &libraries = kestrom::platform::programLibraries();
    kestrom::reports::LineList lines;
    // The first report of the process on this chip: it also tells the part's size.
    const Counts first = measure(chip, [&] { kestrom::reports::ReportEeprom(lines, {}, libraries); });
    state.counters["first_report"] = benchmark::Counter(first.total);
    state.counters["first_floor"] = benchmark::Counter(3 * words);

    kestrom::mainwindow::MainWindow window(libraries);
    const auto button = [&](const char *name) {
        return window.findChild<QAbstractButton *>(QString::fromLatin1(name));
    };
    button("device1")->setChecked(true);
    // Each Write gives the board another serial number, so it always has words to write.
    unsigned serial = 0;
    const std::function<void()> run[] = {
        [&] { window.ReportEeprom(); },
        [&] { window.tick(); },
        [&] {
            window.findChild<QLineEdit *>(QStringLiteral("serial_number"))
                ->setText(QStringLiteral("KS%1").arg(++serial, 6, 10, QChar(u'0')));
            button("write1")->click();
        },
        [&] { button("eeprom_erase")->click(); },
    };
    const double floors[] = {2 * words, words, 3 * words + 1, 2 * words + 1};
    const auto which = static_cast<size_t>(step);
    Counts sum;
    double iterations = 0;
    for (auto _ : state) {
        const Counts one = measure(chip, run[which]);
        sum = sum + one;
        ++iterations;
    }
    report(state, sum, iterations, floors[which]);
    if (!chip.plugged() || window.log().lines().filter(QStringLiteral("FAILED")).size() != 0) {
        state.SkipWithError("a step failed on the virtual chip");
    }
}

unsigned differing(const std::vector<uint16_t> &a, const std::vector<uint16_t> &b) {
    unsigned words = 0;
    for (size_t i = 0; i < a.size() && i < b.size(); ++i) words += a[i] != b[i];
    return words;
}

constexpr double kWordsRead = 64, kAddresses = 256, kSizeByWrap = 64, kMarker = 4, kWriteSetUp = 5;

// The floor of a change of a 93C46 that writes `written` words.
double changeFloor(bool blank, unsigned written) {
    return (blank ? kAddresses + kMarker : kWordsRead + kSizeByWrap) + 2.0 * written + kWriteSetUp;
}

// Runs `change` once an iteration on a fresh virtual FT232BM whose 93C46 is blank
// (argument 0) or programmed before (1, the example's); an error it returns ends the run.
void ChangeOfA93C46(benchmark::State &state, const std::function<std::string()> &change) {
    const bool blank = state.range(0) == 0;
    const std::vector<uint16_t> image =
        blank ? std::vector<uint16_t>{} : loadImage(std::string(KESTROM_EXAMPLES_DIR "/") + "ft232bm.bin");
    Counts sum;
    double iterations = 0, floor = 0;
    for (auto _ : state) {
        Testbed bed;
        VirtualChip &chip = bed.plug({ChipKind::FT232BM, 64, image});
        const std::vector<uint16_t> before = chip.eeprom();
        if (const std::string error = change(); !error.empty()) {
            state.SkipWithError(error.c_str());
            return;
        }
        sum = sum + countsOf(chip);
        floor = changeFloor(blank, differing(before, chip.eeprom()));
        ++iterations;
    }
    report(state, sum, iterations, floor);
}

void KestromWrite(benchmark::State &state) {
    const QTemporaryDir folder;
    const QString templateFile = folder.filePath(QStringLiteral("serial.ini"));
    QFile file(templateFile);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write("[template]\nchip = FT232BM\nSerNumEnable = 1\nSerialNumber = \"KS000002\"\n") < 0) {
        state.SkipWithError("the template cannot be written");
        return;
    }
    file.close();
    ChangeOfA93C46(state, [&]() -> std::string {
        // The testbed's own variables (UMOCKDEV_DIR) are new with it.
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_DATA_HOME"), folder.path());
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), folder.path());
        QProcess kestrom;
        kestrom.setProcessEnvironment(environment);
        kestrom.start(QStringLiteral(KESTROM_FILE), {QStringLiteral("write"), templateFile});
        if (kestrom.waitForFinished(60000) && kestrom.exitCode() == 0) return {};
        return "kestrom write failed: " + kestrom.readAllStandardError().toStdString();
    });
}

// The same change made in one open, as a caller that holds the chip from its backup
// to its check does: every address read, FT_EE_Program, every address read again.
void OneOpenWrite(benchmark::State &state) {
    kestrom::platform::D2xxBinding &d2xx = kestrom::platform::programLibraries().d2xx;
    ChangeOfA93C46(state, [&]() -> std::string {
        FT_HANDLE handle = nullptr;
        std::vector<uint16_t> words(256);
        const auto readAll = [&] {
            for (uint32_t offset = 0; offset < words.size(); ++offset)
                d2xx.FT_ReadEE(handle, offset, &words[offset]);
        };
        if (d2xx.FT_Open(0, &handle) != FT_OK) return "the virtual chip did not open";
        readAll();
        kestrom::d2xx::EepromContents contents;
        if (kestrom::d2xx::decode(FT_DEVICE_BM, std::span(words).first(64), contents) != FT_OK)
            contents = kestrom::d2xx::chipDefaults(FT_DEVICE_BM);
        contents.serialNumber = "KS000002";
        contents.fields.SerNumEnable = 1;
        std::array<char, 64> manufacturer{}, manufacturerId{}, description{}, serial{};
        FT_PROGRAM_DATA record{};
        record.Signature2 = 0xFFFFFFFF;
        record.Manufacturer = manufacturer.data();
        record.ManufacturerId = manufacturerId.data();
        record.Description = description.data();
        record.SerialNumber = serial.data();
        kestrom::d2xx::fillRecord(contents, record);
        const FT_STATUS programmed = d2xx.FT_EE_Program(handle, &record);
        readAll();
        d2xx.FT_Close(handle);
        return programmed == FT_OK ? "" : "FT_EE_Program failed on the virtual chip";
    });
}

// Production stations (`kestrom produce --stations`), when the command has them:
// 1, 4 and 8 virtual FT232BM boards on one bus (Testbed::plug once per board) with
// FaultPlan().transferTime(1 ms).writeTime(5 ms), counting per board the transfers,
// the seconds, the boards per minute, and the 8-board to 1-board throughput.

}  // namespace

// Argument: 0 the FT232BM with a 93C46, 1 the FT2232C with a 93C56.
BENCHMARK_CAPTURE(Transfers, report, Step::Report)
    ->Arg(0)
    ->Arg(1)
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Transfers, tick, Step::Tick)->Arg(0)->Arg(1)->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Transfers, write, Step::Write)
    ->Arg(0)
    ->Arg(1)
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Transfers, erase, Step::Erase)
    ->Arg(0)
    ->Arg(1)
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(KestromWrite)->Arg(0)->Arg(1)->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(OneOpenWrite)->Arg(0)->Arg(1)->Iterations(3)->Unit(benchmark::kMillisecond);

int main(int argc, char **argv) {
    // The virtual chips live in umockdev's testbed.
    if (!Testbed::runUnderPreload(argv)) return 1;
    unsetenv("FTD2XX_SIM");
    const QTemporaryDir locks;  // every virtual bus names its chip 1-1: the locks stay ours
    qputenv("XDG_RUNTIME_DIR", locks.path().toUtf8());
    return runOffscreenBenchmarks(argc, argv);
}
