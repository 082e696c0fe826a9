// One cycle of `kestrom produce` on the simulated FT232BM (read, check the
// template, back up, reserve the number, program, read back, log): its time, the
// part of it spent in the D2XX calls, and our own time, the rest.
#include <benchmark/benchmark.h>
#include <dlfcn.h>
#include <stdlib.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>

#include "d2xx_binding.h"
#include "production_station.h"

namespace {

uint64_t d2xxCalls = 0;
std::chrono::nanoseconds d2xxTime{0};

// Counts and times a call into the driver.
template <typename Call, typename... Arguments>
FT_STATUS timed(Call next, Arguments... arguments) {
    const auto begun = std::chrono::steady_clock::now();
    const FT_STATUS status = next(arguments...);
    d2xxTime += std::chrono::steady_clock::now() - begun;
    ++d2xxCalls;
    return status;
}

}  // namespace

// Timing stand-ins, exported from the executable and bound by name below; each
// forwards to the driver.
#define KESTROM_TIMED(name, params, args)                                                    \
    extern "C" FT_STATUS FT_CALL name params {                                               \
        static const auto next = reinterpret_cast<decltype(&name)>(dlsym(RTLD_NEXT, #name)); \
        return timed args;                                                                   \
    }
KESTROM_TIMED(FT_Open, (int device, FT_HANDLE *handle), (next, device, handle))
KESTROM_TIMED(FT_Close, (FT_HANDLE handle), (next, handle))
KESTROM_TIMED(FT_ListDevices, (void *arg1, void *arg2, uint32_t flags), (next, arg1, arg2, flags))
KESTROM_TIMED(FT_GetDeviceInfo,
              (FT_HANDLE handle, uint32_t *type, uint32_t *id, char *serial, char *description, void *dummy),
              (next, handle, type, id, serial, description, dummy))
KESTROM_TIMED(FT_EE_Read, (FT_HANDLE handle, PFT_PROGRAM_DATA data), (next, handle, data))
KESTROM_TIMED(FT_EE_Program, (FT_HANDLE handle, PFT_PROGRAM_DATA data), (next, handle, data))
KESTROM_TIMED(FT_EE_UASize, (FT_HANDLE handle, uint32_t *size), (next, handle, size))
KESTROM_TIMED(FT_ReadEE, (FT_HANDLE handle, uint32_t offset, uint16_t *value), (next, handle, offset, value))
KESTROM_TIMED(FT_WriteEE, (FT_HANDLE handle, uint32_t offset, uint16_t value), (next, handle, offset, value))
KESTROM_TIMED(FT_EraseEE, (FT_HANDLE handle), (next, handle))

namespace {

namespace fs = std::filesystem;
using namespace kestrom::cli;

// A scratch folder with a copy of the simulated FT232BM, its data folder
// (backups, journal) and a template; the environment names them while it lives.
class Scratch {
public:
    Scratch() {
        std::string pattern = (fs::temp_directory_path() / "kestrom-produce-bench-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) return;
        folder_ = pattern;
        for (const char *file : {"ft232bm.ini", "ft232bm.bin"}) {
            fs::copy_file(fs::path(KESTROM_EXAMPLES_DIR) / file, folder_ / file);
        }
        std::ofstream(folder_ / "board.ini") << "[template]\nchip = FT232BM\nManufacturer = \"ACME\"\n"
                                                "Description = \"Sensor board\"\nMaxPower = 100\n";
        setenv("FTD2XX_SIM", (folder_ / "ft232bm.ini").c_str(), 1);
        setenv("XDG_DATA_HOME", folder_.c_str(), 1);
        setenv("XDG_RUNTIME_DIR", folder_.c_str(), 1);
    }
    ~Scratch() {
        std::error_code error;
        if (!folder_.empty()) fs::remove_all(folder_, error);
    }
    QString file(const char *name) const { return QString::fromStdString((folder_ / name).string()); }
    bool ready() const { return !folder_.empty(); }

private:
    fs::path folder_;
};

void ProduceCycle(benchmark::State &state) {
    const Scratch scratch;
    kestrom::platform::D2xxBinding d2xx([](const char *name) {
        return reinterpret_cast<kestrom::platform::ExportTable::Address>(dlsym(RTLD_DEFAULT, name));
    });
    QStringList problems;
    QString error;
    const std::optional<TemplateSource> source =
        TemplateSource::read(scratch.file("board.ini"), {}, problems);
    const std::optional<SerialFormat> format = SerialFormat::parse(QStringLiteral("KS%06d"), error);
    const std::unique_ptr<ProductionState> run =
        ProductionState::open(scratch.file("run.json"), *format, error);
    const ProductionLog log(scratch.file("run.csv"));
    if (!scratch.ready() || !source || !run) {
        state.SkipWithError("the scratch run could not be set up");
        return;
    }
    ProductionStation station({d2xx, *source, *format, *run, log, 0});
    d2xxCalls = 0;
    d2xxTime = {};
    const auto begun = std::chrono::steady_clock::now();
    for (auto _ : state) {
        const ProductionStation::Outcome outcome = station.programOne();
        if (!outcome.programmed) {
            state.SkipWithError(outcome.said.toStdString().c_str());
            return;
        }
    }
    const auto total = std::chrono::steady_clock::now() - begun;
    const double iterations = double(state.iterations());
    const auto perCycle = [&](std::chrono::nanoseconds time) {
        return std::chrono::duration<double, std::milli>(time).count() / iterations;
    };
    state.counters["d2xx_calls"] = double(d2xxCalls) / iterations;
    state.counters["d2xx_ms"] = perCycle(d2xxTime);
    state.counters["own_ms"] =
        perCycle(std::chrono::duration_cast<std::chrono::nanoseconds>(total) - d2xxTime);
}

}  // namespace

BENCHMARK(ProduceCycle)->Unit(benchmark::kMillisecond)->UseRealTime();

BENCHMARK_MAIN();
