// The simulated devices file through the D2XX calls: images that last, listing
// order, plugging by editing the file, identity, chip and EEPROM size, the wrap of
// the upper address bits, file trouble.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <tuple>

#include "ftd2xx.h"
#include "sim_fixture.h"

namespace fs = std::filesystem;

namespace {

class SimulatedDevice : public SimFixture {
protected:
    uint32_t typeOf(int index) {
        uint32_t type = 0xDEAD;
        EXPECT_EQ(FT_GetDeviceInfo(open(index), &type, nullptr, nullptr, nullptr, nullptr), FT_OK);
        closeAll();
        return type;
    }
};

}  // namespace

TEST_F(SimulatedDevice, WhatIsWrittenIsThereOnTheNextRun) {
    // Without an eeprom key the image lives beside the devices file.
    writeDevices("[my device]\nchip = BM\n");
    FT_HANDLE handle = open();
    ASSERT_EQ(FT_WriteEE(handle, 5, 0x1234), FT_OK);
    ASSERT_EQ(FT_Close(handle), FT_OK);
    const std::string first = readBytes("devices-my_device.bin");
    ASSERT_EQ(first.size(), 128u);
    EXPECT_EQ(first.substr(10, 2), "\x34\x12") << "little-endian words";

    // Written as a new file renamed over the old one: the old file never sees a change.
    fs::create_hard_link(path("devices-my_device.bin"), path("old.bin"));
    handle = open();
    EXPECT_EQ(readWord(handle, 5), 0x1234);
    ASSERT_EQ(FT_WriteEE(handle, 63, 0xBEEF), FT_OK);
    ASSERT_EQ(FT_Close(handle), FT_OK);
    EXPECT_EQ(readWord(open(), 63), 0xBEEF);
    EXPECT_EQ(readBytes("old.bin"), first);
    EXPECT_FALSE(fs::exists(path("devices-my_device.bin.tmp")));
}

TEST_F(SimulatedDevice, FileTroubleIsReportedAndChangesNothing) {
    copyExample("ft232bm.bin", "bm.bin");
    writeDevices("[bm]\nchip = BM\neeprom = bm.bin\n");
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

    // No readable devices file: no devices.
    writeBytes("garbage.ini", "no section\n=\n" + std::string(500, 'x') + "\n[\n\x01\xFF=1\n");
    for (const char *file : {"missing.ini", "bm.bin.tmp", "garbage.ini"}) {
        SCOPED_TRACE(file);
        useDevicesFile(file);
        EXPECT_EQ(deviceCount(), 0u);
        EXPECT_EQ(FT_Open(0, &none), FT_DEVICE_NOT_FOUND);
    }
}

TEST_F(SimulatedDevice, ListedInFileOrderAndPluggedByEditingTheFile) {
    // The names sort the other way round, so listing by name would swap them.
    writeDevices(
        "[zulu]\nchip = BM\nserial = Z1\ndescription = first\n"
        "[alpha]\nchip = 2232C\nserial = A2\ndescription = second\n");
    EXPECT_EQ(deviceCount(), 2u);
    EXPECT_EQ(listed(0), "first");
    EXPECT_EQ(listed(1), "second");
    EXPECT_EQ(listed(1, true), "A2");
    EXPECT_EQ(typeOf(1), uint32_t{FT_DEVICE_2232C});
    char first[64] = {}, second[64] = {};
    char *buffers[] = {first, second, nullptr};
    uint32_t count = 0;
    ASSERT_EQ(FT_ListDevices(buffers, &count, FT_LIST_ALL | FT_OPEN_BY_SERIAL_NUMBER), FT_OK);
    EXPECT_EQ(std::make_tuple(count, std::string(first), std::string(second)),
              std::make_tuple(2u, "Z1", "A2"));
    EXPECT_EQ(FT_CreateDeviceInfoList(&count), FT_OK);
    EXPECT_EQ(count, 2u);

    // Indices count present devices, so unplugging the first moves the next one up.
    writeDevices("[zulu]\nchip = BM\npresent = 0\n[alpha]\nchip = 2232C\n");
    EXPECT_EQ(deviceCount(), 1u);
    EXPECT_EQ(typeOf(0), uint32_t{FT_DEVICE_2232C});
    FT_HANDLE handle = nullptr;
    EXPECT_EQ(FT_Open(1, &handle), FT_DEVICE_NOT_FOUND);

    writeDevices("[zulu]\nchip = BM\npresent = 0\n");
    EXPECT_EQ(deviceCount(), 0u);
    EXPECT_EQ(FT_Open(0, &handle), FT_DEVICE_NOT_FOUND);
    char buffer[64] = {};
    EXPECT_EQ(FT_ListDevices(nullptr, buffer, FT_LIST_BY_INDEX | FT_OPEN_BY_DESCRIPTION),
              FT_DEVICE_NOT_FOUND);

    writeDevices("[zulu]\nchip = 232R\n");
    EXPECT_EQ(typeOf(0), uint32_t{FT_DEVICE_232R});
}

// Switches as people write them, in any case, and numbers in decimal or with 0x or 0X.
TEST_F(SimulatedDevice, SwitchWordsAndNumbersAsPeopleWriteThem) {
    for (const auto &[word, listed] : {std::pair{"0", 0u}, {"no", 0u}, {"False", 0u}, {"OFF", 0u}, {"1", 1u},
                                       {"Yes", 1u}, {"true", 1u}, {"on", 1u}}) {
        writeDevices(std::string("[dev]\nchip = BM\npresent = ") + word + "\n");
        EXPECT_EQ(deviceCount(), listed) << "present = " << word;
    }
    for (const auto &[text, id] : {std::pair{"0x04036010", 0x04036010u}, {"0X0403601a", 0x0403601Au},
                                   {"67330065", 0x04036011u}, {"0x0", 0u}}) {
        writeDevices(std::string("[dev]\nchip = 0X5\nid = ") + text + "\n");
        uint32_t type = 0, value = 1;
        ASSERT_EQ(FT_GetDeviceInfo(open(), &type, &value, nullptr, nullptr, nullptr), FT_OK);
        EXPECT_EQ(value, id) << "id = " << text;
        EXPECT_EQ(type, uint32_t{FT_DEVICE_232R});
        closeAll();
    }
}

TEST_F(SimulatedDevice, IdentityIsConfiguredElseFromAValidImageElseTheChipDefault) {
    const struct {
        const char *image;  // an example image, or "" for none (blank)
        bool spoilChecksum;
        std::string keys;
        uint32_t id;
        std::string serial, description;
    } cases[] = {
        {"ft232bm.bin", false, "chip = BM\nid = 0x12345678\nserial = CFG1\ndescription = Mine", 0x12345678,
         "CFG1", "Mine"},
        {"ft232bm.bin", false, "chip = BM\nserial = CFG2 ; comment", 0x04036001, "CFG2", "USB FTDI port"},
        {"ft2232c.bin", false, "chip = 2232C\neeprom_words = 128", 0x04036010, "QV000002",
         "USB FTDI dual port"},
        {"ft232bm.bin", false, "chip = BM\nid = 0x0403600G", 0x04036001, "QV000001", "USB FTDI port"},
        {"", false, "chip = BM", 0x04036001, "", "USB <-> Serial"},
        {"ft2232c.bin", true, "chip = 2232C\neeprom_words = 128", 0x04036010, "", "Dual RS232"},
        // Cut to the buffers (16 and 64 bytes) at a character boundary.
        {"", false, "chip = AM\nserial = ŽŠ0123456789ABCDEF\ndescription = " + std::string(70, 'd'),
         0x04036001, "ŽŠ0123456789A", std::string(63, 'd')},
    };
    int n = 0;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.keys);
        const std::string image = "dev" + std::to_string(n++) + ".bin";
        if (*c.image != '\0') copyExample(c.image, image);
        if (c.spoilChecksum)
            writeBytes(image, readBytes(image).replace(4, 1, "\x11"));  // PID 6011, old checksum
        writeDevices("[dev]\neeprom = " + image + "\n" + c.keys + "\n");
        EXPECT_EQ(listed(0), c.description);
        EXPECT_EQ(listed(0, true), c.serial);
        uint32_t type = 0, id = 0;
        char serial[16] = {}, description[64] = {};
        ASSERT_EQ(FT_GetDeviceInfo(open(), &type, &id, serial, description, nullptr), FT_OK);
        EXPECT_EQ(id, c.id);
        EXPECT_EQ(serial, c.serial);
        EXPECT_EQ(description, c.description);
        closeAll();
    }
}

// A 93C46 ignores the upper address bit: word 64 + 9 is word 9.
TEST_F(SimulatedDevice, ChipAndEepromSizeFromTheFileAndTheAddressWrap) {
    const struct {
        const char *keys;
        uint32_t type, words;
    } cases[] = {
        {"chip = BM", FT_DEVICE_BM, 64},
        {"chip = BM\neeprom_words = 128", FT_DEVICE_BM, 128},
        {"chip = 2232C\neeprom_words = 256", FT_DEVICE_2232C, 256},
        {"CHIP = 2232c ; a comment", FT_DEVICE_2232C, 64},
        {"chip = 232R\neeprom_words = 128", FT_DEVICE_232R, 64},
        {"chip = BM\neeprom_words = 100", FT_DEVICE_BM, 64},
        {"chip = AM\npresent = maybe", FT_DEVICE_AM, 64},
        {"chip = banana", FT_DEVICE_UNKNOWN, 64},
        {"chip = 4232h\neeprom_words = 128", FT_DEVICE_4232H, 128},
        {"chip = X\neeprom_words = 256", FT_DEVICE_X_SERIES, 128},
        {"chip = 10\neeprom_words = 128", 10, 128},
    };
    int n = 0;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.keys);
        writeDevices("[dev]\neeprom = dev" + std::to_string(n++) + ".bin\n" + c.keys + "\n");
        EXPECT_EQ(typeOf(0), c.type);
        FT_HANDLE handle = open();
        const bool known = c.type != FT_DEVICE_UNKNOWN && c.type <= FT_DEVICE_X_SERIES;
        uint32_t bytes = 0;
        EXPECT_EQ(FT_EE_UASize(handle, &bytes), known ? FT_EEPROM_NOT_PROGRAMMED : FT_NOT_SUPPORTED);
        ASSERT_EQ(FT_WriteEE(handle, (c.words + 9) % 256, 0x5AA5), FT_OK);
        for (uint32_t offset = 0; offset < 256; ++offset) {
            EXPECT_EQ(readWord(handle, offset), offset % c.words == 9 ? 0x5AA5 : 0xFFFF) << "word " << offset;
        }
        closeAll();
    }
}

TEST_F(SimulatedDevice, DemoCopiesLeaveTheExamplesUntouched) {
    const fs::path examples = KESTROM_EXAMPLES_DIR;
    const auto snapshot = [&] {
        std::map<fs::path, std::string> files;
        for (const auto &entry : fs::directory_iterator(examples))
            files[entry.path()] = readBytes(entry.path());
        return files;
    };
    const auto before = snapshot();
    const std::string script = (examples.parent_path() / "scripts" / "demo-devices.sh").string();
    const std::string command =
        script + " '" + path("demo").string() + "' > '" + path("printed").string() + "'";
    ASSERT_EQ(std::system(command.c_str()), 0);
    const std::string printed = readBytes("printed");
    useDevicesFile(printed.substr(0, printed.find('\n')));  // the FT232BM's devices file in the copy
    EXPECT_EQ(FT_EraseEE(open()), FT_OK);
    useDevicesFile("demo/blank-ft232bm.ini");
    EXPECT_EQ(FT_WriteEE(open(), 1, 0x0403), FT_OK);
    EXPECT_EQ(snapshot(), before);
    EXPECT_EQ(readBytes("demo/ft232bm.bin"), std::string(128, '\xFF'));
    EXPECT_TRUE(fs::exists(path("demo/blank-ft232bm.bin")));
}
