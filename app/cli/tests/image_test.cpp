// kestrom dump and restore on simulated devices: the raw image round trip, the
// checks an image passes, --force, a backup before every restore, and failures.
#include <gtest/gtest.h>

#include <filesystem>

#include "cli_run.h"

namespace {

class Images : public CliTest {
protected:
    void SetUp() override {
        CliTest::SetUp();
        copyAllExamples();
        useDevicesFile("ft232bm.ini");
    }
    std::string example(const char *name) const {
        return readBytes(std::string(KESTROM_EXAMPLES_DIR "/") + name);
    }
};

TEST_F(Images, DumpAndRestoreRoundTripWithABackupOfWhatWasThere) {
    const Outcome dumped = run({"dump", "saved.bin"});
    ASSERT_EQ(0, dumped.exitCode) << dumped.err;
    EXPECT_EQ("Saved device 0 (FT232BM, 64 words, valid) to saved.bin\n", dumped.out);
    EXPECT_EQ(example("ft232bm.bin"), readBytes("saved.bin"));

    writeBytes("ft232bm.bin", example("two-devices-bm.bin"));  // the chip now holds something else
    const Outcome restored = run({"restore", "saved.bin"});
    ASSERT_EQ(0, restored.exitCode) << restored.err;
    EXPECT_EQ(0u, restored.out.find("Programmed device 0 (FT232BM) with saved.bin (64 words)\nBackup: "))
        << restored.out;
    EXPECT_EQ(example("ft232bm.bin"), readBytes("ft232bm.bin"));
    ASSERT_EQ(1u, backups().size());
    EXPECT_EQ(example("two-devices-bm.bin"), readBytes(backups()[0].string()))
        << "the backup holds what was there";
    EXPECT_NE(std::string::npos, restored.out.find(backups()[0].string()));
    EXPECT_TRUE(std::filesystem::is_empty(dataFolder() / "kestrom" / "journal")) << "the journal ended";
}

TEST_F(Images, AnImageThatDoesNotSuitTheChipIsRefusedBeforeAnythingIsWritten) {
    std::string badChecksum = example("ft232bm.bin");
    badChecksum[20] ^= 1;
    writeBytes("bad.bin", badChecksum);
    writeBytes("odd.bin", "\x01\x02\x03");
    writeBytes("big.bin", example("ft2232c.bin"));
    writeBytes("am.bin", example("ft8u232am.bin"));
    std::filesystem::create_directory(path("folder.bin"));
    struct Case {
        const char *file;
        const char *said;
    };
    for (const Case &c :
         {Case{"big.bin",
               "kestrom restore: the image was not programmed: the image has 128 words, the chip's EEPROM "
               "64\n"},
          Case{"bad.bin",
               "kestrom restore: the image was not programmed: its checksum does not match (or it is not for "
               "a FT232BM)\n"},
          Case{"am.bin",
               "kestrom restore: the image was not programmed: its layout is not the FT232BM's (--force "
               "programs it anyway)\n"},
          Case{"odd.bin", "kestrom restore: odd.bin is not an image: it holds no whole words\n"},
          Case{"missing.bin", "kestrom restore: missing.bin does not exist\n"},
          Case{"folder.bin", "kestrom restore: folder.bin is a folder, not an image file\n"}}) {
        const Outcome outcome = run({"restore", c.file});
        EXPECT_EQ(2, outcome.exitCode) << c.file;
        EXPECT_EQ(0u, outcome.err.find(c.said)) << outcome.err;
        EXPECT_EQ(example("ft232bm.bin"), readBytes("ft232bm.bin")) << c.file;
    }
    EXPECT_TRUE(backups().empty());

    const Outcome forced = run({"restore", "am.bin", "--force"});
    EXPECT_EQ(0, forced.exitCode) << forced.err;
    EXPECT_EQ(example("ft8u232am.bin"), readBytes("ft232bm.bin"));
}

TEST_F(Images, ABlankImageErasesAndABlankPartIsSizedByAProbe) {
    writeBytes("blank64.bin", std::string(128, '\xFF'));
    const Outcome erased = run({"restore", "blank64.bin"});
    ASSERT_EQ(0, erased.exitCode) << erased.err;
    EXPECT_EQ(std::string(128, '\xFF'), readBytes("ft232bm.bin"));

    // A blank 93C56 takes a 128-word image, not a 64-word one.
    writeDevices("[d]\nchip = 2232C\neeprom = c.bin\neeprom_words = 128\n");
    useDevicesFile("devices.ini");
    writeBytes("c64.bin", example("ft2232c.bin").substr(0, 128));
    EXPECT_EQ(2, run({"restore", "c64.bin"}).exitCode);
    EXPECT_EQ(0, run({"restore", "ft2232c.bin"}).exitCode);
    EXPECT_EQ(example("ft2232c.bin"), readBytes("c.bin"));
}

TEST_F(Images, AChipThatRefusesTheWriteEndsWithExitCode1AndNamesTheBackup) {
    writeDevices("[d]\nchip = BM\neeprom = ft232bm.bin\neeprom_words = 64\nwrite_protect = 1\n");
    useDevicesFile("devices.ini");
    writeBytes("other.bin", example("two-devices-bm.bin"));
    const Outcome outcome = run({"restore", "other.bin"});
    EXPECT_EQ(1, outcome.exitCode);
    EXPECT_EQ(0u,
              outcome.err.find(
                  "kestrom restore: device 0: writing the image failed: status 12 (FT EEPROM WRITE FAILED); "
                  "the old contents are in "))
        << outcome.err;
    EXPECT_EQ(example("ft232bm.bin"), readBytes("ft232bm.bin"));

    EXPECT_EQ(2, run({"dump", (path("nowhere") / "x.bin").string().c_str()}).exitCode);
    EXPECT_EQ(2, run({"dump"}).exitCode) << "FILE is missing";
}

}  // namespace
