// ReportEeprom with both parts on the simulated FT232BM: the time a report takes
// and the D2XX calls it makes, the program's own and libromgate's together.
#include <benchmark/benchmark.h>
#include <dlfcn.h>
#include <stdlib.h>

#include <cstdint>
#include <filesystem>
#include <string>

#include "eeprom_report.h"
#include "ftd2xx.h"
#include "program_folder.h"

namespace {

uint64_t d2xxCalls = 0;

}  // namespace

// Counting stand-ins. Exported from the executable, they come first in the global
// lookup, so libromgate's calls land here as well; each forwards to the driver.
#define KESTROM_COUNTED(name, params, args)                                                  \
    extern "C" FT_STATUS FT_CALL name params {                                               \
        static const auto next = reinterpret_cast<decltype(&name)>(dlsym(RTLD_NEXT, #name)); \
        ++d2xxCalls;                                                                         \
        return next args;                                                                    \
    }
KESTROM_COUNTED(FT_Open, (int device, FT_HANDLE *handle), (device, handle))
KESTROM_COUNTED(FT_Close, (FT_HANDLE handle), (handle))
KESTROM_COUNTED(FT_ListDevices, (void *arg1, void *arg2, uint32_t flags), (arg1, arg2, flags))
KESTROM_COUNTED(FT_GetDeviceInfo,
                (FT_HANDLE handle, uint32_t *type, uint32_t *id, char *serial, char *description,
                 void *dummy),
                (handle, type, id, serial, description, dummy))
KESTROM_COUNTED(FT_EE_Read, (FT_HANDLE handle, PFT_PROGRAM_DATA data), (handle, data))
KESTROM_COUNTED(FT_EE_UASize, (FT_HANDLE handle, uint32_t *size), (handle, size))
KESTROM_COUNTED(FT_ReadEE, (FT_HANDLE handle, uint32_t offset, uint16_t *value), (handle, offset, value))

namespace {

namespace fs = std::filesystem;

// A scratch copy of the simulated FT232BM, named by FTD2XX_SIM while it lives.
class ScratchDevice {
public:
    ScratchDevice() {
        std::string pattern = (fs::temp_directory_path() / "kestrom-bench-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) return;
        folder_ = pattern;
        for (const char *file : {"ft232bm.ini", "ft232bm.bin"}) {
            fs::copy_file(fs::path(KESTROM_EXAMPLES_DIR) / file, folder_ / file);
        }
        setenv("FTD2XX_SIM", (folder_ / "ft232bm.ini").c_str(), 1);
    }
    ~ScratchDevice() {
        std::error_code error;
        if (!folder_.empty()) fs::remove_all(folder_, error);
    }

private:
    fs::path folder_;
};

void ReportEeprom(benchmark::State &state) {
    const ScratchDevice device;
    // The program's own calls are bound to the counting stand-ins above.
    kestrom::platform::Libraries libraries(kestrom::platform::programFolder(),
                                           [](const char *name) {
                                               return reinterpret_cast<kestrom::platform::ExportTable::Address>(
                                                   dlsym(RTLD_DEFAULT, name));
                                           });
    const kestrom::reports::ReportOptions options{.textInfo = state.range(0) != 0,
                                                  .binaryInfo = state.range(1) != 0};
    kestrom::reports::LineList log;
    if (!libraries.romgate.load() || !kestrom::reports::ReportEeprom(log, options, libraries)) {
        state.SkipWithError("the simulated FT232BM did not answer");
        return;
    }
    d2xxCalls = 0;
    for (auto _ : state) {
        log.lines.clear();
        kestrom::reports::ReportEeprom(log, options, libraries);
        benchmark::DoNotOptimize(log.lines.size());
    }
    state.counters["d2xx_calls"] =
        benchmark::Counter(static_cast<double>(d2xxCalls), benchmark::Counter::kAvgIterations);
    state.counters["lines"] = static_cast<double>(log.lines.size());
}

}  // namespace

// Arguments: text part, hex dump. Both on is the report the window writes.
BENCHMARK(ReportEeprom)
    ->ArgNames({"text", "dump"})
    ->Args({1, 1})
    ->Args({1, 0})
    ->Args({0, 1})
    ->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
