// What the window does so that no chip's configuration is ever lost: a backup and
// a journal around every change, writes that did not take never called success,
// the way back after a power cut, raw images checked before they go on a chip,
// and questions before new USB IDs or texts that do not fit.
#include <QDir>
#include <QProcess>

#include "window_fixture.h"

namespace {

const char *const kBm = "[bm]\nchip = BM\neeprom = ft232bm.bin\n";
const QString kWritten = QStringLiteral("***  EEPROM successfully written!  ***");

}  // namespace

class SafeWritingTest : public WindowTest {
protected:
    QStringList files(const char *folder, const char *pattern) const {
        return QDir(dataFolder() + QStringLiteral("/kestrom/") + QLatin1String(folder))
            .entryList({QString::fromLatin1(pattern)}, QDir::Files, QDir::Name);
    }
    QString backupText() const {
        QFile text(dataFolder() + QStringLiteral("/kestrom/backups/") + files("backups", "*.txt").value(0));
        return text.open(QIODevice::ReadOnly) ? QString::fromUtf8(text.readAll()) : QString();
    }
    // Runs a window in a process of its own that clicks `button` and may die doing it.
    int inAnotherProcess(const char *button) {
        QProcess process;
        process.start(QStringLiteral(WRITE_IN_WINDOW), {QString::fromLatin1(button)});
        EXPECT_TRUE(process.waitForFinished(30000));
        return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    }
    // Writes in another process on the example FT232BM with `crash` injected; it dies as by a power cut.
    void crashWhileWriting(const char *crash) {
        replug(std::string(kBm) + crash + "\n");
        EXPECT_EQ(137, inAnotherProcess("write")) << crash;
    }
    QString line(qsizetype back) { return logLines().value(logLines().size() - 1 - back); }
};

TEST_F(SafeWritingTest, EveryChangeIsBackedUpAndItsJournalEndsWithIt) {
    start("ft232bm");
    const std::string original = readBytes("ft232bm.bin");
    click("write1");
    EXPECT_EQ(kWritten, line(1));
    EXPECT_TRUE(line(2).startsWith(u"EEPROM backup: ")) << line(2).toStdString();
    ASSERT_EQ(1, files("backups", "*.bin").size());
    const QString image = files("backups", "*.bin").first();
    EXPECT_TRUE(image.contains(QLatin1String("_FT232BM_0403-6001_QV000001.bin"))) << image.toStdString();
    EXPECT_EQ(original, readBytes((dataFolder() + QStringLiteral("/kestrom/backups/") + image).toStdString()));
    const QString text = backupText();
    for (const char *expected : {"chip: FT232BM", "words: 64", "checksum: valid", "Manufacturer: FTDI",
                                 "SerialNumber: QV000001", "VendorId: 0403"}) {
        EXPECT_TRUE(text.contains(QLatin1String(expected))) << expected << "\n" << text.toStdString();
    }
    click("eeprom_erase");
    EXPECT_EQ(2, files("backups", "*.bin").size());
    EXPECT_TRUE(files("journal", "*").isEmpty()) << "every change ended";
}

// A write that did not take must never read as success.
TEST_F(SafeWritingTest, AnEepromThatDoesNotTakeTheDataIsAFailure) {
    for (const char *part : {"write_protect = 1", "eeprom_present = 0"}) {
        SCOPED_TRACE(part);
        start("ft232bm");
        replug(std::string(kBm) + part + "\n");
        find<QLineEdit>("serial_number")->setText(QStringLiteral("QV999"));
        click("write1");
        EXPECT_TRUE(line(0).startsWith(u"EE_Program FAILED: code ")) << line(0).toStdString();
        EXPECT_FALSE(logLines().contains(kWritten));
        EXPECT_TRUE(files("journal", "*").isEmpty()) << "nothing changed, so nothing to recover";
    }
    // A missing EEPROM reads blank, as an erased one does; a held write-protect pin shows.
    click("eeprom_erase");
    replug(std::string(kBm) + "write_protect = 1\n");
    click("eeprom_erase");
    EXPECT_TRUE(line(0).startsWith(u"FT_EraseEE FAILED: code ")) << line(0).toStdString();
}

TEST_F(SafeWritingTest, WithoutABackupNothingIsWritten) {
    start("ft232bm");
    const std::string original = readBytes("ft232bm.bin");
    // A file where the data folder would be: nothing can be saved there.
    QFile blocker(dataFolder() + QStringLiteral("/kestrom"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    find<QLineEdit>("serial_number")->setText(QStringLiteral("QV999"));
    click("write1");
    EXPECT_TRUE(line(0).startsWith(u"No backup of the EEPROM could be made (")) << line(0).toStdString();
    EXPECT_TRUE(line(0).endsWith(u"nothing was written.")) << line(0).toStdString();
    EXPECT_EQ(original, readBytes("ft232bm.bin"));
}

// The program dies between the erase and the write, or half-way through the write;
// the next start puts the old contents back, byte for byte.
TEST_F(SafeWritingTest, AfterAPowerCutTheNextStartPutsTheOldContentsBack) {
    for (const char *crash : {"crash.FT_EraseEE = after", "crash.FT_EE_Program = during", "crash.FT_EraseEE = during"}) {
        SCOPED_TRACE(crash);
        copyAllExamples();
        const std::string original = readBytes("ft232bm.bin");
        crashWhileWriting(crash);
        ASSERT_NE(original, readBytes("ft232bm.bin")) << "the chip lost its contents";
        EXPECT_EQ(1, files("journal", "*.ini").size());

        writeDevices(kBm);
        dialogs.yesNoAnswers.push_back(true);
        startAgain();
        ASSERT_EQ(1u, dialogs.questions.size());
        EXPECT_TRUE(dialogs.questions.back().contains(QLatin1String("was interrupted on")))
            << dialogs.questions.back().toStdString();
        EXPECT_EQ(original, readBytes("ft232bm.bin"));
        EXPECT_TRUE(line(0).startsWith(u"Old contents put back from ")) << line(0).toStdString();
        EXPECT_TRUE(files("journal", "*").isEmpty());
        dialogs.questions.clear();
    }
}

TEST_F(SafeWritingTest, DecliningTheWayBackKeepsTheJournalForLater) {
    copyAllExamples();
    crashWhileWriting("crash.FT_EE_Program = before");
    writeDevices(kBm);
    startAgain();  // No
    click("read1");
    EXPECT_EQ(1u, dialogs.questions.size()) << "asked once a run";
    EXPECT_EQ(1, files("journal", "*.ini").size());
    dialogs.yesNoAnswers.push_back(true);
    startAgain();
    EXPECT_TRUE(files("journal", "*").isEmpty());
}

TEST_F(SafeWritingTest, NewUsbIdsAreWrittenOnlyWhenTheUserAgrees) {
    start("ft232bm");
    const std::string original = readBytes("ft232bm.bin");
    find<QLineEdit>("ProductID")->setText(QStringLiteral("6015"));
    click("write1");  // No, the default
    ASSERT_EQ(1u, dialogs.questions.size());
    EXPECT_TRUE(dialogs.questionsWithNoByDefault.back());
    for (const char *named : {"6015", "6001", "FTD2XX_VIDPID", "udev"}) {
        EXPECT_TRUE(dialogs.questions.back().contains(QLatin1String(named))) << named;
    }
    EXPECT_EQ(original, readBytes("ft232bm.bin"));
    dialogs.yesNoAnswers.push_back(true);
    click("write1");
    EXPECT_EQ(kWritten, line(1));
    EXPECT_NE(original, readBytes("ft232bm.bin"));
}

TEST_F(SafeWritingTest, NoTickReloadsTheEditorWhileTheQuestionIsOpen) {
    start("ft232bm");
    click("auto_detekce");
    find<QLineEdit>("VendorID")->setText(QStringLiteral("1234"));
    // While the user reads the question, the chip is unplugged and plugged in again:
    // ticks would see it go, come back and read it into the editor.
    dialogs.inQuestion = [&] {
        replug(std::string(kBm) + "present = 0\n");
        QTest::qWait(1300);
        replug(kBm);
        QTest::qWait(2300);
    };
    dialogs.yesNoAnswers.push_back(true);
    click("write1");
    ASSERT_EQ(1u, dialogs.questions.size());
    EXPECT_TRUE(dialogs.questions.back().contains(QLatin1String("1234:6001")));
    EXPECT_EQ(kWritten, line(1));
    EXPECT_EQ(u"1234", text("VendorID"));
    const std::string written = readBytes("ft232bm.bin");
    EXPECT_EQ(0x1234, uint8_t(written[2]) | uint8_t(written[3]) << 8) << "the IDs the user agreed to";
    EXPECT_TRUE(window().timer().isActive()) << "and the auto update runs again";
}

TEST_F(SafeWritingTest, TextsThatDoNotFitAreRefusedBeforeAnythingIsErased) {
    start("ft232bm");  // a 93C46: 103 bytes for the three descriptors
    click("read1");
    const std::string original = readBytes("ft232bm.bin");
    find<QLineEdit>("manufactuer")->setText(QString(23, u'M'));
    find<QLineEdit>("Description_")->setText(QString(23, u'D'));
    find<QLineEdit>("serial_number")->setText(QString(14, u'S'));
    EXPECT_TRUE(find("manufactuer")->toolTip().contains(QLatin1String("23 bytes too many"))) << find("manufactuer")->toolTip().toStdString();
    click("write1");
    EXPECT_EQ(u"The texts do not fit this EEPROM: 23 bytes too many. Nothing was written.", line(0));
    EXPECT_EQ(original, readBytes("ft232bm.bin"));
    find<QLineEdit>("manufactuer")->setText(QStringLiteral("M"));
    EXPECT_TRUE(find("Description_")->toolTip().contains(QLatin1String("21 of 103 bytes left")))
        << find("Description_")->toolTip().toStdString();
}

TEST_F(SafeWritingTest, ImagesAreSavedAndProgrammedOnlyWhenTheyFitTheChip) {
    start("ft232bm");
    const std::string original = readBytes("ft232bm.bin");
    dialogs.saveAnswers.push_back(kestrom::dialogs::SaveDialogChoice{QString::fromStdString(path("saved").string()), 0});
    find<QAction>("saveImage")->trigger();
    EXPECT_EQ(original, readBytes("saved.bin"));

    const auto program = [&](const std::string &bytes, bool agree) {
        writeBytes("image.bin", bytes);
        dialogs.openAnswers.push_back(QString::fromStdString(path("image.bin").string()));
        if (agree) dialogs.yesNoAnswers.push_back(true);
        find<QAction>("programImage")->trigger();
        return line(0);
    };
    std::string broken = original;
    broken[10] ^= 1;
    EXPECT_EQ(u"The image was not programmed: the image has 128 words, the chip's EEPROM 64.",
              program(original + original, false));
    EXPECT_TRUE(program(broken, false).contains(QLatin1String("checksum"))) << line(0).toStdString();
    EXPECT_TRUE(program(readBytes("ft2232c.bin").substr(0, 128), false).startsWith(u"The image was not programmed"));
    EXPECT_TRUE(dialogs.questions.empty()) << "refused before anything is asked";
    EXPECT_EQ(original, readBytes("ft232bm.bin"));

    std::string other = readBytes("two-devices-bm.bin");
    ASSERT_EQ(128u, other.size());
    program(other, false);  // shown, then No
    EXPECT_TRUE(dialogs.questions.back().contains(QLatin1String("QV000005"))) << dialogs.questions.back().toStdString();
    EXPECT_EQ(original, readBytes("ft232bm.bin"));
    program(other, true);
    EXPECT_EQ(other, readBytes("ft232bm.bin"));
    EXPECT_TRUE(line(2).startsWith(u"EEPROM backup: "));
}

// The way back belongs to the board that was being changed: never offered to a
// chip elsewhere, and Yes by default only when the chip still holds that board's
// serial number; a chip found as it was before needs none.
TEST_F(SafeWritingTest, TheWayBackIsOfferedOnlyToItsOwnBoardNamingIt) {
    copyAllExamples();
    const std::string original = readBytes("ft232bm.bin");
    crashWhileWriting("crash.FT_EraseEE = before");
    writeDevices(kBm);
    startAgain();
    EXPECT_TRUE(dialogs.questions.empty()) << "the chip is as it was";
    EXPECT_TRUE(files("journal", "*").isEmpty());

    crashWhileWriting("crash.FT_EraseEE = after");
    useDevicesFile("blank-ft232bm.ini");
    startAgain();
    EXPECT_TRUE(dialogs.questions.empty()) << "a blank chip elsewhere is another board";

    replug(kBm);
    startAgain();  // blank: it may be that board, or a new one put in its place
    ASSERT_EQ(1u, dialogs.questions.size());
    EXPECT_TRUE(
        dialogs.questions[0].contains(QLatin1String("on this FT232BM (serial QV000001) was interrupted on")))
        << dialogs.questions[0].toStdString();
    EXPECT_TRUE(dialogs.questionsWithNoByDefault[0]);

    std::string damaged = original;  // its checksum lost, its serial number still there
    damaged.replace(damaged.size() - 2, 2, "\xFF\xFF");
    writeBytes("ft232bm.bin", damaged);
    startAgain();
    ASSERT_EQ(2u, dialogs.questions.size());
    EXPECT_FALSE(dialogs.questionsWithNoByDefault[1]);
    EXPECT_EQ(1, files("journal", "*.ini").size());
}

namespace {

// Another program writes the chip while the user answers the window's question.
class ChipWrittenWhileAsking : public QueuedDialogs {
public:
    std::function<void()> meanwhile;
    bool askYesNo(QWidget *owner, const QString &text, bool noByDefault) override {
        if (meanwhile) meanwhile();
        return QueuedDialogs::askYesNo(owner, text, noByDefault);
    }
};

}  // namespace

TEST_F(SafeWritingTest, AChipChangedSinceItWasReadIsNotWrittenOver) {
    start("ft232bm");
    const std::string theirs = readBytes("two-devices-bm.bin");
    ChipWrittenWhileAsking asking;
    asking.meanwhile = [&] { writeBytes("ft232bm.bin", theirs); };
    asking.yesNoAnswers.push_back(true);
    writeBytes("image.bin", readBytes(KESTROM_EXAMPLES_DIR "/ft232bm.bin"));
    asking.openAnswers.push_back(QString::fromStdString(path("image.bin").string()));
    find<QAction>("programImage")->trigger();
    EXPECT_EQ(u"Nothing was written: the chip changed since it was read.", line(0));
    EXPECT_EQ(theirs, readBytes("ft232bm.bin"));
    EXPECT_TRUE(files("journal", "*").isEmpty());
}
