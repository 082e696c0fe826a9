// The chip editor on a virtual FT232H under the real USB stack (libusb and
// libftdi1 against umockdev, through the virtual-chip tool): the same test program
// runs again on the chip and writes it; the chip's EEPROM, saved when it ends,
// holds the change.
#include <QComboBox>
#include <QLabel>
#include <QProcess>
#include <QProcessEnvironment>

#include "chip_editor_fixture.h"

namespace {

// Set in the run on the virtual chip.
constexpr const char *kOnChip = "KESTROM_CHIP_EDITOR_ON_USB";

}  // namespace

class ChipEditorOnUsb : public ChipEditorTest {};

// The part that runs on the virtual chip; skipped in the ordinary run.
TEST_F(ChipEditorOnUsb, WriteOnTheChip) {
    if (!qEnvironmentVariableIsSet(kOnChip)) GTEST_SKIP() << "runs on the virtual chip only";
    qunsetenv("FTD2XX_SIM");
    qputenv("XDG_DATA_HOME", qgetenv(kOnChip));
    open();
    ASSERT_EQ(QStringLiteral("6014"), text("ProductId")) << find<QLabel>("chipStatus")->text().toStdString();
    type("MaxPower", QStringLiteral("250"));
    find<QComboBox>("Cbus9")->setCurrentIndex(find<QComboBox>("Cbus9")->findText(QStringLiteral("IOMODE")));
    dialogs.yesNoAnswers = {true};
    click("write");
    ASSERT_FALSE(log.lines.isEmpty());
    EXPECT_TRUE(log.lines.back().startsWith(QStringLiteral("Chip settings written")))
        << log.lines.join(u'\n').toStdString();
}

TEST_F(ChipEditorOnUsb, WritesAVirtualChipThroughLibusb) {
#ifdef KESTROM_SANITIZED
    GTEST_SKIP()
        << "the virtual chip's tool runs under umockdev's preload, which the sanitizers do not allow";
#endif
    const Chip &chip = kChips[6];
    plug(chip, board(chip));
    QTemporaryDir data;
    QProcess run;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QString::fromLatin1(kOnChip), data.path());
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    run.setProcessEnvironment(environment);
    const QString image = QString::fromStdString(path("d.bin").string());
    const QString saved = QString::fromStdString(path("saved.bin").string());
    run.start(QStringLiteral(VIRTUAL_CHIP),
              {"--chip", "232H", "--words", "128", "--image", image, "--save", saved, "--",
               QCoreApplication::applicationFilePath(), "--gtest_filter=ChipEditorOnUsb.WriteOnTheChip"});
    ASSERT_TRUE(run.waitForFinished(60000));
    const QString output = QString::fromUtf8(run.readAllStandardOutput() + run.readAllStandardError());
    ASSERT_EQ(0, run.exitCode()) << output.toStdString();
    EXPECT_TRUE(output.contains(QStringLiteral("[  PASSED  ] 1 test"))) << output.toStdString();

    writeBytes("d.bin", readBytes("saved.bin"));
    Contents expected = board(chip);
    expected.fields.MaxPower = 250;
    expected.ft232h.Cbus9 = FT_232H_CBUS_IOMODE;
    const Contents now = held(chip);
    for (const kestrom::eeprom::Setting *s : kestrom::eeprom::chipSettings(chip.type))
        EXPECT_EQ(settingValue(*s, expected), settingValue(*s, now)) << s->name;
    EXPECT_EQ(
        1,
        QDir(data.path() + QStringLiteral("/kestrom/backups")).entryList({QStringLiteral("*.bin")}).size());
}
