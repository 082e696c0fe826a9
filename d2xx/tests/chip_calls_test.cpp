// The FT2232H, FT4232H, FT232H and X series through the D2XX calls on simulated
// devices: the record's fields programmed without losing the chip's own settings,
// FT_EEPROM_Read/FT_EEPROM_Program with every field of each chip's structure, values
// a chip does not take refused before anything is written, the X series' factory
// area never written.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "chip_structures.h"
#include "ftd2xx.h"
#include "sim_fixture.h"

using namespace kestrom::d2xx;

namespace {

struct Chip {
    const char *name;  // as the devices file names it
    uint32_t type;
    unsigned words;
    const char *blankProduct = nullptr;  // the product string a blank chip enumerates with
};
const Chip kChips[] = {{"2232H", FT_DEVICE_2232H, 256, "Dual RS232-HS"},
                       {"4232H", FT_DEVICE_4232H, 128, "Quad RS232-HS"},
                       {"232H", FT_DEVICE_232H, 64, "Single RS232-HS"},
                       {"X", FT_DEVICE_X_SERIES, 128, "FT230X Basic UART"}};

constexpr size_t kHeaderFields = 7;  // VendorId ... PullDownEnable

// A value for each of the chip's own fields that differs from what an unprogrammed
// chip holds, and that the chip takes: one mode per channel.
uint32_t changedValue(const ChipField &field) {
    const std::string name = field.name;
    switch (field.kind) {
        case FieldKind::Flag:
            if (name.find("IsFifo") != std::string::npos || name.find("IsFT1248") != std::string::npos)
                return 0;
            return 1;
        case FieldKind::DriveCurrent:
            return FT_DRIVE_CURRENT_12MA;
        case FieldKind::DriverType:
            return FT_DRIVER_TYPE_D2XX;
        case FieldKind::Function:
            return FT_232H_CBUS_PWREN;  // the same number on the X series
        case FieldKind::Number:
            return name == "I2CSlaveAddress" ? 0x42 : 0x00123456;
    }
    return 0;
}

class ChipCalls : public SimFixture {
protected:
    FT_HANDLE plug(const Chip &chip, const std::string &extra = "") {
        writeDevices(std::string("[chip]\nchip = ") + chip.name +
                     "\neeprom = chip.bin\neeprom_words = " + std::to_string(chip.words) + "\n" + extra);
        return open();
    }

    // A chip programmed from its defaults through the record, then its structure as read.
    FT_HANDLE programmed(const Chip &chip, std::vector<unsigned char> &s) {
        FT_HANDLE h = plug(chip);
        char texts[4][80] = {"Pelmora", "", "Bridge", "SN42"};
        FT_PROGRAM_DATA r = record(texts);
        EXPECT_EQ(FT_OK, FT_EE_Program(h, &r));
        s = readStructure(h, chip);
        return h;
    }

    // The chip's structure as FT_EEPROM_Read fills it, texts left out.
    static std::vector<unsigned char> readStructure(FT_HANDLE h, const Chip &chip) {
        std::vector<unsigned char> s = structureOf(chip);
        EXPECT_EQ(FT_OK, FT_EEPROM_Read(h, s.data(), uint32_t(s.size()), nullptr, nullptr, nullptr, nullptr));
        return s;
    }

    static std::vector<unsigned char> structureOf(const Chip &chip) {
        std::vector<unsigned char> s(chipStructureSize(chip.type));
        static_cast<FT_EEPROM_HEADER *>(static_cast<void *>(s.data()))->deviceType = chip.type;
        return s;
    }

    static FT_STATUS program(FT_HANDLE h, std::vector<unsigned char> &s, const char *serial = "SN42") {
        char manufacturer[] = "Pelmora", id[] = "SN", description[] = "Bridge", number[17];
        std::strncpy(number, serial, sizeof number);
        return FT_EEPROM_Program(h, s.data(), uint32_t(s.size()), manufacturer, id, description, number);
    }

    static FT_PROGRAM_DATA record(char (&texts)[4][80]) {
        FT_PROGRAM_DATA r{};
        r.Signature2 = 0xFFFFFFFF, r.Version = 2;
        r.Manufacturer = texts[0], r.ManufacturerId = texts[1], r.Description = texts[2],
        r.SerialNumber = texts[3];
        return r;
    }
};

}  // namespace

TEST_F(ChipCalls, TheRecordsFieldsAreWrittenAndEveryChipSettingIsKept) {
    for (const Chip &chip : kChips) {
        SCOPED_TRACE(chip.name);
        std::filesystem::remove(path("chip.bin"));
        FT_HANDLE h = plug(chip);
        EXPECT_EQ(chip.blankProduct, listed(0));
        // An unprogrammed chip: the record's fields over the chip's defaults.
        char texts[4][80] = {"Pelmora", "", "Bridge", "PB000001"};
        FT_PROGRAM_DATA r = record(texts);
        r.VendorId = 0x1234, r.ProductId = 0x5678, r.MaxPower = 300, r.SelfPowered = 1, r.PnP = 0;
        ASSERT_EQ(FT_OK, FT_EE_Program(h, &r));

        // Every own field changed through the chip's structure.
        std::vector<unsigned char> s = readStructure(h, chip);
        const auto fields = chipFields(chip.type);
        EXPECT_EQ(0x1234u, fieldValue(s.data(), fields[0]));
        EXPECT_EQ(300u, fieldValue(s.data(), fields[3]));
        for (size_t i = kHeaderFields; i < fields.size(); ++i)
            setFieldValue(s.data(), fields[i], changedValue(fields[i]));
        ASSERT_EQ(FT_OK, program(h, s));

        // The window's Write: the common fields only, from a record read back.
        char again[4][80] = {};
        FT_PROGRAM_DATA read = record(again);
        ASSERT_EQ(FT_OK, FT_EE_Read(h, &read));
        EXPECT_EQ(0x1234, read.VendorId);
        EXPECT_STREQ("SN42", again[3]);
        EXPECT_STREQ("SN", again[1]);
        EXPECT_EQ(0, read.PnP) << "PnP is the record's, not the structure's";
        EXPECT_EQ(0, read.Rev4 + read.Rev5 + read.SerNumEnable + read.SerNumEnable5 + read.SerNumEnableR)
            << "no older chip's fields on these chips";
        read.VendorId = 0x0403, read.RemoteWakeup = 1;
        std::strcpy(again[2], "Renamed");
        ASSERT_EQ(FT_OK, FT_EE_Program(h, &read));

        std::vector<unsigned char> after = structureOf(chip);
        char description[64];
        ASSERT_EQ(FT_OK, FT_EEPROM_Read(h, after.data(), uint32_t(after.size()), nullptr, nullptr,
                                        description, nullptr));
        EXPECT_STREQ("Renamed", description);
        EXPECT_EQ(0x0403u, fieldValue(after.data(), fields[0]));
        EXPECT_EQ(1u, fieldValue(after.data(), fields[5])) << "RemoteWakeup";
        for (size_t i = kHeaderFields; i < fields.size(); ++i)
            EXPECT_EQ(changedValue(fields[i]), fieldValue(after.data(), fields[i])) << fields[i].name;
        uint32_t userArea = 0;
        EXPECT_EQ(FT_OK, FT_EE_UASize(h, &userArea));
        EXPECT_GT(userArea, 0u);
        closeAll();
    }
}

TEST_F(ChipCalls, WhatAChipDoesNotTakeIsRefusedBeforeAnythingIsWritten) {
    struct Case {
        const char *what;
        Chip chip;
        void (*spoil)(std::vector<unsigned char> &s, FT_EEPROM_HEADER &h);
    };
    const Case cases[] = {
        {"another chip's structure", kChips[0], [](auto &, auto &h) { h.deviceType = FT_DEVICE_4232H; }},
        {"a drive current the chip lacks", kChips[0],
         [](auto &s, auto &) { reinterpret_cast<FT_EEPROM_2232H *>(s.data())->ALDriveCurrent = 10; }},
        {"no drive current", kChips[1],
         [](auto &s, auto &) { reinterpret_cast<FT_EEPROM_4232H *>(s.data())->DDriveCurrent = 0; }},
        {"two modes on the FT232H", kChips[2],
         [](auto &s, auto &) {
             auto *e = reinterpret_cast<FT_EEPROM_232H *>(s.data());
             e->IsFifo = e->IsFT1248 = 1;
         }},
        {"two modes on one channel", kChips[0],
         [](auto &s, auto &) {
             auto *e = reinterpret_cast<FT_EEPROM_2232H *>(s.data());
             e->BIsFifo = e->BIsFastSer = 1;
         }},
        {"a driver type past VCP", kChips[1],
         [](auto &s, auto &) { reinterpret_cast<FT_EEPROM_4232H *>(s.data())->CDriverType = 2; }},
        {"I/O mode on ACBUS0", kChips[2],
         [](auto &s, auto &) { reinterpret_cast<FT_EEPROM_232H *>(s.data())->Cbus0 = FT_232H_CBUS_IOMODE; }},
        {"an ACBUS function past CLK7_5", kChips[2],
         [](auto &s, auto &) { reinterpret_cast<FT_EEPROM_232H *>(s.data())->Cbus9 = 13; }},
        {"a CBUS function past KEEP_AWAKE", kChips[3],
         [](auto &s, auto &) { reinterpret_cast<FT_EEPROM_X_SERIES *>(s.data())->Cbus6 = 0x16; }},
        {"an I2C address past seven bits", kChips[3],
         [](auto &s, auto &) { reinterpret_cast<FT_EEPROM_X_SERIES *>(s.data())->I2CSlaveAddress = 0x80; }},
        {"more than 500 mA", kChips[3], [](auto &, auto &h) { h.MaxPower = 502; }},
        {"I/O mode on the FT232R's CBUS4",
         {"232R", FT_DEVICE_232R, 64},
         [](auto &s, auto &) { reinterpret_cast<FT_EEPROM_232R *>(s.data())->Cbus4 = FT_232R_CBUS_IOMODE; }},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<unsigned char> s;
        FT_HANDLE h = programmed(c.chip, s);
        ASSERT_EQ(FT_OK, program(h, s)) << "as read, it programs";
        const std::string before = readBytes("chip.bin");
        c.spoil(s, *reinterpret_cast<FT_EEPROM_HEADER *>(s.data()));
        EXPECT_EQ(FT_INVALID_PARAMETER, program(h, s));
        EXPECT_EQ(before, readBytes("chip.bin"));
        closeAll();
    }
    // The structure's size and the texts' buffers are checked as well.
    std::vector<unsigned char> s;
    FT_HANDLE h = programmed(kChips[1], s);
    const std::string before = readBytes("chip.bin");
    EXPECT_EQ(FT_INVALID_PARAMETER,
              FT_EEPROM_Read(h, s.data(), uint32_t(s.size() - 1), nullptr, nullptr, nullptr, nullptr));
    EXPECT_EQ(FT_INVALID_PARAMETER, program(h, s, "SERIAL0123456789"))
        << "16 characters leave no room for the NUL";
    std::vector<unsigned char> bigger(s);
    bigger.resize(s.size() + 4);
    EXPECT_EQ(FT_INVALID_PARAMETER, program(h, bigger));
    EXPECT_EQ(before, readBytes("chip.bin"));
}

TEST_F(ChipCalls, TheXSeriesFactoryAreaIsNeverWritten) {
    std::string image(256, '\xFF');
    for (size_t i = 0x80; i < 0xA0; ++i) image[i] = char(i);  // words 0x40-0x4F
    writeBytes("chip.bin", image);
    std::vector<unsigned char> s;
    FT_HANDLE h = programmed(kChips[3], s);
    EXPECT_EQ(image.substr(0x80, 0x20), readBytes("chip.bin").substr(0x80, 0x20));
    EXPECT_EQ(FT_EEPROM_WRITE_FAILED, FT_WriteEE(h, 0x45, 0));
    EXPECT_EQ(FT_OK, FT_EraseEE(h)) << "the internal memory is not erased";
    EXPECT_EQ(image.substr(0x80, 0x20), readBytes("chip.bin").substr(0x80, 0x20));
    char texts[4][80] = {};
    FT_PROGRAM_DATA r = record(texts);
    EXPECT_EQ(FT_OK, FT_EE_Read(h, &r)) << "the checksum covers the factory area as it is";
    EXPECT_STREQ("Bridge", texts[2]);
}

// libromgate erases, then programs the record: the chip's own settings survive that
// on the same handle, and only there.
TEST_F(ChipCalls, AnEraseThenTheRecordKeepsTheChipsSettings) {
    for (const bool wordWrittenBetween : {false, true}) {
        SCOPED_TRACE(wordWrittenBetween ? "a word written in between" : "erase, then program");
        std::vector<unsigned char> s;
        FT_HANDLE h = programmed(kChips[0], s);
        auto *e = reinterpret_cast<FT_EEPROM_2232H *>(s.data());
        e->BHDriveCurrent = FT_DRIVE_CURRENT_16MA, e->PowerSaveEnable = 1;
        ASSERT_EQ(FT_OK, program(h, s));
        char texts[4][80] = {};
        FT_PROGRAM_DATA r = record(texts);
        ASSERT_EQ(FT_OK, FT_EE_Read(h, &r));
        ASSERT_EQ(FT_OK, FT_EraseEE(h));
        if (wordWrittenBetween) {
            ASSERT_EQ(FT_OK, FT_WriteEE(h, 0x7F, 0xFFFF));
        }
        ASSERT_EQ(FT_OK, FT_EE_Program(h, &r));
        const std::vector<unsigned char> after = readStructure(h, kChips[0]);
        const auto *kept = reinterpret_cast<const FT_EEPROM_2232H *>(after.data());
        EXPECT_EQ(wordWrittenBetween ? FT_DRIVE_CURRENT_4MA : FT_DRIVE_CURRENT_16MA, kept->BHDriveCurrent);
        EXPECT_EQ(wordWrittenBetween ? 0 : 1, kept->PowerSaveEnable);
        closeAll();
    }
}

// The older chips through their structures: each field reaches the record's field
// that holds it, under its other name, and comes back.
TEST_F(ChipCalls, TheOlderChipsStructuresMapOntoTheRecord) {
    const Chip older[] = {
        {"BM", FT_DEVICE_BM, 64}, {"2232C", FT_DEVICE_2232C, 128}, {"232R", FT_DEVICE_232R, 64}};
    for (const Chip &chip : older) {
        SCOPED_TRACE(chip.name);
        std::vector<unsigned char> s;
        FT_HANDLE h = programmed(chip, s);
        const auto fields = chipFields(chip.type);
        auto &header = *reinterpret_cast<FT_EEPROM_HEADER *>(s.data());
        header.SerNumEnable = header.PullDownEnable = header.RemoteWakeup = 1, header.SelfPowered = 0;
        for (size_t i = kHeaderFields; i < fields.size(); ++i)
            setFieldValue(s.data(), fields[i], changedValue(fields[i]));
        ASSERT_EQ(FT_OK, program(h, s));

        const std::vector<unsigned char> back = readStructure(h, chip);
        for (const ChipField &field : fields)
            EXPECT_EQ(fieldValue(s.data(), field), fieldValue(back.data(), field)) << field.name;

        char texts[4][80] = {};
        FT_PROGRAM_DATA r = record(texts);
        ASSERT_EQ(FT_OK, FT_EE_Read(h, &r));
        EXPECT_EQ(1, r.RemoteWakeup);
        if (chip.type == FT_DEVICE_BM) {
            EXPECT_EQ(2, r.SerNumEnable + r.PullDownEnable);
        }
        if (chip.type == FT_DEVICE_2232C) {
            EXPECT_EQ(2, r.SerNumEnable5 + r.PullDownEnable5);
            EXPECT_EQ(0, r.AIsVCP + r.BIsVCP) << "the D2XX driver on both";
            EXPECT_EQ(4, r.AIsHighCurrent + r.BIsHighCurrent + r.IFAIsFastSer + r.IFBIsFastSer);
        }
        if (chip.type == FT_DEVICE_232R) {
            EXPECT_EQ(2, r.SerNumEnableR + r.PullDownEnableR);
            EXPECT_EQ(1, r.RIsD2XX);
            EXPECT_EQ(FT_232R_CBUS_TXRXLED, r.Cbus4);
            EXPECT_EQ(10, r.HighDriveIOs + r.UseExtOsc + r.InvertTXD + r.InvertRXD + r.InvertRTS +
                              r.InvertCTS + r.InvertDTR + r.InvertDSR + r.InvertDCD + r.InvertRI);
        }
        closeAll();
    }
}

// FT_EEPROM_Read's texts end inside their buffers (32, 16, 64 and 16 bytes), cut
// between characters.
TEST_F(ChipCalls, TheStructureReadsTextsIntoTheirBuffers) {
    std::vector<unsigned char> s;
    FT_HANDLE h = programmed(kChips[0], s);
    std::string letters;
    for (int i = 0; i < 33; ++i) letters += "\xC5\xBE";  // 33 two-byte letters: 66 bytes
    char texts[4][80] = {"P", "", "", "KS1234"};
    std::strcpy(texts[2], letters.c_str());
    FT_PROGRAM_DATA r = record(texts);
    ASSERT_EQ(FT_OK, FT_EE_Program(h, &r));
    char manufacturer[33], id[17], description[65], serial[17];
    for (char *buffer : {manufacturer, id, description, serial}) buffer[0] = '#';
    manufacturer[32] = id[16] = description[64] = serial[16] = '#';
    ASSERT_EQ(FT_OK, FT_EEPROM_Read(h, s.data(), uint32_t(s.size()), manufacturer, id, description, serial));
    EXPECT_STREQ("P", manufacturer);
    EXPECT_STREQ("KS", id);
    EXPECT_EQ(letters.substr(0, 62), description) << "31 letters and the NUL in 64 bytes";
    EXPECT_STREQ("KS1234", serial);
    EXPECT_EQ('#', description[64]);
}
