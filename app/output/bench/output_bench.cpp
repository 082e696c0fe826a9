// The log's commands at the full 32,767 lines, on Qt's offscreen platform with
// settings in a scratch folder.
#include "offscreen_benchmarks.h"

#include <QApplication>
#include <QTemporaryDir>

#include "clipboard.h"
#include "log_commands.h"
#include "log_text.h"
#include "queued_dialogs.h"
#include "save_log.h"

namespace {

using kestrom::output::kMaxLogLines;
using kestrom::output::LoggerList;

QStringList reportLines(int count) {
    QStringList lines;
    lines.reserve(count);
    for (int i = 0; i < count; ++i) {
        const QString word = QStringLiteral("%1").arg(i & 0xffff, 4, 16, QChar(u'0'));
        lines << QStringLiteral("%1 : 0x%2  Obsah paměti EEPROM").arg(i, 5).arg(word);
    }
    return lines;
}

void FillLog(benchmark::State &state) {
    const QStringList lines = reportLines(kMaxLogLines);
    for (auto _ : state) {
        LoggerList log;
        log.show();
        for (const QString &line : lines) log.append(line);
        benchmark::DoNotOptimize(log.count());
        state.PauseTiming();  // the list's destruction is not part of filling it
        log.hide();
        state.ResumeTiming();
    }
}

void CopyAll(benchmark::State &state) {
    LoggerList log;
    log.appendLines(reportLines(kMaxLogLines));
    log.selectAll();
    for (auto _ : state) kestrom::output::copySelectedLines(log);
}

void CutAllSelected(benchmark::State &state) {
    const QStringList lines = reportLines(static_cast<int>(state.range(0)));
    LoggerList log;
    for (auto _ : state) {
        state.PauseTiming();
        log.replaceLines(lines);
        log.selectAll();
        state.ResumeTiming();
        kestrom::output::cutSelectedLines(log);
    }
}

void PasteFullLog(benchmark::State &state) {
    kestrom::output::ClipboardPutText(kestrom::output::joinLines(reportLines(kMaxLogLines)));
    LoggerList log;
    for (auto _ : state) {
        state.PauseTiming();
        log.clear();
        state.ResumeTiming();
        kestrom::output::pasteClipboard(log);
    }
}

void SaveFullLog(benchmark::State &state) {
    LoggerList log;
    log.appendLines(reportLines(kMaxLogLines));
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("log.txt"));
    QueuedDialogs dialogs;  // answers every overwrite question
    for (auto _ : state) {
        dialogs.yesNoAnswers.push_back(true);
        kestrom::output::SaveLogToFile(path, log.lines());
    }
}

}  // namespace

BENCHMARK(FillLog)->Unit(benchmark::kMillisecond);
BENCHMARK(CopyAll)->Unit(benchmark::kMillisecond);
BENCHMARK(CutAllSelected)->Arg(16384)->Arg(kMaxLogLines)->Unit(benchmark::kMillisecond);
BENCHMARK(PasteFullLog)->Unit(benchmark::kMillisecond);
BENCHMARK(SaveFullLog)->Unit(benchmark::kMillisecond);

int main(int argc, char **argv) { return runOffscreenBenchmarks(argc, argv); }
