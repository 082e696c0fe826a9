// The window's two costs that a user feels: one auto-update tick while a read is
// wanted, and the program's start until its window is shown with the report.
// Both on a scratch copy of the simulated FT232BM, on the offscreen platform.
#include "offscreen_benchmarks.h"

#include <QApplication>
#include <QAbstractButton>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QTemporaryDir>

#include "main_window.h"
#include "program_folder.h"

namespace {

// A scratch folder with a copy of the simulated FT232BM, named by FTD2XX_SIM.
class ScratchDevice {
public:
    ScratchDevice() {
        for (const char *file : {"ft232bm.ini", "ft232bm.bin"}) {
            QFile::copy(QStringLiteral(KESTROM_EXAMPLES_DIR "/") + QString::fromLatin1(file), path(file));
        }
        qputenv("FTD2XX_SIM", path("ft232bm.ini").toUtf8());
    }
    QString path(const char *name) const { return folder_.filePath(QString::fromLatin1(name)); }

private:
    QTemporaryDir folder_;
};

void TickWithReadWanted(benchmark::State &state) {
    const ScratchDevice device;
    kestrom::mainwindow::MainWindow window(kestrom::platform::programLibraries());
    auto *deviceOption = window.findChild<QAbstractButton *>(QStringLiteral("device1"));
    deviceOption->setChecked(true);
    for (auto _ : state) window.tick();
    if (window.findChild<QLineEdit *>(QStringLiteral("manufactuer"))->text() != u"FTDI" ||
        !deviceOption->isEnabled()) {
        state.SkipWithError("the ticks did not read the simulated FT232BM");
    }
}

void StartUntilWindowShown(benchmark::State &state) {
    const ScratchDevice device;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("KESTROM_EXIT_AFTER_SHOW"), QStringLiteral("1"));
    // Settings, the instance lock and the mirrored libromgate go to scratch folders.
    for (const char *variable : {"XDG_CONFIG_HOME", "XDG_RUNTIME_DIR", "KESTROM_SYSTEM_LIBDIR"}) {
        environment.insert(QString::fromLatin1(variable), device.path(variable));
        QDir().mkdir(device.path(variable));
    }
    const QString program = QString::fromStdString((kestrom::platform::programFolder() / "kestrom").string());
    for (auto _ : state) {
        QProcess kestrom;
        kestrom.setProcessEnvironment(environment);
        kestrom.start(program, {});
        if (!kestrom.waitForFinished(10000) || kestrom.exitCode() != 0) {
            state.SkipWithError("kestrom did not start and end cleanly");
            return;
        }
    }
}

}  // namespace

BENCHMARK(TickWithReadWanted)->Unit(benchmark::kMillisecond);
BENCHMARK(StartUntilWindowShown)->Unit(benchmark::kMillisecond)->UseRealTime();

int main(int argc, char **argv) { return runOffscreenBenchmarks(argc, argv); }
