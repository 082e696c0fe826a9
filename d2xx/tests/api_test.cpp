// The EEPROM calls of libftd2xx.so end to end: record in, image out, and back.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "ftd2xx.h"
#include "sim_fixture.h"

namespace {

// A record as a caller lays it out, with text buffers of the sizes the driver assumes.
struct Record {
    char manufacturer[36] = {};
    char manufacturerId[20] = {};
    char description[68] = {};
    char serialNumber[20] = {};
    FT_PROGRAM_DATA data{};

    explicit Record(uint32_t version = 0) {
        data.Signature2 = 0xFFFFFFFF;
        data.Version = version;
        data.Manufacturer = manufacturer;
        data.ManufacturerId = manufacturerId;
        data.Description = description;
        data.SerialNumber = serialNumber;
    }
    void setTexts(const char *m, const char *d, const char *s) {
        std::strncpy(manufacturer, m, sizeof manufacturer - 1);
        std::strncpy(description, d, sizeof description - 1);
        std::strncpy(serialNumber, s, sizeof serialNumber - 1);
    }
};

class DriverApi : public SimFixture {
protected:
    void device(const std::string &chip, const std::string &extra = "", int words = 64) {
        writeDevices("[dev]\nchip = " + chip + "\neeprom = dev.bin\neeprom_words = " + std::to_string(words) +
                     "\n" + extra);
    }
    FT_STATUS program(Record &record) {
        FT_HANDLE handle = open();
        const FT_STATUS status = FT_EE_Program(handle, &record.data);
        FT_Close(handle);
        return status;
    }
    FT_STATUS read(Record &record) {
        FT_HANDLE handle = open();
        const FT_STATUS status = FT_EE_Read(handle, &record.data);
        FT_Close(handle);
        return status;
    }
};

}  // namespace

TEST_F(DriverApi, ProgramThenReadGivesTheRecordBackOnEveryChip) {
    for (const char *chip : {"AM", "BM", "2232C", "232R"}) {
        SCOPED_TRACE(chip);
        device(chip);
        Record in(2);
        in.setTexts("Pelmora", "Převodník USB", "PX12345");
        in.data.VendorId = 0x0A0F, in.data.ProductId = 0x1D00, in.data.MaxPower = 500;
        in.data.SelfPowered = 1, in.data.PnP = 0;
        ASSERT_EQ(FT_OK, program(in));

        Record out;
        ASSERT_EQ(FT_OK, read(out));
        EXPECT_EQ(0x0A0F, out.data.VendorId);
        EXPECT_EQ(0x1D00, out.data.ProductId);
        EXPECT_EQ(500, out.data.MaxPower);
        EXPECT_EQ(1, out.data.SelfPowered);
        EXPECT_EQ(0, out.data.PnP);
        EXPECT_STREQ("Pelmora", out.manufacturer);
        EXPECT_STREQ("Převodník USB", out.description);
        EXPECT_STREQ("PX12345", out.serialNumber);
        EXPECT_STREQ("PX", out.manufacturerId) << "the first two characters of the serial number";
        EXPECT_EQ(0u, out.data.Signature1) << "the header is the caller's";
        EXPECT_EQ(0u, out.data.Version);
    }
}

TEST_F(DriverApi, FieldsOfAnotherChipReadZero) {
    device("2232C");
    Record in(1);
    in.setTexts("M", "D", "S");
    in.data.Rev4 = 1, in.data.IsoIn = 1, in.data.SerNumEnable = 1, in.data.USBVersion = 0x0200;
    in.data.SerNumEnable5 = 1, in.data.IFBIsFifo = 1, in.data.UseExtOsc = 1, in.data.Cbus0 = 7;
    ASSERT_EQ(FT_OK, program(in));
    Record out;
    ASSERT_EQ(FT_OK, read(out));
    EXPECT_EQ(1, out.data.Rev5) << "bcdDevice is the connected chip's";
    EXPECT_EQ(1, out.data.SerNumEnable5);
    EXPECT_EQ(1, out.data.IFBIsFifo);
    EXPECT_EQ(0, out.data.Rev4 + out.data.IsoIn + out.data.SerNumEnable + out.data.USBVersion);
    EXPECT_EQ(0, out.data.UseExtOsc + out.data.Cbus0);
}

TEST_F(DriverApi, VersionZeroProgramKeepsTheExtensionsTheEepromHolds) {
    struct Case {
        const char *chip;
        void (*setExtension)(FT_PROGRAM_DATA &);
        bool (*extensionKept)(const FT_PROGRAM_DATA &);
    };
    const Case cases[] = {
        {"2232C", [](FT_PROGRAM_DATA &d) { d.IFAIsFastSer = 1, d.BIsVCP = 1, d.USBVersion5 = 0x0110; },
         [](const FT_PROGRAM_DATA &d) { return d.IFAIsFastSer == 1 && d.BIsVCP == 1 && d.USBVersion5 == 0x0110; }},
        {"232R", [](FT_PROGRAM_DATA &d) { d.InvertRI = 1, d.Cbus4 = 9, d.HighDriveIOs = 1; },
         [](const FT_PROGRAM_DATA &d) { return d.InvertRI == 1 && d.Cbus4 == 9 && d.HighDriveIOs == 1; }},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.chip);
        device(c.chip);
        Record full(2);
        full.setTexts("M", "D", "S1");
        c.setExtension(full.data);
        ASSERT_EQ(FT_OK, program(full));

        Record base(0);  // extension fields left zero: they must not be taken
        base.setTexts("New", "Name", "S2");
        base.data.VendorId = 0x1234;
        ASSERT_EQ(FT_OK, program(base));

        Record out;
        ASSERT_EQ(FT_OK, read(out));
        EXPECT_EQ(0x1234, out.data.VendorId);
        EXPECT_STREQ("Name", out.description);
        EXPECT_TRUE(c.extensionKept(out.data));
    }
}

TEST_F(DriverApi, RefusedRecordsLeaveTheEepromAsItWas) {
    copyExample("ft232bm.ini", "devices.ini");
    copyExample("ft232bm.bin");
    const std::string before = readBytes("ft232bm.bin");

    Record tooLong;
    tooLong.setTexts(std::string(35, 'M').c_str(), std::string(67, 'D').c_str(), "S");
    Record badSignature;
    badSignature.setTexts("M", "D", "S");
    badSignature.data.Signature2 = 0;
    Record nullText;
    nullText.setTexts("M", "D", "S");
    nullText.data.Description = nullptr;
    Record badUtf8;
    badUtf8.setTexts("M\xFF", "D", "S");
    for (Record *record : {&tooLong, &badSignature, &nullText, &badUtf8}) {
        EXPECT_EQ(FT_INVALID_PARAMETER, program(*record));
    }
    EXPECT_EQ(before, readBytes("ft232bm.bin"));
}

TEST_F(DriverApi, BlankAndUnknownChipsAreReportedNotGuessed) {
    device("BM");
    FT_HANDLE handle = open();
    Record record;
    std::strcpy(record.manufacturer, "untouched");
    EXPECT_EQ(FT_EEPROM_NOT_PROGRAMMED, FT_EE_Read(handle, &record.data));
    EXPECT_STREQ("untouched", record.manufacturer);
    uint32_t userArea = 77;
    EXPECT_EQ(FT_EEPROM_NOT_PROGRAMMED, FT_EE_UASize(handle, &userArea));
    FT_Close(handle);

    for (const char *chip : {"100AX", "UNKNOWN", "7"}) {
        SCOPED_TRACE(chip);
        device(chip);
        handle = open();
        EXPECT_EQ(FT_NOT_SUPPORTED, FT_EE_Read(handle, &record.data));
        EXPECT_EQ(FT_NOT_SUPPORTED, FT_EE_Program(handle, &record.data));
        EXPECT_EQ(FT_NOT_SUPPORTED, FT_EE_UASize(handle, &userArea));
        uint16_t word = 0;
        EXPECT_EQ(FT_OK, FT_ReadEE(handle, 0, &word)) << "raw words still work";
        FT_Close(handle);
    }
}

TEST_F(DriverApi, EraseThenProgramOnEveryChip) {
    for (const char *chip : {"BM", "2232C", "232R"}) {
        SCOPED_TRACE(chip);
        device(chip, "", 128);
        Record record(2);
        record.setTexts("M", "D", "S");
        ASSERT_EQ(FT_OK, program(record));
        FT_HANDLE handle = open();
        ASSERT_EQ(FT_OK, FT_EraseEE(handle));
        const bool erasable = std::string(chip) != "232R";
        EXPECT_EQ(erasable ? 0xFFFF : 0x0600, readWord(handle, 3));
        EXPECT_EQ(FT_OK, FT_EE_Program(handle, &record.data));
        EXPECT_NE(0xFFFF, readWord(handle, 3));
        FT_Close(handle);
    }
}

TEST_F(DriverApi, HandlesAndArgumentsAreChecked) {
    copyExample("two-devices.ini", "devices.ini");
    copyAllExamples();
    FT_HANDLE handle = open();
    ASSERT_EQ(FT_OK, FT_Close(handle));
    uint16_t word = 0;
    EXPECT_EQ(FT_INVALID_HANDLE, FT_Close(handle)) << "closed twice";
    EXPECT_EQ(FT_INVALID_HANDLE, FT_ReadEE(handle, 0, &word)) << "used after close";
    EXPECT_EQ(FT_INVALID_HANDLE, FT_EraseEE(nullptr));
    EXPECT_EQ(FT_INVALID_PARAMETER, FT_Open(0, nullptr));
    EXPECT_EQ(FT_DEVICE_NOT_FOUND, FT_Open(-1, &handle));
    EXPECT_EQ(FT_DEVICE_NOT_FOUND, FT_Open(2, &handle));

    handle = open();
    EXPECT_EQ(FT_INVALID_PARAMETER, FT_ReadEE(handle, 0, nullptr));
    EXPECT_EQ(FT_INVALID_PARAMETER, FT_ReadEE(handle, 256, &word)) << "past any EEPROM address";
    EXPECT_EQ(FT_INVALID_PARAMETER, FT_WriteEE(handle, 1000, 0));
    EXPECT_EQ(FT_INVALID_PARAMETER, FT_EE_Read(handle, nullptr));
    EXPECT_EQ(FT_INVALID_PARAMETER, FT_EE_UASize(handle, nullptr));
    uint32_t type = 99, id = 0;
    EXPECT_EQ(FT_OK, FT_GetDeviceInfo(handle, &type, &id, nullptr, nullptr, nullptr)) << "texts are optional";
    EXPECT_EQ(uint32_t{FT_DEVICE_BM}, type);

    char buffer[64];
    EXPECT_EQ(FT_INVALID_PARAMETER, FT_ListDevices(nullptr, nullptr, FT_LIST_NUMBER_ONLY));
    EXPECT_EQ(FT_INVALID_PARAMETER, FT_ListDevices(nullptr, buffer, FT_LIST_BY_INDEX));
    EXPECT_EQ(FT_INVALID_PARAMETER, FT_ListDevices(nullptr, nullptr, FT_LIST_BY_INDEX | FT_OPEN_BY_DESCRIPTION));
    EXPECT_EQ(FT_DEVICE_NOT_FOUND,
              FT_ListDevices(reinterpret_cast<void *>(uintptr_t{5}), buffer, FT_LIST_BY_INDEX | FT_OPEN_BY_DESCRIPTION));

    char first[64] = {}, second[64] = {};
    char *buffers[] = {first, second, nullptr};
    uint32_t count = 0;
    ASSERT_EQ(FT_OK, FT_ListDevices(buffers, &count, FT_LIST_ALL | FT_OPEN_BY_DESCRIPTION));
    EXPECT_EQ(2u, count);
    EXPECT_EQ(listed(0), first);
    EXPECT_EQ(listed(1), second);
    uint32_t infoCount = 0;
    EXPECT_EQ(FT_OK, FT_CreateDeviceInfoList(&infoCount));
    EXPECT_EQ(2u, infoCount);
}
