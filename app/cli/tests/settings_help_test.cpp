// What each chip's settings are, as the help, the manual page, the README and the
// completion say it: each agrees with the chip tables, so a setting a table gains
// and a document does not name fails here.
#include <gtest/gtest.h>

#include <QRegularExpression>
#include <QSet>

#include "chip_settings.h"
#include "cli_run.h"
#include "qt_print.h"

namespace {

using kestrom::eeprom::ChipTable;
using kestrom::eeprom::chipTables;

class SettingsHelp : public CliTest {};

QStringList tableNames(const ChipTable &chip) {
    QStringList names;
    for (const auto *setting : chip.settings) names << QLatin1String(setting->name);
    return names;
}

TEST_F(SettingsHelp, TheManualPageNamesEveryChipsSettingsAsItsTableHasThem) {
    const QString manual = QString::fromStdString(readBytes(KESTROM_DIST_DIR "/kestrom.1"));
    const QString section =
        manual.section(QStringLiteral(".SH CHIP SETTINGS\n"), 1).section(QStringLiteral("\n.SH "), 0, 0);
    ASSERT_FALSE(section.isEmpty());
    for (const ChipTable &chip : chipTables()) {
        const QString heading = QStringLiteral(".TP\n.B %1\n")
                                    .arg(QString::fromLatin1(chip.name).replace(u'-', QStringLiteral("\\-")));
        const QString listed = section.section(heading, 1).section(QStringLiteral(".TP"), 0, 0);
        const QStringList names =
            listed.split(QRegularExpression(QStringLiteral("[,.\\s]+")), Qt::SkipEmptyParts);
        EXPECT_EQ(tableNames(chip).join(u' ').toStdString(), names.join(u' ').toStdString()) << chip.name;
    }
}

TEST_F(SettingsHelp, TheReadmeCountsEveryChipsSettingsAndTheCompletionKnowsEveryChip) {
    const QString readme = QString::fromStdString(readBytes(KESTROM_SOURCE_DIR "/README.md"));
    const QString completion = QString::fromStdString(readBytes(KESTROM_DIST_DIR "/kestrom.bash"));
    for (const ChipTable &chip : chipTables()) {
        const QString row =
            QStringLiteral("\n| %1 | %2: ").arg(QLatin1String(chip.name)).arg(chip.settings.size());
        EXPECT_TRUE(readme.contains(row)) << row.toStdString();
        const QRegularExpression word(QStringLiteral("[\" ]%1[\" ]").arg(QLatin1String(chip.name)));
        EXPECT_TRUE(completion.contains(word)) << chip.name;
    }
}

TEST_F(SettingsHelp, AChipsSettingsAreListedWithTheValuesEachPinTakes) {
    const Outcome ft232h = run({"help", "settings", "232h"});
    ASSERT_EQ(0, ft232h.exitCode) << ft232h.err;
    const QString text = QString::fromStdString(ft232h.out);
    for (const QString &name : tableNames(*kestrom::eeprom::chipTable(FT_DEVICE_232H)))
        EXPECT_TRUE(text.contains(u'\n' + name + u' ')) << name.toStdString();
    const auto row = [&](const char *name) {
        return text.section(QStringLiteral("\n%1 ").arg(QLatin1String(name)), 1).section(u'\n', 0, 0);
    };
    EXPECT_FALSE(row("Cbus0").contains(u"IOMODE")) << row("Cbus0").toStdString();
    EXPECT_TRUE(row("Cbus5").contains(u"DRIVE_1 IOMODE TXDEN")) << row("Cbus5").toStdString();
    EXPECT_TRUE(row("ADDriveCurrent").contains(u"4, 8, 12 or 16"));

    // The device's chip, and the pointer from the commands that take settings.
    writeDevices("[d]\nchip = X\neeprom = d.bin\neeprom_words = 128\n");
    useDevicesFile("devices.ini");
    const Outcome device = run({"help", "settings", "--device", "0"});
    EXPECT_EQ(0u, device.out.find("The FT-X's settings")) << device.out;
    EXPECT_NE(std::string::npos, run({"write", "--help"}).out.find("kestrom help settings [CHIP]"));
    EXPECT_EQ(std::string::npos, run({"dump", "--help"}).out.find("help settings"));
    EXPECT_EQ(run({"write", "--help"}).out, run({"help", "write"}).out);

    const Outcome unknown = run({"help", "settings", "FT9000"});
    EXPECT_EQ(2, unknown.exitCode);
    EXPECT_NE(std::string::npos, unknown.err.find("no chip is named 'FT9000': the chips are FT8U232AM, "))
        << unknown.err;
    EXPECT_EQ(1, run({"help", "settings", "--device", "4"}).exitCode) << "no such device";
    EXPECT_EQ(1, run({"help", "settings", "--serial", "NONE"}).exitCode);
}

TEST_F(SettingsHelp, EveryChipsSettingsAreNamedInLinesThatFitATerminal) {
    const QString text = QString::fromStdString(run({"help", "settings"}).out);
    for (const QString &line : text.split(u'\n')) EXPECT_LE(line.size(), 80) << line.toStdString();
    for (const ChipTable &chip : chipTables()) {
        const QString paragraph = text.section(QStringLiteral("\n%1 (%2 settings):\n")
                                                   .arg(QLatin1String(chip.name))
                                                   .arg(chip.settings.size()),
                                               1)
                                      .section(QStringLiteral("\n\n"), 0, 0);
        EXPECT_EQ(tableNames(chip).join(u' ').toStdString(), paragraph.simplified().toStdString());
    }
    EXPECT_NE(std::string::npos, run({"help", "settings", "FT2232H"}).out.find("one of its modes at most"));
    EXPECT_EQ(std::string::npos, run({"help", "settings", "FT4232H"}).out.find("one of its modes at most"))
        << "its ports have no modes";
}

}  // namespace
