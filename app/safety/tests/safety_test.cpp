// The safety module on simulated devices: parts sized by their wrap, backups that
// keep their number, and a journal that tells a change that never ended.
#include <gtest/gtest.h>

#include <QDir>
#include <QSettings>
#include <QTemporaryDir>

#include "program_folder.h"
#include "safe_change.h"
#include "sim_fixture.h"

using namespace kestrom::safety;

namespace {

class SafetyTest : public SimFixture {
protected:
    kestrom::platform::D2xxBinding d2xx{kestrom::platform::programFolder()};
    QTemporaryDir data;
    QString folder(const char *name) const { return data.filePath(QString::fromLatin1(name)); }
};

}  // namespace

TEST_F(SafetyTest, PartsAreSizedByWhereTheirAddressesWrapBlankOnesByAProbe) {
    copyExample("ft232bm.bin");
    const std::string image = readBytes("ft232bm.bin");
    for (size_t words : {64u, 128u, 256u}) {
        SCOPED_TRACE(words);
        // The same configuration on a bigger part: the rest of it holds other words.
        std::string bytes = image + std::string(2 * words - image.size(), '\x5A');
        writeBytes("part.bin", bytes);
        writeDevices("[d]\nchip = BM\neeprom = part.bin\neeprom_words = " + std::to_string(words) + "\n");
        ChipWords chip;
        ASSERT_EQ(FT_OK, readChipWords(d2xx, 0, chip));
        EXPECT_EQ(words, chip.words.size());
        EXPECT_EQ(0x0403u << 16 | 0x6001u, chip.identity.id);

        writeDevices("[d]\nchip = BM\neeprom = blank.bin\neeprom_words = " + std::to_string(words) + "\n");
        ASSERT_EQ(FT_OK, readChipWords(d2xx, 0, chip));
        EXPECT_EQ(64u, chip.words.size()) << "a blank part shows no wrap";
        size_t probed = 0;
        ASSERT_EQ(FT_OK, probeBlankPartSize(d2xx, 0, probed));
        EXPECT_EQ(words, probed);
        ASSERT_EQ(FT_OK, readChipWords(d2xx, 0, chip));
        EXPECT_EQ(QStringLiteral("blank"), checksumState(FT_DEVICE_BM, chip.words)) << "left blank";
    }
}

TEST_F(SafetyTest, BackupsAreWholeNamedByTimeAndTheOldestGoFirst) {
    copyAllExamples();
    useDevicesFile("ft2232c.ini");
    ChipWords chip;
    ASSERT_EQ(FT_OK, readChipWords(d2xx, 0, chip));
    BackupStore store(folder("backups"), 3);
    const QDateTime first(QDate(2026, 1, 2), QTime(3, 4, 5, 6));
    QString error;
    for (int i = 0; i < 5; ++i) ASSERT_TRUE(store.save(chip, first.addSecs(i), error)) << error.toStdString();
    const QStringList kept = QDir(store.folder()).entryList(QDir::Files, QDir::Name);
    EXPECT_EQ((QStringList{"20260102-030407-006_FT2232C_0403-6010_QV000002.bin",
                           "20260102-030407-006_FT2232C_0403-6010_QV000002.txt",
                           "20260102-030408-006_FT2232C_0403-6010_QV000002.bin",
                           "20260102-030408-006_FT2232C_0403-6010_QV000002.txt",
                           "20260102-030409-006_FT2232C_0403-6010_QV000002.bin",
                           "20260102-030409-006_FT2232C_0403-6010_QV000002.txt"}),
              kept);
    EXPECT_EQ(chip.words, BackupStore::load(store.folder() + u'/' + kept[0]));
    EXPECT_TRUE(QFile(store.folder() + u'/' + kept[1]).size() > 0);

    chip.identity.serialNumber = QStringLiteral("a/b c");
    const std::optional<QString> odd = store.save(chip, first, error);
    ASSERT_TRUE(odd);
    EXPECT_TRUE(odd->endsWith(u"_a_b_c.bin")) << "a serial never makes a path";
}

TEST_F(SafetyTest, AJournalEntryStaysUntilTheChangeEndsAndSaysWhatToPutBack) {
    copyAllExamples();
    useDevicesFile("ft232bm.ini");
    BackupStore store(folder("backups"));
    WriteJournal journal(folder("journal"));
    SafeChange change(d2xx, store, journal);
    ASSERT_EQ(FT_OK, change.readDevice(0));
    QString error;
    ASSERT_TRUE(change.begin(QStringLiteral("Write"), error)) << error.toStdString();
    ASSERT_EQ(1u, journal.pending().size());
    EXPECT_EQ(change.backup(), journal.pending()[0].backup);
    EXPECT_FALSE(interruptedChange(d2xx, journal, 0)) << "the chip still reads well";

    writeBytes("ft232bm.bin", std::string(64, '\xFF'));  // half-way through, as it were
    EXPECT_FALSE(change.finish(false)) << "a failed change that left the chip changed keeps its journal";
    const std::optional<InterruptedChange> interrupted = interruptedChange(d2xx, journal, 0);
    ASSERT_TRUE(interrupted);
    EXPECT_EQ(u"Write", interrupted->entry.operation);
    JournalEntry lost = interrupted->entry;
    lost.backup = folder("gone.bin");
    EXPECT_FALSE(putBackOldContents(d2xx, journal, 0, lost, error));
    EXPECT_TRUE(error.contains(QStringLiteral("gone.bin cannot be read"))) << error.toStdString();
    EXPECT_EQ(std::string(64, '\xFF'), readBytes("ft232bm.bin")) << "nothing was written";
    ASSERT_TRUE(putBackOldContents(d2xx, journal, 0, interrupted->entry, error)) << error.toStdString();
    EXPECT_EQ(readBytes(KESTROM_EXAMPLES_DIR "/ft232bm.bin"), readBytes("ft232bm.bin"));
    EXPECT_TRUE(journal.pending().empty());

    // A change that failed with the chip as it was read has nothing to put back.
    SafeChange refused(d2xx, store, journal);
    ASSERT_EQ(FT_OK, refused.readDevice(0));
    ASSERT_TRUE(refused.begin(QStringLiteral("Write"), error)) << error.toStdString();
    EXPECT_TRUE(refused.finish(false));
    EXPECT_TRUE(journal.pending().empty());

    WriteJournal nowhere(folder("backups") + QStringLiteral("/") +
                         QDir(store.folder()).entryList(QDir::Files)[0]);
    EXPECT_FALSE(nowhere.begin(QStringLiteral("Erase"), {}, change.backup(), std::nullopt, error));
    EXPECT_FALSE(error.isEmpty());
}

// A chip opened by its port, which no index led to, is located where its listing puts it:
// a journal entry of it can then prove which chip it belongs to.
TEST_F(SafetyTest, AChipOpenedByItsPortIsLocatedAsItsListingSays) {
    copyExample("ft232bm.bin");
    writeDevices("[first]\nchip = BM\n[second]\nchip = BM\neeprom = ft232bm.bin\n");
    uint32_t listed = 0;
    ASSERT_EQ(FT_OK, d2xx.FT_GetDeviceInfoDetail(1, nullptr, nullptr, &listed, nullptr, nullptr));
    OpenDevice device(d2xx, QStringLiteral("second"));
    ChipWords chip;
    ASSERT_EQ(FT_OK, device.read(chip));
    EXPECT_NE(0u, chip.identity.location);
    EXPECT_EQ(listed, chip.identity.location);
}

TEST_F(SafetyTest, AJournalEntryKeepsEveryTextAChipCanHold) {
    WriteJournal journal(folder("journal"));
    const ChipIdentity device{.type = FT_DEVICE_2232C,
                              .id = 0x04036010,
                              .serialNumber = QStringLiteral("@Invalid()"),
                              .description = QString::fromUtf8("\"a\\b\", c; d=\x1b"
                                                               "3 \x1f"
                                                               "F \xc5\xa1t\xc4\x9bkno @")};
    const QString backup = QStringLiteral("/tmp/x y/#1;2,3.bin");
    QString error;
    ChipWords before{device, std::vector<uint16_t>(64, 0xFFFF)};
    ASSERT_TRUE(journal.begin(QStringLiteral("Program EEPROM Image"), before, backup, std::nullopt, error))
        << error.toStdString();
    ASSERT_EQ(1u, journal.pending().size());
    const JournalEntry read = journal.pending()[0];
    EXPECT_EQ(backup, read.backup);
    EXPECT_EQ(u"Program EEPROM Image", read.operation);
    EXPECT_EQ(device.type, read.device.type);
    EXPECT_EQ(device.id, read.device.id);
    EXPECT_EQ(device.serialNumber, read.device.serialNumber);
    EXPECT_EQ(device.description, read.device.description);
    EXPECT_EQ(1, QDir(folder("journal")).entryList(QDir::Files).size()) << "no draft left beside it";
}

// A backup of an X-series chip goes back whole, around the factory area the chip
// keeps to itself: its words are never written, and they are what the backup holds.
TEST_F(SafetyTest, AnXSeriesBackupGoesBackAroundItsFactoryArea) {
    std::string image(256, '\0');
    for (size_t i = 0x80; i < 0xA0; ++i) image[i] = char(i);
    writeBytes("x.bin", image);
    writeDevices("[x]\nchip = X\neeprom = x.bin\n");
    ChipWords chip;
    ASSERT_EQ(FT_OK, readChipWords(d2xx, 0, chip));
    ASSERT_EQ(128u, chip.words.size());
    std::vector<uint16_t> changed = chip.words;
    changed[0x20] = 0x1234;  // the user area
    FT_STATUS closed = FT_IO_ERROR;
    EXPECT_EQ(FT_OK, writeChipWords(d2xx, 0, changed, closed));
    EXPECT_EQ(FT_OK, closed);
    ASSERT_EQ(FT_OK, readChipWords(d2xx, 0, chip));
    EXPECT_EQ(changed, chip.words);
}

// An entry is offered only to words its change could have left; one written before
// entries named their chip's place and words is still read, but never proven.
TEST_F(SafetyTest, AJournalEntryIsOfferedOnlyToWordsItsChangeCouldHaveLeft) {
    copyAllExamples();
    writeDevices("[d]\nchip = BM\neeprom = ft232bm.bin\n");
    const std::string original = readBytes("ft232bm.bin");
    BackupStore store(folder("backups"));
    WriteJournal journal(folder("journal"));
    SafeChange change(d2xx, store, journal);
    ASSERT_EQ(FT_OK, change.readDevice(0));
    QString error;
    ASSERT_TRUE(change.begin(QStringLiteral("Erase"), error, std::vector<uint16_t>(64, 0xFFFF)))
        << error.toStdString();

    std::string another = readBytes("two-devices-bm.bin");
    another.replace(another.size() - 2, 2, "\xFF\xFF");  // damaged, but another board's
    writeBytes("ft232bm.bin", another);
    EXPECT_FALSE(change.finish(false));
    EXPECT_FALSE(interruptedChange(d2xx, journal, 0));

    std::string torn = original;  // half of the first word erased: the checksum lost
    torn[0] = '\xFF';
    writeBytes("ft232bm.bin", torn);
    std::optional<InterruptedChange> offered = interruptedChange(d2xx, journal, 0);
    ASSERT_TRUE(offered);
    EXPECT_TRUE(offered->proven);

    QSettings older(journal.pending().at(0).file, QSettings::IniFormat);
    older.remove(QStringLiteral("location"));
    older.remove(QStringLiteral("before"));
    older.sync();
    offered = interruptedChange(d2xx, journal, 0);
    ASSERT_TRUE(offered) << "its backup tells what the chip held";
    EXPECT_FALSE(offered->proven);

    writeBytes("ft232bm.bin", original);
    EXPECT_FALSE(interruptedChange(d2xx, journal, 0));
    EXPECT_TRUE(journal.pending().empty()) << "found as it was before";
}

// Past the count the oldest go, by their real age, but never the backup just made,
// one a journal entry or a production state names, or a chip's only one.
TEST_F(SafetyTest, PruningNeverTakesABackupStillNeeded) {
    copyAllExamples();
    useDevicesFile("ft2232c.ini");
    ChipWords chip;
    ASSERT_EQ(FT_OK, readChipWords(d2xx, 0, chip));
    BackupStore store(folder("backups"), 2);
    ASSERT_TRUE(QDir().mkpath(store.folder()));
    const auto backup = [&](const QString &name) { return store.folder() + u'/' + name; };
    const QString same = QStringLiteral("_FT2232C_0403-6010_QV000002.bin");
    const QStringList needed{QStringLiteral("20200101-000000-000_FT232BM_0403-6001_OTHER.bin"),
                             QStringLiteral("20200102-000000-000") + same,
                             QStringLiteral("20200103-000000-000") + same};
    QStringList unneeded{QStringLiteral("20200104-000000-000") + same};
    for (int day = 1; day <= 5; ++day) unneeded << QStringLiteral("2099010%1-000000-000").arg(day) + same;
    QString error;
    for (const QString &name : needed + unneeded)
        ASSERT_TRUE(writeImageFile(backup(name), chip.words, error));
    ASSERT_TRUE(QDir().mkpath(folder("journal")) && QDir().mkpath(folder("production")));
    writeBytes(folder("journal/1.ini").toStdString(),
               "[General]\nbackup=" + backup(needed[1]).toStdString() + "\n");
    writeBytes(folder("production/KS.state").toStdString(),
               "{\"pending\":{\"backup\":\"" + backup(needed[2]).toStdString() + "\"}}");

    const std::optional<QString> made = store.save(chip, QDateTime::currentDateTime(), error);
    ASSERT_TRUE(made) << error.toStdString();
    EXPECT_TRUE(QFile::exists(*made));
    for (const QString &name : needed) EXPECT_TRUE(QFile::exists(backup(name))) << name.toStdString();
    for (const QString &name : unneeded) EXPECT_FALSE(QFile::exists(backup(name))) << name.toStdString();
}
