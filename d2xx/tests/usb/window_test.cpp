// The window on a virtual chip, on Qt's offscreen platform: Read and Write go to
// the chip over USB, and a chip whose device node refuses the user gets one more
// log line after the report, naming the udev rule.
#include <QAbstractButton>
#include <QDir>
#include <QLineEdit>
#include <QTemporaryDir>

#include "chip_structures.h"
#include "device_access.h"
#include "main_window.h"
#include "program_folder.h"
#include "usb_fixture.h"

namespace kestrom::virtualchip {
namespace {

class WindowOnUsb : public VirtualUsb {
protected:
    // Backups and the write journal of this test only: another run's interrupted
    // change must not hold the window up with its question.
    void SetUp() override {
        VirtualUsb::SetUp();
        previousData_ = qgetenv("XDG_DATA_HOME");
        qputenv("XDG_DATA_HOME", data_.path().toUtf8());
    }
    mainwindow::MainWindow &start() {
        static platform::Libraries libraries(platform::programFolder());
        window_ = std::make_unique<mainwindow::MainWindow>(libraries);
        window_->show();
        return *window_;
    }
    void TearDown() override {
        window_.reset();
        qputenv("XDG_DATA_HOME", previousData_);
        VirtualUsb::TearDown();
    }
    void click(const char *name) {
        window_->findChild<QAbstractButton *>(QString::fromLatin1(name))->click();
    }
    QLineEdit *box(const char *name) { return window_->findChild<QLineEdit *>(QString::fromLatin1(name)); }
    QString dataPath(const char *folder) const {
        return data_.path() + QStringLiteral("/kestrom/") + QString::fromLatin1(folder);
    }
    QString lastLine(int back = 0) {
        const QStringList lines = window_->log().lines();
        return lines.size() > back ? lines[lines.size() - 1 - back] : QString();
    }

private:
    QTemporaryDir data_;
    QByteArray previousData_;
    std::unique_ptr<mainwindow::MainWindow> window_;
};

TEST_F(WindowOnUsb, ReadAndWriteGoToTheChip) {
    VirtualChip &chip = plug({ChipKind::FT232BM, 64, example("ft232bm.bin")});
    start();
    click("read1");
    EXPECT_EQ(box("Description_")->text().toStdString(), "USB FTDI port");
    box("Description_")->setText(QStringLiteral("Written over USB"));
    click("write1");
    EXPECT_EQ(lastLine(1).toStdString(), "***  EEPROM successfully written!  ***");
    d2xx::EepromContents written;
    ASSERT_EQ(d2xx::decode(FT_DEVICE_BM, chip.eeprom(), written), FT_OK);
    EXPECT_EQ(written.description, "Written over USB");
    box("Description_")->clear();
    click("read1");
    EXPECT_EQ(box("Description_")->text().toStdString(), "Written over USB");
    EXPECT_EQ(chip.driverDetaches(), 0u);
}

// The window's Write on the Hi-Speed and X-series chips: the common group is
// programmed and every setting of the chip stays as it was.
TEST_F(WindowOnUsb, WriteOnTheNewChipsKeepsTheirOwnSettings) {
    const struct {
        ChipKind kind;
        uint32_t type;
        size_t words;
    } chips[] = {{ChipKind::FT2232H, FT_DEVICE_2232H, 128},
                 {ChipKind::FT4232H, FT_DEVICE_4232H, 256},
                 {ChipKind::FT232H, FT_DEVICE_232H, 128},
                 {ChipKind::FTX, FT_DEVICE_X_SERIES, 128}};
    for (const auto &c : chips) {
        SCOPED_TRACE(c.type);
        VirtualChip &chip = plug({c.kind, c.words, boardImage(c.type, c.words)});
        d2xx::EepromContents before;
        ASSERT_EQ(d2xx::decode(c.type, chip.eeprom(), before), FT_OK);
        start();
        click("read1");
        EXPECT_EQ(box("serial_number")->text().toStdString(), "HS000042");
        box("Description_")->setText(QStringLiteral("Written over USB"));
        click("write1");
        EXPECT_EQ(lastLine(1).toStdString(), "***  EEPROM successfully written!  ***");
        d2xx::EepromContents written;
        ASSERT_EQ(d2xx::decode(c.type, chip.eeprom(), written), FT_OK);
        EXPECT_EQ(written.description, "Written over USB");
        written.description = before.description;
        EXPECT_TRUE(d2xx::sameContents(c.type, before, written)) << "nothing else changed";
        newBus();
    }
}

// Write reads the part once, in the open it erases and programs it in: that read
// is the backup, and the erase is checked against it with two words. Every word is
// written and read back once, with the port set up for writing and its latency timer
// put back: within 10% of the floor of a read, the erase and a program with its
// read-back. Texts that do not fit cost the read alone.
TEST_F(WindowOnUsb, WriteReadsThePartOnceAndStaysNearItsFloor) {
    const struct {
        ChipKind kind;
        size_t words;
        const char *image, *backup;
    } parts[] = {{ChipKind::FT232BM, 64, "ft232bm.bin", "*QV000001.bin"},
                 {ChipKind::FT2232C, 128, "ft2232c.bin", "*QV000002.bin"}};
    constexpr unsigned kWriteSetUp = 5;  // reset, modem status, latency timer read, set and put back
    constexpr unsigned kEraseCheck = 2;  // the first and the last word that were not blank
    for (const auto &part : parts) {
        SCOPED_TRACE(part.image);
        VirtualChip &chip = plug({part.kind, part.words, example(part.image)});
        start();
        click("read1");  // the part's size is known from here on
        const std::vector<uint16_t> before = chip.eeprom();
        box("serial_number")->setText(QStringLiteral("QV000777"));
        chip.resetCounts();
        click("write1");
        ASSERT_EQ(lastLine(1).toStdString(), "***  EEPROM successfully written!  ***");
        EXPECT_NE(before, chip.eeprom());
        EXPECT_EQ(chip.transfers("ERASE_EEPROM"), 1u);
        EXPECT_EQ(chip.transfers("WRITE_EEPROM"), part.words);
        EXPECT_EQ(chip.transfers("READ_EEPROM"), 2 * part.words + kEraseCheck);
        EXPECT_EQ(chip.totalTransfers(), 3 * part.words + 1 + kEraseCheck + kWriteSetUp);
        EXPECT_LE(chip.totalTransfers(), (3 * part.words + 1) * 11 / 10);

        const QString backups = dataPath("backups");
        const QStringList saved = QDir(backups).entryList({QString::fromLatin1(part.backup)}, QDir::Files);
        ASSERT_EQ(saved.size(), 1);
        QFile backup(backups + QLatin1Char('/') + saved.first());
        ASSERT_TRUE(backup.open(QIODevice::ReadOnly));
        const QByteArray bytes = backup.readAll();
        ASSERT_EQ(size_t(bytes.size()), 2 * part.words);
        for (size_t i = 0; i < part.words; ++i)
            ASSERT_EQ(uint16_t(uint8_t(bytes[2 * i]) | uint8_t(bytes[2 * i + 1]) << 8), before[i])
                << "word " << i;
        EXPECT_TRUE(QDir(dataPath("journal")).entryList(QDir::Files).isEmpty());

        const std::vector<uint16_t> written = chip.eeprom();
        box("manufactuer")->setText(QString(23, u'M'));
        box("Description_")->setText(QString(23, u'D'));
        box("serial_number")->setText(QString(14, u'S'));
        chip.resetCounts();
        click("write1");
        EXPECT_TRUE(lastLine().startsWith(QStringLiteral("The texts do not fit this EEPROM")))
            << lastLine().toStdString();
        EXPECT_EQ(chip.totalTransfers(), part.words);
        EXPECT_EQ(chip.eeprom(), written);
        newBus();
    }
}

// A part that refuses writes keeps its words through Write's erase, and the check
// of the erase says so: nothing is reported as written, and the journal entry ends
// as the chip still holds what was backed up.
TEST_F(WindowOnUsb, WriteOnAWriteProtectedPartFailsAtTheErase) {
    VirtualChip &chip = plug({ChipKind::FT232BM, 64, example("ft232bm.bin")}, FaultPlan().writeProtect());
    start();
    click("read1");
    box("serial_number")->setText(QStringLiteral("QV000777"));
    chip.resetCounts();
    click("write1");
    EXPECT_EQ(lastLine().toStdString(), "EE_Program FAILED: code 13");
    EXPECT_EQ(chip.transfers("WRITE_EEPROM"), 0u);
    EXPECT_EQ(chip.eeprom(), example("ft232bm.bin"));
    EXPECT_TRUE(QDir(dataPath("journal")).entryList(QDir::Files).isEmpty());
}

TEST_F(WindowOnUsb, ARefusedDeviceNodeAddsTheUdevRuleAfterTheLinesOfTheFailure) {
    plug({ChipKind::FT232BM, 64, example("ft232bm.bin")}, FaultPlan().refuseNode());
    const WithoutFileOverride asUser;
    start();
    EXPECT_EQ(lastLine(1).toStdString(), "FTDI Device Not Find ...");
    EXPECT_EQ(lastLine().toStdString(), reports::UdevRuleHint().toStdString());
    click("eeprom_refresh");
    EXPECT_TRUE(lastLine(3).startsWith(QStringLiteral("FT_EE_READ failed --> ")))
        << "after the report's own lines";
    EXPECT_EQ(lastLine().toStdString(), reports::UdevRuleHint().toStdString());
}

}  // namespace
}  // namespace kestrom::virtualchip
