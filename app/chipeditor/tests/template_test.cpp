// Templates: one saved in the editor and written by `kestrom write` leaves the
// image the editor's own Write leaves; one loaded fills the form, one of another
// chip is refused.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QProcess>

#include "chip_editor_fixture.h"

class ChipEditorTemplates : public ChipEditorTest {
protected:
    QString templatePath() const { return QString::fromStdString(path("board.ini").string()); }
    void saveTemplate() {
        dialogs.saveAnswers = {kestrom::dialogs::SaveDialogChoice{templatePath(), 0}};
        click("saveTemplate");
    }
};

TEST_F(ChipEditorTemplates, ASavedTemplateWrittenByTheCommandLineGivesTheSameImage) {
    for (const Chip &chip : kChips) {
        SCOPED_TRACE(chip.sim);
        plug(chip, board(chip));
        const std::string original = readBytes("d.bin");
        open();
        type("Description", QStringLiteral("Sensor \"board\"; rev 2"));
        type("MaxPower", QStringLiteral("150"));
        if (auto *pin = window().findChild<QComboBox *>(QStringLiteral("Cbus2"))) pin->setCurrentIndex(1);
        if (chip.type == FT_DEVICE_2232C) click("IFBIsFastSer");
        saveTemplate();
        ASSERT_TRUE(dialogs.messages.empty()) << dialogs.messages.front().text.toStdString();
        dialogs.yesNoAnswers = {true};
        click("write");
        const std::string byEditor = readBytes("d.bin");
        ASSERT_NE(original, byEditor);

        writeBytes("d.bin", original);
        QProcess kestrom;
        kestrom.start(QStringLiteral(KESTROM_FILE), {QStringLiteral("write"), templatePath()});
        ASSERT_TRUE(kestrom.waitForFinished(30000));
        EXPECT_EQ(0, kestrom.exitCode()) << kestrom.readAllStandardError().toStdString();
        EXPECT_EQ(byEditor, readBytes("d.bin"));
    }
}

TEST_F(ChipEditorTemplates, LoadingFillsTheFormAndWritesNothing) {
    const Chip &chip = kChips[7];
    plug(chip, board(chip));
    open();
    type("MaxPower", QStringLiteral("250"));
    window().findChild<QComboBox *>(QStringLiteral("Cbus5"))->setCurrentIndex(3);
    const QString pin = shown("Cbus5");
    saveTemplate();
    const std::string before = readBytes("d.bin");

    open();
    EXPECT_EQ(QStringLiteral("90"), text("MaxPower"));
    dialogs.openAnswers = {templatePath()};
    click("loadTemplate");
    EXPECT_EQ(QStringLiteral("250"), text("MaxPower"));
    EXPECT_EQ(pin, shown("Cbus5"));
    EXPECT_EQ(before, readBytes("d.bin"));

    // A template of another chip kind changes nothing in the form.
    writeBytes("board.ini", "[template]\nchip = FT232R\nMaxPower = 100\n");
    dialogs.openAnswers = {templatePath()};
    click("loadTemplate");
    ASSERT_FALSE(dialogs.messages.empty());
    EXPECT_EQ(QStringLiteral("The template was not loaded."), dialogs.messages.back().text);
    EXPECT_TRUE(dialogs.messages.back().detail.contains(QStringLiteral("FT232R")));
    EXPECT_EQ(QStringLiteral("250"), text("MaxPower"));
}

// A change that never ended (`kestrom write` dying half-way through) is named on
// opening, with its backup, before a write here would end its journal entry.
TEST_F(ChipEditorTemplates, AChangeThatNeverEndedIsNamed) {
    const Chip &chip = kChips[1];
    plug(chip, board(chip));
    writeDevices("[d]\nchip = BM\neeprom = d.bin\neeprom_words = 64\ncrash.FT_EE_Program = during\n");
    writeBytes("board.ini", "[template]\nchip = FT232BM\nDescription = \"Sensor board\"\n");
    QProcess kestrom;
    kestrom.start(QStringLiteral(KESTROM_FILE), {QStringLiteral("write"), templatePath()});
    ASSERT_TRUE(kestrom.waitForFinished(30000));
    ASSERT_NE(0, kestrom.exitCode());
    open();
    const QString status = find<QLabel>("chipStatus")->text();
    EXPECT_TRUE(status.contains(QStringLiteral("never ended"))) << status.toStdString();
    EXPECT_TRUE(status.contains(QStringLiteral("kestrom restore"))) << status.toStdString();
}
