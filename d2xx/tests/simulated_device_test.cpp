// The simulated devices through the D2XX calls: images that last, address wrap,
// plugging by editing the devices file, injected failures, listing order, defaults.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>

#include "ftd2xx.h"
#include "sim_fixture.h"

namespace fs = std::filesystem;

namespace {

const std::string kBm = "[bm]\nchip = BM\neeprom = bm.bin\n";

// Everything a D2XX call can fill in, each starting as a recognisable "untouched".
struct Outputs {
    char manufacturer[36] = "untouched", manufacturerId[20] = "untouched";
    char description[68] = "untouched", serialNumber[20] = "untouched";
    char listed[64] = "untouched", infoSerial[16] = "untouched", infoDescription[64] = "untouched";
    FT_PROGRAM_DATA record{};
    FT_HANDLE handle = nullptr;
    uint32_t type = 0xDEAD, id = 0xDEAD, size = 0xDEAD;
    uint16_t word = 0xDEAD;

    Outputs() {
        record.Signature2 = 0xFFFFFFFF;
        record.VendorId = 0xDEAD;
        record.Manufacturer = manufacturer, record.ManufacturerId = manufacturerId;
        record.Description = description, record.SerialNumber = serialNumber;
    }
    bool untouched() const {
        for (const char *text :
             {manufacturer, manufacturerId, description, serialNumber, listed, infoSerial, infoDescription}) {
            if (std::strcmp(text, "untouched") != 0) return false;
        }
        return record.VendorId == 0xDEAD && handle == nullptr && type == 0xDEAD && id == 0xDEAD &&
               size == 0xDEAD && word == 0xDEAD;
    }
};

class SimulatedDevice : public SimFixture {
protected:
    uint32_t typeOf(int index) {
        FT_HANDLE handle = open(index);
        uint32_t type = 0xDEAD;
        EXPECT_EQ(FT_GetDeviceInfo(handle, &type, nullptr, nullptr, nullptr, nullptr), FT_OK);
        FT_Close(handle);
        return type;
    }
    // How many words the device has, seen through the part ignoring the upper address bits.
    uint32_t wordsOf(FT_HANDLE handle) {
        EXPECT_EQ(FT_WriteEE(handle, 0, 0x1357), FT_OK);
        for (uint32_t words : {64u, 128u}) {
            if (readWord(handle, words) == 0x1357) return words;
        }
        return 256;
    }
};

}  // namespace

TEST_F(SimulatedDevice, WordsWrittenAreThereOnTheNextRun) {
    copyExample("ft232bm.bin", "bm.bin");
    writeDevices(kBm);
    const std::string original = readBytes("bm.bin");
    fs::create_hard_link(path("bm.bin"), path("old.bin"));

    FT_HANDLE handle = open();
    ASSERT_EQ(FT_WriteEE(handle, 5, 0x1234), FT_OK);
    ASSERT_EQ(FT_WriteEE(handle, 63, 0xBEEF), FT_OK);
    ASSERT_EQ(FT_Close(handle), FT_OK);

    handle = open();
    EXPECT_EQ(readWord(handle, 5), 0x1234);
    EXPECT_EQ(readWord(handle, 63), 0xBEEF);
    const std::string now = readBytes("bm.bin");
    ASSERT_EQ(now.size(), 128u);
    EXPECT_EQ(now.substr(10, 2), "\x34\x12") << "little-endian words";
    // Written as a new file and renamed over the old one: the old file never saw a change.
    EXPECT_EQ(readBytes("old.bin"), original);
    EXPECT_FALSE(fs::exists(path("bm.bin.tmp")));
}

TEST_F(SimulatedDevice, ProgrammedTextsAreWhatTheDeviceEnumeratesWithNextTime) {
    copyExample("ft232bm.bin", "bm.bin");
    writeDevices(kBm);
    FT_HANDLE handle = open();
    Outputs record;
    ASSERT_EQ(FT_EE_Read(handle, &record.record), FT_OK);
    std::strcpy(record.description, "Bench adapter");
    std::strcpy(record.serialNumber, "KB000042");
    ASSERT_EQ(FT_EE_Program(handle, &record.record), FT_OK);
    ASSERT_EQ(FT_Close(handle), FT_OK);

    EXPECT_EQ(listed(0), "Bench adapter");
    EXPECT_EQ(listed(0, true), "KB000042");
}

TEST_F(SimulatedDevice, DemoCopiesLeaveTheExamplesUntouched) {
    const fs::path examples = KESTROM_EXAMPLES_DIR;
    auto snapshot = [&] {
        std::map<std::string, std::string> files;
        for (const auto &entry : fs::directory_iterator(examples)) {
            files[entry.path().filename()] = readBytes(entry.path());
        }
        return files;
    };
    const auto before = snapshot();

    const std::string script = (examples.parent_path() / "scripts" / "demo-devices.sh").string();
    FILE *output = popen((script + " '" + path("demo").string() + "'").c_str(), "r");
    ASSERT_NE(output, nullptr);
    char printed[4096] = {};
    const bool gotLine = std::fgets(printed, sizeof printed, output) != nullptr;
    ASSERT_EQ(pclose(output), 0);
    ASSERT_TRUE(gotLine);
    printed[std::strcspn(printed, "\n")] = '\0';
    EXPECT_TRUE(fs::equivalent(printed, path("demo/ft232bm.ini")));

    useDevicesFile("demo/ft232bm.ini");
    FT_HANDLE handle = open();
    EXPECT_EQ(FT_EraseEE(handle), FT_OK);
    EXPECT_EQ(FT_Close(handle), FT_OK);
    useDevicesFile("demo/blank-ft232bm.ini");
    handle = open();
    EXPECT_EQ(FT_WriteEE(handle, 1, 0x0403), FT_OK);
    EXPECT_EQ(FT_Close(handle), FT_OK);

    EXPECT_EQ(snapshot(), before);
    EXPECT_EQ(readBytes("demo/ft232bm.bin"), std::string(128, '\xFF'));
    EXPECT_TRUE(fs::exists(path("demo/blank-ft232bm.bin")));
}

struct WrapCase {
    int words;
    uint32_t alias;
    uint32_t word;  // the word the alias reaches
};

class AddressWrap : public SimulatedDevice, public ::testing::WithParamInterface<WrapCase> {};

TEST_P(AddressWrap, TheUpperAddressBitIsIgnored) {
    const auto [words, alias, word] = GetParam();
    writeDevices(kBm + "eeprom_words = " + std::to_string(words) + "\n");
    FT_HANDLE handle = open();
    ASSERT_EQ(FT_WriteEE(handle, alias, 0x5AA5), FT_OK);
    EXPECT_EQ(readWord(handle, alias), 0x5AA5);
    for (uint32_t offset = 0; offset < static_cast<uint32_t>(words); ++offset) {
        EXPECT_EQ(readWord(handle, offset), offset == word ? 0x5AA5 : 0xFFFF) << "word " << offset;
    }
}

INSTANTIATE_TEST_SUITE_P(Eeproms, AddressWrap,
                         ::testing::Values(WrapCase{64, 64, 0}, WrapCase{64, 64 + 9, 9},
                                           WrapCase{64, 127, 63}, WrapCase{128, 128 + 72, 72},
                                           WrapCase{128, 100, 100}),
                         [](const auto &info) {
                             const WrapCase &c = info.param;
                             return "Words" + std::to_string(c.words) + "At" + std::to_string(c.alias);
                         });

TEST_F(SimulatedDevice, EditingTheDevicesFileUnplugsAndReplugs) {
    writeDevices("[first]\nchip = BM\n");
    EXPECT_EQ(typeOf(0), uint32_t{FT_DEVICE_BM});

    writeDevices("[first]\nchip = BM\npresent = 0\n");
    EXPECT_EQ(deviceCount(), 0u);
    FT_HANDLE handle = nullptr;
    EXPECT_EQ(FT_Open(0, &handle), FT_DEVICE_NOT_FOUND);
    char buffer[64] = {};
    EXPECT_EQ(FT_ListDevices(nullptr, buffer, FT_LIST_BY_INDEX | FT_OPEN_BY_DESCRIPTION),
              FT_DEVICE_NOT_FOUND);

    writeDevices("[first]\nchip = 232R\n");
    EXPECT_EQ(typeOf(0), uint32_t{FT_DEVICE_232R});

    // Indices count present devices, so the next one moves up to index 0.
    writeDevices("[first]\nchip = 232R\npresent = 0\n[second]\nchip = 2232C\n");
    EXPECT_EQ(deviceCount(), 1u);
    EXPECT_EQ(typeOf(0), uint32_t{FT_DEVICE_2232C});
    EXPECT_EQ(FT_Open(1, &handle), FT_DEVICE_NOT_FOUND);
}

TEST_F(SimulatedDevice, DevicesAreListedInFileOrder) {
    // The names sort the other way round, so listing by name would swap them.
    writeDevices(
        "[zulu]\nchip = BM\nserial = Z1\ndescription = first\n"
        "[alpha]\nchip = 2232C\nserial = A2\ndescription = second\n");
    EXPECT_EQ(deviceCount(), 2u);
    EXPECT_EQ(listed(0), "first");
    EXPECT_EQ(listed(1), "second");
    EXPECT_EQ(listed(1, true), "A2");
    EXPECT_EQ(typeOf(1), uint32_t{FT_DEVICE_2232C});
}

TEST_F(SimulatedDevice, NoReadableDevicesFileMeansNoDevices) {
    fs::create_directory(path("folder.ini"));
    writeBytes("garbage.ini", "no section\n=\n" + std::string(500, 'x') + "\n[\n\x01\xFF=1\n");
    for (const char *file : {"missing.ini", "folder.ini", "garbage.ini"}) {
        SCOPED_TRACE(file);
        useDevicesFile(file);
        EXPECT_EQ(deviceCount(), 0u);
        FT_HANDLE handle = nullptr;
        EXPECT_EQ(FT_Open(0, &handle), FT_DEVICE_NOT_FOUND);
    }
}

struct FailCase {
    const char *call;
    FT_STATUS status;
    FT_STATUS (*run)(FT_HANDLE, Outputs &);
};

class InjectedFailure : public SimulatedDevice, public ::testing::WithParamInterface<FailCase> {};

TEST_P(InjectedFailure, AnswersTheStatusAndDoesNoWork) {
    const FailCase &c = GetParam();
    copyExample("ft232bm.bin", "bm.bin");
    writeDevices(kBm + "fail." + c.call + " = " + std::to_string(c.status) + "\n");
    const std::string image = readBytes("bm.bin");
    FT_HANDLE handle = std::strcmp(c.call, "FT_Open") == 0 ? nullptr : open();

    Outputs out;
    EXPECT_EQ(c.run(handle, out), c.status);
    EXPECT_TRUE(out.untouched());
    EXPECT_EQ(readBytes("bm.bin"), image);
}

INSTANTIATE_TEST_SUITE_P(
    EveryCall, InjectedFailure,
    ::testing::Values(
        FailCase{"FT_Open", 3, [](FT_HANDLE, Outputs &o) { return FT_Open(0, &o.handle); }},
        FailCase{"FT_Close", 4, [](FT_HANDLE h, Outputs &) { return FT_Close(h); }},
        FailCase{"FT_ListDevices", 18,
                 [](FT_HANDLE, Outputs &o) {
                     return FT_ListDevices(nullptr, o.listed, FT_LIST_BY_INDEX | FT_OPEN_BY_DESCRIPTION);
                 }},
        FailCase{"FT_GetDeviceInfo", 4,
                 [](FT_HANDLE h, Outputs &o) {
                     return FT_GetDeviceInfo(h, &o.type, &o.id, o.infoSerial, o.infoDescription, nullptr);
                 }},
        FailCase{"FT_EE_Read", 11, [](FT_HANDLE h, Outputs &o) { return FT_EE_Read(h, &o.record); }},
        FailCase{"FT_EE_Program", 12, [](FT_HANDLE h, Outputs &o) { return FT_EE_Program(h, &o.record); }},
        FailCase{"FT_EraseEE", 13, [](FT_HANDLE h, Outputs &) { return FT_EraseEE(h); }},
        FailCase{"FT_EE_UASize", 17, [](FT_HANDLE h, Outputs &o) { return FT_EE_UASize(h, &o.size); }},
        FailCase{"FT_ReadEE", 11, [](FT_HANDLE h, Outputs &o) { return FT_ReadEE(h, 0, &o.word); }},
        FailCase{"FT_WriteEE", 16, [](FT_HANDLE h, Outputs &) { return FT_WriteEE(h, 0, 0x1234); }}),
    [](const auto &info) { return std::string(info.param.call); });

TEST_F(SimulatedDevice, FailingCloseStillReleasesTheHandle) {
    writeDevices(kBm + "fail.FT_Close = 4\n");
    FT_HANDLE handle = open();
    EXPECT_EQ(FT_Close(handle), 4u);
    uint16_t word = 0;
    EXPECT_EQ(FT_ReadEE(handle, 0, &word), FT_INVALID_HANDLE);
    open();
}

TEST_F(SimulatedDevice, FailEntriesOfStatusZeroOrNoNumberFailNothing) {
    writeDevices(kBm + "fail.FT_WriteEE = 0\nfail.FT_ReadEE = often\nfail.FT_EraseEE = 0x0\n");
    FT_HANDLE handle = open();
    EXPECT_EQ(FT_WriteEE(handle, 2, 0x1234), FT_OK);
    EXPECT_EQ(readWord(handle, 2), 0x1234);
    EXPECT_EQ(FT_EraseEE(handle), FT_OK);
}

struct EraseCase {
    const char *chip;
    const char *example;
    int words;
    bool erasable;
};

class Erase : public SimulatedDevice, public ::testing::WithParamInterface<EraseCase> {};

TEST_P(Erase, BlanksEveryWordExceptOnTheFT232R) {
    const EraseCase &c = GetParam();
    copyExample(c.example, "dev.bin");
    writeDevices(std::string("[dev]\nchip = ") + c.chip +
                 "\neeprom = dev.bin\neeprom_words = " + std::to_string(c.words) + "\n");
    const std::string before = readBytes("dev.bin");
    FT_HANDLE handle = open();
    ASSERT_EQ(FT_EraseEE(handle), FT_OK);
    EXPECT_EQ(readBytes("dev.bin"), c.erasable ? std::string(before.size(), '\xFF') : before);
    EXPECT_EQ(readWord(handle, 1), c.erasable ? 0xFFFF : 0x0403);
}

INSTANTIATE_TEST_SUITE_P(Chips, Erase,
                         ::testing::Values(EraseCase{"AM", "ft8u232am.bin", 64, true},
                                           EraseCase{"BM", "ft232bm.bin", 64, true},
                                           EraseCase{"2232C", "ft2232c.bin", 128, true},
                                           EraseCase{"232R", "ft232r.bin", 64, false}),
                         [](const auto &info) { return std::string("FT") + info.param.chip; });

struct IdentityCase {
    const char *name;
    const char *chip;
    const char *image;  // an example image, or "" for none (blank)
    const char *keys;
    uint32_t id;
    const char *serial;
    const char *description;
};

class Identity : public SimulatedDevice, public ::testing::WithParamInterface<IdentityCase> {};

TEST_P(Identity, ConfiguredElseFromAValidImageElseTheChipDefault) {
    const IdentityCase &c = GetParam();
    if (*c.image != '\0') copyExample(c.image, "dev.bin");
    if (std::strcmp(c.name, "BadChecksum") == 0) {
        std::string bytes = readBytes("dev.bin");
        bytes[4] ^= 1;
        writeBytes("dev.bin", bytes);
    }
    const char *words = std::strcmp(c.chip, "2232C") == 0 ? "128" : "64";
    writeDevices(std::string("[dev]\nchip = ") + c.chip + "\neeprom = dev.bin\neeprom_words = " + words +
                 "\n" + c.keys);

    EXPECT_EQ(listed(0), c.description);
    EXPECT_EQ(listed(0, true), c.serial);
    uint32_t type = 0, id = 0;
    char serial[16] = {}, description[64] = {};
    ASSERT_EQ(FT_GetDeviceInfo(open(), &type, &id, serial, description, nullptr), FT_OK);
    EXPECT_EQ(id, c.id);
    EXPECT_STREQ(serial, c.serial);
    EXPECT_STREQ(description, c.description);
}

INSTANTIATE_TEST_SUITE_P(
    Sources, Identity,
    ::testing::Values(
        IdentityCase{"Configured", "BM", "ft232bm.bin",
                     "id = 0x12345678\nserial = CFG1\ndescription = Mine\n", 0x12345678, "CFG1", "Mine"},
        IdentityCase{"SerialOnly", "BM", "ft232bm.bin", "serial = CFG2 ; comment\n", 0x04036001, "CFG2",
                     "USB FTDI port"},
        IdentityCase{"Image", "2232C", "ft2232c.bin", "", 0x04036010, "QV000002", "USB FTDI dual port"},
        IdentityCase{"UnreadableId", "BM", "ft232bm.bin", "id = 0x0403600G\n", 0x04036001, "QV000001",
                     "USB FTDI port"},
        IdentityCase{"Blank", "BM", "", "", 0x04036001, "", "USB <-> Serial"},
        IdentityCase{"BadChecksum", "2232C", "ft2232c.bin", "", 0x04036010, "", "Dual RS232"}),
    [](const auto &info) { return std::string(info.param.name); });

struct ConfigCase {
    const char *keys;
    uint32_t type;
    uint32_t words;
};

class OddConfiguration : public SimulatedDevice, public ::testing::WithParamInterface<ConfigCase> {};

TEST_P(OddConfiguration, FallsBackToSensibleValues) {
    const ConfigCase &c = GetParam();
    SCOPED_TRACE(c.keys);
    writeDevices(std::string("[dev]\n") + c.keys + "\n");
    EXPECT_EQ(typeOf(0), c.type);
    EXPECT_EQ(wordsOf(open()), c.words);
}

INSTANTIATE_TEST_SUITE_P(Values, OddConfiguration,
                         ::testing::Values(ConfigCase{"chip = banana", FT_DEVICE_UNKNOWN, 64},
                                           ConfigCase{"present = 1", FT_DEVICE_UNKNOWN, 64},
                                           ConfigCase{"CHIP = 2232c ; a comment", FT_DEVICE_2232C, 64},
                                           ConfigCase{"chip = 6\neeprom_words = 128", 6, 128},
                                           ConfigCase{"chip = BM\neeprom_words = 100", FT_DEVICE_BM, 64},
                                           ConfigCase{"chip = 232R\neeprom_words = 128", FT_DEVICE_232R, 64},
                                           ConfigCase{"chip = AM\npresent = maybe", FT_DEVICE_AM, 64}));

TEST_F(SimulatedDevice, WithoutAnEepromKeyTheImageLivesBesideTheDevicesFile) {
    writeDevices("[my device]\nchip = BM\n");
    FT_HANDLE handle = open();
    ASSERT_EQ(FT_WriteEE(handle, 3, 0xCAFE), FT_OK);
    FT_Close(handle);
    EXPECT_EQ(readBytes("devices-my_device.bin").substr(6, 2), "\xFE\xCA");
    EXPECT_EQ(readWord(open(), 3), 0xCAFE);
}

TEST_F(SimulatedDevice, FileTroubleIsReportedAndChangesNothing) {
    copyExample("ft232bm.bin", "bm.bin");
    writeDevices(kBm);
    const std::string image = readBytes("bm.bin");
    FT_HANDLE handle = open();
    fs::create_directory(path("bm.bin.tmp"));  // the new image has nowhere to go
    EXPECT_EQ(FT_WriteEE(handle, 5, 0x1234), FT_EEPROM_WRITE_FAILED);
    EXPECT_EQ(FT_EraseEE(handle), FT_EEPROM_ERASE_FAILED);
    EXPECT_EQ(readWord(handle, 5), 0x0008);
    EXPECT_EQ(readBytes("bm.bin"), image);

    // An image that cannot be read: the device is listed but does not open.
    writeDevices("[bm]\nchip = BM\neeprom = bm.bin.tmp\n");
    EXPECT_EQ(deviceCount(), 1u);
    FT_HANDLE none = nullptr;
    EXPECT_EQ(FT_Open(0, &none), FT_DEVICE_NOT_OPENED);
}
