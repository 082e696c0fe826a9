// `kestrom --report` on the Hi-Speed and X-series virtual chips: the common part
// of the report, as the simulated device with the same image prints it.
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>
#include <string>
#include <vector>

#include "usb_fixture.h"

namespace kestrom::virtualchip {
namespace {

// What kestrom --report prints; `simulated` names a devices file, else the virtual chips serve.
QString report(const QString &simulated = {}) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("FTD2XX_SIM"));
    if (!simulated.isEmpty()) environment.insert(QStringLiteral("FTD2XX_SIM"), simulated);
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(KESTROM_FILE), {QStringLiteral("--report")});
    if (!process.waitForFinished(30000) || process.exitCode() != 0) return QStringLiteral("(no report)");
    return QString::fromUtf8(process.readAllStandardOutput());
}

using NewChipsReport = VirtualUsb;

TEST_F(NewChipsReport, EveryNewChipReportsAsItsSimulatedTwin) {
    const struct {
        const char *chip;
        ChipKind kind;
        uint32_t type;
        size_t words;
    } chips[] = {{"2232H", ChipKind::FT2232H, FT_DEVICE_2232H, 256},
                 {"4232H", ChipKind::FT4232H, FT_DEVICE_4232H, 128},
                 {"232H", ChipKind::FT232H, FT_DEVICE_232H, 64},
                 {"X", ChipKind::FTX, FT_DEVICE_X_SERIES, 128}};
    for (const auto &c : chips) {
        SCOPED_TRACE(c.chip);
        QTemporaryDir folder;
        const std::vector<uint16_t> image = boardImage(c.type, c.words);
        FILE *file = std::fopen(folder.filePath(QStringLiteral("chip.bin")).toStdString().c_str(), "wb");
        for (uint16_t word : image) std::fputc(word & 0xFF, file), std::fputc(word >> 8, file);
        std::fclose(file);
        const QString devices = folder.filePath(QStringLiteral("devices.ini"));
        file = std::fopen(devices.toStdString().c_str(), "w");
        std::fprintf(file, "[chip]\nchip = %s\neeprom = chip.bin\neeprom_words = %zu\n", c.chip, c.words);
        std::fclose(file);
        const QString simulated = report(devices);
        EXPECT_TRUE(simulated.contains(QStringLiteral("Serialnumber       : HS000042"))) << simulated.toStdString();
        EXPECT_TRUE(simulated.contains(QStringLiteral("Max Power          : 90mA"))) << "the common part";

        plug({c.kind, c.words, image});
        EXPECT_EQ(report().toStdString(), simulated.toStdString());
        newBus();
    }
}

}  // namespace
}  // namespace kestrom::virtualchip
