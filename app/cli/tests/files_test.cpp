// The files the commands write and read, under faults: a full disk (injected, and a
// real one when the tests run as root) leaves no file half-written and no chip
// written without its backup, journal entry or reservation; inputs that are not
// regular files or are far too large are refused; a device node or a pipe is never
// replaced. And a write keeps the chip's user area.
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <QJsonDocument>
#include <QJsonObject>
#include <fstream>

#include "cli_run.h"

namespace fs = std::filesystem;

namespace {

// An environment variable for the commands run while it lives.
class ScopedEnv {
public:
    ScopedEnv(const char *name, const std::string &value) : name_(name) { setenv(name, value.c_str(), 1); }
    ~ScopedEnv() { unsetenv(name_); }

private:
    const char *name_;
};

class Files : public CliTest {
protected:
    void SetUp() override {
        CliTest::SetUp();
        copyAllExamples();
        useDevicesFile("ft232bm.ini");
        chip = readBytes("ft232bm.bin");
        writeBytes("c.ini", "[template]\nchip=BM\nDescription=\"Crash\"\n");
    }
    // Files of a folder whose names hold `text` (drafts left behind among them).
    static size_t filesWith(const fs::path &folder, const std::string &text) {
        size_t count = 0;
        if (!fs::exists(folder)) return 0;
        for (const auto &entry : fs::directory_iterator(folder))
            count += entry.path().filename().string().find(text) != std::string::npos;
        return count;
    }
    fs::path journal() const { return dataFolder() / "kestrom" / "journal"; }
    std::string chip;
};

TEST_F(Files, OnAFullDiskNothingIsSavedHalfAndNothingWrittenToTheChip) {
    writeBytes("kept.bin", "old");
    {
        ScopedEnv full("KESTROM_FULL_DISK", "kept");
        const Outcome dumped = run({"dump", "kept.bin"});
        EXPECT_EQ(2, dumped.exitCode);
        EXPECT_EQ("kestrom dump: kept.bin cannot be written: the disk is full\n", dumped.err);
        const Outcome saved = run({"template", "save", "kept.ini"});
        EXPECT_EQ(2, saved.exitCode);
        EXPECT_EQ("kestrom template: kept.ini cannot be written: the disk is full\n", saved.err);
    }
    EXPECT_EQ("old", readBytes("kept.bin")) << "the old file stays whole";
    EXPECT_EQ(1u, filesWith(path(""), "kept")) << "no new file, no draft left";

    for (const char *failing : {"/backups/", "/journal/"}) {
        ScopedEnv full("KESTROM_FULL_DISK", failing);
        const Outcome written = run({"write", "c.ini"});
        EXPECT_EQ(1, written.exitCode) << failing;
        EXPECT_NE(std::string::npos, written.err.find("cannot be written: the disk is full")) << written.err;
        EXPECT_NE(std::string::npos, written.err.find("nothing was written")) << written.err;
        EXPECT_NE(std::string::npos, written.err.find(std::string(failing) == "/backups/"
                                                          ? "no backup could be made"
                                                          : "the change could not be entered in the journal"))
            << written.err;
        EXPECT_EQ(chip, readBytes("ft232bm.bin")) << failing;
        EXPECT_EQ(0u, filesWith(journal(), "")) << failing;
        if (std::string(failing) == "/backups/") {
            EXPECT_TRUE(backups().empty()) << "no backup half-written";
        }
    }

    // A number is reserved on disk before its board is written.
    const QStringList produce{"produce", "c.ini", "--serial", "KS%06d", "--start", "1", "--count", "1"};
    ASSERT_EQ(0, run(produce).exitCode);
    const std::string programmed = readBytes("ft232bm.bin");
    const std::string state = readBytes((dataFolder() / "kestrom" / "production" / "KS_06d.state").string());
    {
        ScopedEnv full("KESTROM_FULL_DISK", ".state");
        const Outcome stopped = run(produce);
        EXPECT_EQ(1, stopped.exitCode);
        EXPECT_NE(std::string::npos, stopped.err.find("the disk is full")) << stopped.err;
    }
    EXPECT_EQ(programmed, readBytes("ft232bm.bin"));
    EXPECT_EQ(state, readBytes((dataFolder() / "kestrom" / "production" / "KS_06d.state").string()));
}

// A small tmpfs filled to the last byte, as the data folder and beside the output.
class FullDisk : public Files {
protected:
    void SetUp() override {
        Files::SetUp();
        if (geteuid() != 0) GTEST_SKIP() << "a real full disk needs root to mount a tmpfs";
        disk = path("disk");
        fs::create_directory(disk);
        if (mount("tmpfs", disk.c_str(), "tmpfs", 0, "size=1m") != 0)
            GTEST_SKIP() << "tmpfs cannot be mounted";
        mounted = true;
        setenv("XDG_DATA_HOME", disk.c_str(), 1);
        // 1000 backups already there (empty ones take no room): pruning would make room.
        const fs::path backups = disk / "kestrom" / "backups";
        fs::create_directories(backups);
        for (int i = 0; i < 1000; ++i)
            std::ofstream(backups / ("20200101-000000-" + std::to_string(i) + ".bin"));
        std::ofstream filler(disk / "filler", std::ios::binary);
        const std::string block(4096, 'x');
        while (filler.write(block.data(), std::streamsize(block.size())) && filler.flush()) {
        }
    }
    void TearDown() override {
        if (mounted) umount2(disk.c_str(), MNT_DETACH);
        Files::TearDown();
    }
    fs::path disk;
    bool mounted = false;
};

TEST_F(FullDisk, SavesAndChangesAreRefusedSayingSo) {
    const Outcome dumped = run({"dump", (disk / "chip.bin").c_str()});
    EXPECT_EQ(2, dumped.exitCode);
    EXPECT_NE(std::string::npos, dumped.err.find("chip.bin cannot be written: the disk is full"))
        << dumped.err;
    EXPECT_FALSE(fs::exists(disk / "chip.bin"));

    const Outcome written = run({"write", "c.ini"});
    EXPECT_EQ(1, written.exitCode);
    EXPECT_NE(std::string::npos, written.err.find("the disk is full")) << written.err;
    EXPECT_EQ(chip, readBytes("ft232bm.bin"));
    EXPECT_EQ(1000u, filesWith(disk / "kestrom" / "backups", "")) << "nothing pruned, nothing added";
    EXPECT_EQ(0u, filesWith(disk / "kestrom" / "journal", ""));
}

TEST_F(Files, InputsThatAreNotRegularFilesOrFarTooLargeAreRefused) {
    mkfifo(path("fifo").c_str(), 0600);  // read, it would wait for a writer for ever
    writeBytes("big.bin", chip + chip + chip + chip + chip + chip + chip + chip + chip);
    writeBytes("big.ini", "[template]\nchip=BM\n" + std::string(300 * 1024, ';'));
    const struct {
        const char *command, *file, *said;
    } cases[] = {
        {"restore", "/dev/zero",
         "kestrom restore: /dev/zero is not an image: it is a device, not a regular file\n"},
        {"write", "/dev/urandom",
         "kestrom write: /dev/urandom cannot be read: it is a device, not a regular file\n"},
        {"write", "/dev/zero", "kestrom write: /dev/zero cannot be read: it is a device"},
        {"restore", "fifo", "kestrom restore: fifo is not an image: it is a pipe, not a regular file\n"},
        {"write", ".", "kestrom write: . cannot be read: it is a folder, not a regular file\n"},
        {"restore", "big.bin", "kestrom restore: big.bin is not an image: it is larger than 1024 bytes\n"},
        {"write", "big.ini", "kestrom write: big.ini cannot be read: it is larger than 262144 bytes\n"}};
    for (const auto &c : cases) {
        const Outcome outcome = run({c.command, c.file});
        EXPECT_EQ(2, outcome.exitCode) << c.said;
        EXPECT_EQ(0u, outcome.err.find(c.said)) << outcome.err;
    }
    EXPECT_EQ(chip, readBytes("ft232bm.bin"));
    EXPECT_TRUE(backups().empty());
}

TEST_F(Files, OnlyARegularFileOrAMissingOneIsReplaced) {
    mkfifo(path("fifo").c_str(), 0600);
    fs::create_directory(path("folder"));
    fs::create_symlink(path("fifo"), path("to-fifo"));
    writeBytes("old.ini", "old");
    fs::create_symlink(path("old.ini"), path("to-old.ini"));
    const bool root = geteuid() == 0;
    if (root) {
        ASSERT_EQ(0, mknod(path("null").c_str(), S_IFCHR | 0666, makedev(1, 3)));
    }
    for (const char *target : {"fifo", "folder", "to-fifo", "null"}) {
        if (std::string(target) == "null" && !root) continue;  // a device node needs root to make
        for (const QStringList &command :
             {QStringList{"dump", target}, QStringList{"template", "save", target}}) {
            const Outcome outcome = run(command);
            EXPECT_EQ(2, outcome.exitCode) << target;
            EXPECT_NE(std::string::npos, outcome.err.find(", not a regular file")) << outcome.err;
        }
    }
    EXPECT_TRUE(fs::is_fifo(path("fifo")) && fs::is_directory(path("folder")) &&
                fs::is_symlink(path("to-fifo")));
    if (root) {
        EXPECT_TRUE(fs::is_character_file(path("null")));
    }

    ASSERT_EQ(0, run({"template", "save", "to-old.ini"}).exitCode);
    EXPECT_TRUE(fs::is_symlink(path("to-old.ini")))
        << "a link to a file: the file is replaced, the link kept";
    EXPECT_NE(std::string::npos, readBytes("old.ini").find("[template]"));
}

uint16_t checksum(const std::vector<uint16_t> &words) {
    uint16_t sum = 0xAAAA;
    for (size_t i = 0; i + 1 < words.size(); ++i) {
        sum ^= words[i];
        sum = uint16_t(sum << 1 | sum >> 15);
    }
    return sum;
}

std::string bytesOf(const std::vector<uint16_t> &words) {
    std::string bytes;
    for (uint16_t word : words) bytes += {char(word & 0xFF), char(word >> 8)};
    return bytes;
}

TEST_F(Files, AWriteKeepsTheUserAreaFromItsFirstWord) {
    const Outcome shown = run({"show", "--json"});
    const int userWords = QJsonDocument::fromJson(QByteArray::fromStdString(shown.out))
                              .object()["eeprom"]
                              .toObject()["userAreaBytes"]
                              .toInt() /
                          2;
    ASSERT_GT(userWords, 4);
    std::vector<uint16_t> image = words(chip);
    const size_t first = 63 - size_t(userWords);
    for (size_t i = first; i < 63; ++i) image[i] = uint16_t(0xA500 + i);
    image[63] = checksum(image);
    writeBytes("user.bin", bytesOf(image));
    ASSERT_EQ(0, run({"restore", "user.bin"}).exitCode);

    writeBytes("power.ini", "[template]\nchip=BM\nMaxPower=100\n");
    const Outcome written = run({"write", "power.ini"});
    ASSERT_EQ(0, written.exitCode) << written.err;
    std::vector<uint16_t> after = words(readBytes("ft232bm.bin"));
    EXPECT_TRUE(std::equal(image.begin() + long(first), image.begin() + 63, after.begin() + long(first)));
    EXPECT_EQ(checksum(after), after[63]);

    // Four bytes less of text: the user area starts two words earlier, its words with it.
    writeBytes("short.ini", "[template]\nchip=BM\nDescription=\"USB FTDI po\"\n");
    ASSERT_EQ(0, run({"write", "short.ini"}).exitCode);
    after = words(readBytes("ft232bm.bin"));
    EXPECT_TRUE(std::equal(image.begin() + long(first), image.begin() + 63, after.begin() + long(first) - 2));
    EXPECT_EQ(checksum(after), after[63]);
}

}  // namespace
