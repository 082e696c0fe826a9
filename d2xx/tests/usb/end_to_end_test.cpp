// The program on a virtual chip, under the real USB stack: `kestrom --report`
// prints what it prints for the simulated device with the same image, names the
// udev rule when the chip's device node refuses the user, and no command that
// only reads writes to the chip. A program killed in the middle of a transfer
// leaves the chip to the next, and the bus to the rest.
#include <QMap>
#include <QProcess>
#include <QTemporaryDir>
#include <chrono>
#include <filesystem>
#include <thread>
#include <vector>

#include "device_access.h"
#include "usb_fixture.h"

namespace kestrom::virtualchip {
namespace {

struct Outcome {
    int exitCode = -1;
    QString out, err;
};

using Environment = QMap<QString, QString>;

// kestrom with `arguments` on the virtual chips, or where `environment` sends it (FTD2XX_SIM).
Outcome kestrom(const QStringList &arguments, const Environment &environment = {}, bool asUser = false) {
    QProcess process;
    QProcessEnvironment variables = QProcessEnvironment::systemEnvironment();
    variables.remove(QStringLiteral("FTD2XX_SIM"));
    for (auto it = environment.begin(); it != environment.end(); ++it) variables.insert(it.key(), it.value());
    process.setProcessEnvironment(variables);
    if (asUser) process.setChildProcessModifier([] { WithoutFileOverride::dropForChild(); });
    process.start(QStringLiteral(KESTROM_FILE), arguments);
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

Outcome report(const Environment &environment = {}, bool asUser = false) {
    return kestrom({QStringLiteral("--report")}, environment, asUser);
}

using EndToEnd = VirtualUsb;

TEST_F(EndToEnd, TheReportOnAVirtualChipIsTheReportOnTheSimulatedOne) {
    QTemporaryDir folder;
    const std::filesystem::path devices = folder.filePath(QStringLiteral("devices.ini")).toStdString();
    std::filesystem::copy_file(KESTROM_EXAMPLES_DIR "/ft232bm.bin", devices.parent_path() / "ft232bm.bin");
    FILE *ini = std::fopen(devices.c_str(), "w");
    std::fputs("[bm]\nchip = BM\neeprom = ft232bm.bin\neeprom_words = 64\n", ini);
    std::fclose(ini);
    const Outcome simulated =
        report({{QStringLiteral("FTD2XX_SIM"), QString::fromStdString(devices.string())}});
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

TEST_F(EndToEnd, OnlyARefusedNodeOfAChipWeWouldOpenGetsTheHint) {
    const QString own = QStringLiteral("FTD2XX_VIDPID"), sim = QStringLiteral("FTD2XX_SIM");
    struct Case {
        const char *name;
        std::vector<uint16_t> image;
        bool refused;
        Environment environment;
        bool hint;
    };
    d2xx::EepromContents ownIds = d2xx::chipDefaults(FT_DEVICE_BM);
    ownIds.fields.VendorId = 0x1234;
    ownIds.fields.ProductId = 0x5678;
    const std::vector<uint16_t> ownImage = encoded(FT_DEVICE_BM, 64, ownIds);
    const Case cases[] = {
        {"a blank chip the user may open", {}, false, {}, false},
        {"own IDs, listed", ownImage, true, Environment{{own, QStringLiteral("0x1234:0x5678")}}, true},
        {"own IDs, not listed", ownImage, true, {}, false},
        {"simulated devices in use", example("ft232bm.bin"), true,
         Environment{{sim, QStringLiteral("/none.ini")}}, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        newBus();
        plug({ChipKind::FT232BM, 64, c.image}, c.refused ? FaultPlan().refuseNode() : FaultPlan());
        const Outcome outcome = report(c.environment, true);
        EXPECT_EQ(outcome.exitCode, 1);
        EXPECT_EQ(outcome.err.toStdString(), c.hint ? reports::UdevRuleHint().toStdString() + "\n" : "");
    }
}

TEST_F(EndToEnd, CommandsThatOnlyReadNeverWriteToABlankPart) {
    QTemporaryDir folder;
    const QString dump = folder.filePath(QStringLiteral("blank.bin"));
    const Environment environment{{QStringLiteral("XDG_DATA_HOME"), folder.path()},
                                  {QStringLiteral("XDG_CONFIG_HOME"), folder.path()}};
    struct Command {
        QStringList arguments;
        int exitCode;
    };
    // The report's read of a blank part fails, as it always has; the others show it blank.
    const Command commands[] = {{{QStringLiteral("show")}, 0},
                                {{QStringLiteral("show"), QStringLiteral("--json")}, 0},
                                {{QStringLiteral("dump"), dump}, 0},
                                {{QStringLiteral("--report")}, 1}};
    for (const size_t words : {size_t{64}, size_t{128}}) {
        newBus();
        VirtualChip &chip = plug({ChipKind::FT232BM, words, {}});
        for (const Command &command : commands) {
            SCOPED_TRACE(command.arguments.join(QLatin1Char(' ')).toStdString() + ", " +
                         std::to_string(words) + " words");
            const unsigned reads = chip.transfers("READ_EEPROM");
            const Outcome outcome = kestrom(command.arguments, environment);
            EXPECT_EQ(outcome.exitCode, command.exitCode) << outcome.err.toStdString();
            EXPECT_GE(chip.transfers("READ_EEPROM"), reads + 64) << "it read the chip";
        }
        for (const char *request : {"WRITE_EEPROM", "ERASE_EEPROM", "SET_LATENCY_TIMER"})
            EXPECT_EQ(chip.transfers(request), 0u) << request;
        EXPECT_EQ(chip.eeprom(), std::vector<uint16_t>(words, 0xFFFF));
    }
}

TEST_F(EndToEnd, AProgramKilledInTheMiddleOfATransferLeavesTheChipToTheNext) {
    using std::chrono::milliseconds;
    VirtualChip &chip =
        plug({ChipKind::FT232BM, 64, example("ft232bm.bin")}, FaultPlan().transferTime(milliseconds(10)));
    QProcess killed;
    QProcessEnvironment variables = QProcessEnvironment::systemEnvironment();
    variables.remove(QStringLiteral("FTD2XX_SIM"));
    killed.setProcessEnvironment(variables);
    killed.start(QStringLiteral(KESTROM_FILE), {QStringLiteral("--report")});
    for (int waited = 0; chip.transfers("READ_EEPROM") < 3 && waited < 10000; waited += 5)
        std::this_thread::sleep_for(milliseconds(5));
    ASSERT_GE(chip.transfers("READ_EEPROM"), 3u) << "it never read the chip";
    killed.kill();  // waiting for the chip's answer, most likely
    ASSERT_TRUE(killed.waitForFinished(10000));

    // Answering the dead program took nothing down: the next reads the chip whole.
    const unsigned reads = chip.transfers("READ_EEPROM");
    const Outcome next = report();
    EXPECT_EQ(next.exitCode, 0) << next.err.toStdString();
    EXPECT_GE(chip.transfers("READ_EEPROM"), reads + 64);
}

}  // namespace
}  // namespace kestrom::virtualchip
