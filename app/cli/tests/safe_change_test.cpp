// Changes that must never cost a chip its configuration, run as a user runs them:
// a journal entry that belongs to one chip and ends when that chip is whole again,
// two changes of one chip at once, a device chosen by serial that moves while it
// is opened, and a close that fails after every word went on.
#include <gtest/gtest.h>

#include <QStandardPaths>
#include <QThread>
#include <filesystem>

#include "cli_run.h"

namespace fs = std::filesystem;

namespace {

const std::string kBm = "[ft232bm]\nchip = BM\neeprom = ft232bm.bin\neeprom_words = 64\n";

// A text as the EEPROM's string descriptors hold it: UTF-16LE.
std::string utf16(const std::string &text) {
    std::string out;
    for (const char c : text) out += std::string{c, '\0'};
    return out;
}

class SafeChanges : public CliTest {
protected:
    void SetUp() override {
        CliTest::SetUp();
        copyAllExamples();
        writeDevices(kBm);
        for (const char *text : {"Aaaa", "Bbbb", "Crash"}) {
            writeBytes(std::string(text) + ".ini",
                       std::string("[template]\nchip=BM\nDescription=\"") + text + "\"\n");
        }
    }
    size_t journalEntries() const {
        const fs::path folder = dataFolder() / "kestrom" / "journal";
        return fs::exists(folder)
                   ? size_t(std::distance(fs::directory_iterator(folder), fs::directory_iterator()))
                   : 0;
    }
    // What the chip and every backup hold: a change reported done is in one of them.
    std::string chipAndBackups() const {
        std::string all = readBytes("ft232bm.bin");
        for (const fs::path &backup : backups()) all += readBytes(backup.string());
        return all;
    }
};

TEST_F(SafeChanges, AJournalEntryBelongsToItsChipAndEndsWhenThatChipIsWholeAgain) {
    const std::string original = readBytes("ft232bm.bin");
    for (const char *mend : {"restore", "write"}) {
        SCOPED_TRACE(mend);
        fs::remove_all(dataFolder() / "kestrom");
        writeDevices(kBm + "crash.FT_EE_Program = during\n");
        ASSERT_EQ(137, run({"write", "Crash.ini"}).exitCode);
        writeDevices(kBm);
        ASSERT_EQ(1u, journalEntries());
        const std::string backup = backups().at(0).string();

        // A blank chip elsewhere is no part of it: no note, and the entry stays.
        useDevicesFile("blank-ft232bm.ini");
        const Outcome elsewhere = run({"write", "Aaaa.ini"});
        EXPECT_EQ(0, elsewhere.exitCode) << elsewhere.err;
        EXPECT_EQ(std::string::npos, elsewhere.err.find("never ended")) << elsewhere.err;
        EXPECT_EQ(1u, journalEntries());

        useDevicesFile("devices.ini");
        const Outcome mended = std::string(mend) == "restore"
                                   ? run({"restore", QString::fromStdString(backup)})
                                   : run({"write", "Crash.ini"});
        EXPECT_EQ(0, mended.exitCode) << mended.err;
        if (std::string(mend) == "write") {
            EXPECT_NE(std::string::npos, mended.err.find("(serial QV000001) never ended")) << mended.err;
        } else {
            EXPECT_EQ(original, readBytes("ft232bm.bin"));
        }
        EXPECT_EQ(0u, journalEntries()) << "the chip is whole again";
    }
}

// Write A is held up while its backup is saved; write B comes meanwhile. Either B
// waits its turn or it is refused: never may one of them undo the other unseen.
TEST_F(SafeChanges, TwoChangesOfOneChipAtOnceNeverUndoEachOtherUnseen) {
    const QString strace = QStandardPaths::findExecutable(QStringLiteral("strace"));
    if (strace.isEmpty()) GTEST_SKIP() << "strace is not installed: the slowed write cannot be made";
    QProcess slowed;
    start(slowed,
          {"-f", "-o", "/dev/null", "-e", "inject=linkat,rename,renameat,renameat2:delay_exit=700000",
           KESTROM_FILE, "write", "Aaaa.ini"},
          strace);
    QThread::msleep(1000);
    QProcess other;
    start(other, {"write", "Bbbb.ini"});
    ASSERT_TRUE(other.waitForFinished(30000));
    ASSERT_TRUE(slowed.waitForFinished(30000));
    if (slowed.exitCode() != 0 && slowed.readAllStandardError().contains("ptrace"))
        GTEST_SKIP() << "strace may not trace here";
    const std::string all = chipAndBackups();
    EXPECT_EQ(0, slowed.exitCode()) << slowed.readAllStandardError().toStdString();
    if (other.exitCode() == 0) {
        EXPECT_NE(std::string::npos, all.find(utf16("Aaaa"))) << "write A was undone";
    } else {
        EXPECT_NE(std::string::npos, other.readAllStandardError().indexOf("could not be read: status 3"));
    }
    EXPECT_NE(std::string::npos,
              readBytes("ft232bm.bin").find(utf16(other.exitCode() == 0 ? "Bbbb" : "Aaaa")));
}

// Three boards; the first is unplugged while `write --serial S2` opens the second.
TEST_F(SafeChanges, ADeviceChosenBySerialIsTheOneWrittenOrNoneIs) {
    copyExample("ft232bm.bin", "s2.bin");
    copyExample("ft232bm.bin", "s3.bin");
    const auto devices = [&](const char *firstPresent) {
        writeDevices(std::string("[s1]\nchip = BM\neeprom = ft232bm.bin\nserial = S1\npresent = ") +
                     firstPresent +
                     "\n[s2]\nchip = BM\neeprom = s2.bin\nserial = S2\ndelay.FT_Open = 2500\n"
                     "[s3]\nchip = BM\neeprom = s3.bin\nserial = S3\n");
    };
    devices("1");
    QProcess write;
    start(write, {"write", "Aaaa.ini", "--serial", "S2"});
    QThread::msleep(1200);
    devices("0");
    ASSERT_TRUE(write.waitForFinished(30000));
    EXPECT_EQ(readBytes(KESTROM_EXAMPLES_DIR "/ft232bm.bin"), readBytes("s3.bin"))
        << "another board was written";
    if (write.exitCode() != 0) {
        EXPECT_TRUE(
            write.readAllStandardError().contains("no longer has the serial number 'S2' (it has 'S3')"));
    } else {
        EXPECT_NE(std::string::npos, readBytes("s2.bin").find(utf16("Aaaa")));
    }
}

TEST_F(SafeChanges, ACloseThatFailsAfterTheImageWentOnIsAWarningNotAFailure) {
    writeDevices(kBm + "fail.FT_Close = 4\n");
    copyExample("two-devices-bm.bin", "other.bin");
    const std::string other = readBytes("other.bin").substr(0, 128);
    writeBytes("other.bin", other);
    const Outcome restored = run({"restore", "other.bin"});
    EXPECT_EQ(0, restored.exitCode) << restored.err;
    EXPECT_EQ(0u, restored.out.find("Programmed device 0 (FT232BM) with other.bin")) << restored.out;
    EXPECT_EQ("kestrom restore: warning: closing device 0 failed afterwards: status 4 (FT IO ERROR)\n",
              restored.err);
    EXPECT_EQ(other, readBytes("ft232bm.bin"));
    EXPECT_EQ(0u, journalEntries());
}

}  // namespace
