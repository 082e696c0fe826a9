// The program on a virtual chip, under the real USB stack: `kestrom --report`
// prints what it prints for the simulated device with the same image, and names
// the udev rule when the chip's device node refuses the user.
#include <QProcess>
#include <QTemporaryDir>
#include <filesystem>

#include "device_access.h"
#include "usb_fixture.h"

namespace kestrom::virtualchip {
namespace {

struct Outcome {
    int exitCode = -1;
    QString out, err;
};

// kestrom --report; `simulated` names a devices file, else the virtual chips serve.
Outcome report(const QString &simulated = {}, bool asUser = false) {
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("FTD2XX_SIM"));
    if (!simulated.isEmpty()) environment.insert(QStringLiteral("FTD2XX_SIM"), simulated);
    process.setProcessEnvironment(environment);
    if (asUser) process.setChildProcessModifier([] { WithoutFileOverride::dropForChild(); });
    process.start(QStringLiteral(KESTROM_FILE), {QStringLiteral("--report")});
    Outcome outcome;
    if (!process.waitForFinished(30000)) {
        process.kill();
        return outcome;
    }
    outcome.exitCode = process.exitCode();
    outcome.out = QString::fromUtf8(process.readAllStandardOutput());
    outcome.err = QString::fromUtf8(process.readAllStandardError());
    return outcome;
}

using EndToEnd = VirtualUsb;

TEST_F(EndToEnd, TheReportOnAVirtualChipIsTheReportOnTheSimulatedOne) {
    QTemporaryDir folder;
    const std::filesystem::path devices = folder.filePath(QStringLiteral("devices.ini")).toStdString();
    std::filesystem::copy_file(KESTROM_EXAMPLES_DIR "/ft232bm.bin", devices.parent_path() / "ft232bm.bin");
    FILE *ini = std::fopen(devices.c_str(), "w");
    std::fputs("[bm]\nchip = BM\neeprom = ft232bm.bin\neeprom_words = 64\n", ini);
    std::fclose(ini);
    const Outcome simulated = report(QString::fromStdString(devices.string()));
    ASSERT_EQ(simulated.exitCode, 0) << simulated.err.toStdString();

    VirtualChip &chip = plug({ChipKind::FT232BM, 64, example("ft232bm.bin")});
    const Outcome usb = report();
    EXPECT_EQ(usb.exitCode, 0);
    EXPECT_EQ(usb.out.toStdString(), simulated.out.toStdString());
    EXPECT_EQ(usb.err.toStdString(), "");
    EXPECT_EQ(chip.driverDetaches(), 0u);
}

TEST_F(EndToEnd, ARefusedDeviceNodeNamesTheUdevRule) {
    plug({ChipKind::FT232BM, 64, example("ft232bm.bin")}, FaultPlan().refuseNode());
    const Outcome refused = report({}, true);
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_TRUE(refused.out.contains(QStringLiteral("FT_EE_READ failed"))) << refused.out.toStdString();
    EXPECT_EQ(refused.err.toStdString(), reports::UdevRuleHint().toStdString() + "\n");

    // The same chip, opened as its owner: no hint.
    const Outcome owner = report();
    EXPECT_EQ(owner.exitCode, 0);
    EXPECT_EQ(owner.err.toStdString(), "");
}

}  // namespace
}  // namespace kestrom::virtualchip
