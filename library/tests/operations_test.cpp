// The device operations against simulated devices, with each D2XX step failing in turn.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>

#include "fresh_romgate.h"
#include "romgate.h"
#include "romgate_fields_table.h"
#include "sim_fixture.h"

namespace {

constexpr FT_STATUS kInjected = FT_IO_ERROR;

class Operations : public SimFixture {
protected:
    // The FT232BM example, with `failing` made to answer kInjected.
    void useBm(const std::string &failing = "") {
        copyExample("ft232bm.bin");
        std::string ini = "[bm]\nchip = BM\neeprom = ft232bm.bin\n";
        if (!failing.empty()) ini += "fail." + failing + " = " + std::to_string(kInjected) + "\n";
        writeDevices(ini);
    }
    void useExample(const std::string &name) {
        copyAllExamples();
        useDevicesFile(name + ".ini");
    }
    std::string image() const { return readBytes("ft232bm.bin"); }
    std::string blank() const { return std::string(128, '\xFF'); }
};

struct Case {
    const char *operation;
    const char *failing;
    int32_t result;
    bool imageChanged;  // against the programmed image before the call
};

}  // namespace

TEST_F(Operations, EachFailingStepGivesItsResultStatusAndImage) {
    const Case cases[] = {
        {"read", "", ROMGATE_OK, false},
        {"read", "FT_Open", ROMGATE_OPEN_FAILED, false},
        {"read", "FT_EE_UASize", ROMGATE_PRELIMINARY_FAILED, false},
        {"read", "FT_EE_Read", ROMGATE_STEP_FAILED, false},
        {"read", "FT_Close", ROMGATE_CLOSE_FAILED, false},
        {"program", "", ROMGATE_OK, true},
        {"program", "FT_Open", ROMGATE_OPEN_FAILED, false},
        {"program", "FT_EraseEE", ROMGATE_PRELIMINARY_FAILED, false},
        {"program", "FT_EE_Program", ROMGATE_STEP_FAILED, false},  // put back as it was
        {"program", "FT_Close", ROMGATE_CLOSE_FAILED, true},
        {"erase", "", ROMGATE_OK, true},
        {"erase", "FT_Open", ROMGATE_OPEN_FAILED, false},
        {"erase", "FT_EraseEE", ROMGATE_PRELIMINARY_FAILED, false},
        {"erase", "FT_Close", ROMGATE_CLOSE_FAILED, true},
    };
    useBm();
    ASSERT_EQ(ROMGATE_OK, FT_EE_READ_());
    const std::vector<std::string> device = fieldValues();
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.operation << " with " << (*c.failing ? c.failing : "nothing") << " failing");
        useBm();
        ASSERT_EQ(ROMGATE_OK, FT_EE_READ_());
        SET_SerialNumber_("NEW00001");
        useBm(c.failing);
        const std::string before = image();

        int32_t result = 0;
        if (std::strcmp(c.operation, "read") == 0) result = FT_EE_READ_();
        if (std::strcmp(c.operation, "program") == 0) result = FT_EE_Program_(0);
        if (std::strcmp(c.operation, "erase") == 0) result = FT_EraseEE_();

        EXPECT_EQ(c.result, result);
        EXPECT_EQ(c.result == ROMGATE_OK ? FT_STATUS{FT_OK} : kInjected, static_cast<FT_STATUS>(FT_STATUS_()));
        EXPECT_EQ(c.imageChanged, image() != before);
        if (std::strcmp(c.operation, "erase") == 0 && c.imageChanged) {
            EXPECT_EQ(blank(), image());
        }
        EXPECT_EQ(c.result == ROMGATE_OK ? 46 : -1, FT_EE_UASize_()) << "stored by the last read";
        if (std::strcmp(c.operation, "read") == 0) {
            // A read that got as far as the device's answer has filled the record; one
            // that failed before has cleared it, so nothing read or set before is left.
            const bool filled = c.result == ROMGATE_OK || c.result == ROMGATE_CLOSE_FAILED;
            useBm();
            FT_GetFTDevice_();  // last status back to 0 so the readers answer
            EXPECT_EQ(filled ? device : clearedValues(), fieldValues());
        }
    }
}

TEST_F(Operations, DeviceQueriesAndTheirFailures) {
    struct Query {
        const char *failing;
        int32_t result;
    };
    for (const Query &q : {Query{"", ROMGATE_OK}, Query{"FT_Open", ROMGATE_OPEN_FAILED},
                           Query{"FT_GetDeviceInfo", ROMGATE_STEP_FAILED}, Query{"FT_Close", ROMGATE_CLOSE_FAILED}}) {
        SCOPED_TRACE(*q.failing ? q.failing : "nothing");
        useBm(q.failing);
        char serial[16] = "untouched", description[64] = "untouched";
        EXPECT_EQ(q.result, FT_GetDeviceInfo_(serial, description));
        EXPECT_STREQ(q.result == ROMGATE_OK ? "QV000001" : "untouched", serial);
        EXPECT_STREQ(q.result == ROMGATE_OK ? "USB FTDI port" : "untouched", description);
        EXPECT_EQ(q.result == ROMGATE_OK ? 0 : q.result, FT_GetFTDevice_());
        EXPECT_EQ(q.result == ROMGATE_OK ? 0x04036001 : q.result, FT_GetDeviceID_());
    }
    const std::pair<const char *, int32_t> chips[] = {
        {"ft232bm", FT_DEVICE_BM}, {"ft2232c", FT_DEVICE_2232C}, {"ft232r", FT_DEVICE_232R}, {"ft8u232am", FT_DEVICE_AM}};
    for (auto [example, type] : chips) {
        useExample(example);
        EXPECT_EQ(type, FT_GetFTDevice_()) << example;
    }
}

// The longest texts the driver hands over (15 and 63 bytes) reach buffers of the
// 16 and 64 bytes the caller must lend whole, and nothing is written past them.
TEST_F(Operations, DeviceInfoTextsOfFullLengthFillTheCallersBuffersExactly) {
    copyExample("ft232bm.bin");
    writeDevices("[bm]\nchip = BM\neeprom = ft232bm.bin\nserial = " + std::string(30, 'S') +
                 "\ndescription = " + std::string(90, 'D') + "\n");
    std::string serial(16 + 4, '#'), description(64 + 4, '#');
    ASSERT_EQ(ROMGATE_OK, FT_GetDeviceInfo_(serial.data(), description.data()));
    EXPECT_EQ(std::string(15, 'S') + '\0' + "####", serial);
    EXPECT_EQ(std::string(63, 'D') + '\0' + "####", description);
}

TEST_F(Operations, NoDeviceMeansOpenFailedWithTheOpensStatus) {
    writeDevices("");
    for (const auto &operation : std::initializer_list<std::function<int32_t()>>{
             FT_EE_READ_, [] { return FT_EE_Program_(0); }, FT_EraseEE_, FT_GetFTDevice_, FT_GetDeviceID_}) {
        EXPECT_EQ(ROMGATE_OPEN_FAILED, operation());
        EXPECT_EQ(FT_DEVICE_NOT_FOUND, FT_STATUS_());
    }
}

TEST_F(Operations, VersionArgumentDecidesWhetherTheFt2232cFieldsAreWritten) {
    for (auto [version, taken] : {std::pair{0, false}, {1, true}, {2, true}, {7, false}}) {
        SCOPED_TRACE(version);
        useExample("ft2232c");
        ASSERT_EQ(ROMGATE_OK, FT_EE_READ_());
        const int32_t before = GET_IsoOutB_();
        SET_IsoOutB_(!before);
        ASSERT_EQ(ROMGATE_OK, FT_EE_Program_(version));
        ASSERT_EQ(ROMGATE_OK, FT_EE_READ_());
        // Without the FT2232C fields the erased EEPROM gives the chip's own defaults (0).
        EXPECT_EQ(taken ? !before : 0, GET_IsoOutB_());
    }
}

TEST_F(Operations, ReadThenProgramLeavesEveryExampleByteIdentical) {
    for (const char *example : {"ft232bm", "ft2232c", "ft232r", "ft8u232am"}) {
        SCOPED_TRACE(example);
        useExample(example);
        const std::string before = readBytes(std::string(example) + ".bin");
        ASSERT_EQ(ROMGATE_OK, FT_EE_READ_());
        ASSERT_EQ(ROMGATE_OK, FT_EE_Program_(FT_GetFTDevice_() == FT_DEVICE_2232C ? 1 : 0));
        EXPECT_EQ(before, readBytes(std::string(example) + ".bin"));
    }
}

// A part that takes no writes (no EEPROM, its write-protect pin held) is never reported
// as programmed: the step that did not take fails with its status, which the restore
// of the old words afterwards leaves standing, and the image is as it was.
TEST_F(Operations, APartThatTakesNoWritesIsNeverReportedAsProgrammed) {
    const struct {
        const char *example, *keys;
        int32_t result;
        FT_STATUS status;
    } cases[] = {
        {"ft232bm", "chip = BM\neeprom_present = 0", ROMGATE_STEP_FAILED, FT_EEPROM_WRITE_FAILED},
        {"ft232r", "chip = 232R\nwrite_protect = 1", ROMGATE_STEP_FAILED, FT_EEPROM_WRITE_FAILED},
        // Erasing comes first and is checked first.
        {"ft232bm", "chip = BM\nwrite_protect = 1", ROMGATE_PRELIMINARY_FAILED, FT_EEPROM_ERASE_FAILED},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.keys);
        useExample(c.example);
        ASSERT_EQ(ROMGATE_OK, FT_EE_READ_());
        SET_SerialNumber_("NEW00001");
        writeDevices(std::string("[dev]\neeprom = ") + c.example + ".bin\n" + c.keys + "\n");
        useDevicesFile("devices.ini");
        const std::string before = readBytes(std::string(c.example) + ".bin");
        EXPECT_EQ(c.result, FT_EE_Program_(0));
        EXPECT_EQ(c.status, static_cast<FT_STATUS>(FT_STATUS_()));
        EXPECT_EQ(-1, GET_MaxPower_());
        EXPECT_EQ(before, readBytes(std::string(c.example) + ".bin"));
    }
}

// A program that writes what the user typed without reading the device first: the
// record's header is made valid by the program operation itself.
TEST_F(Operations, ProgrammingBeforeAnyReadInAFreshLibraryWritesTheFieldsSet) {
    useBm();
    FreshRomgate fresh;
    ASSERT_TRUE(fresh.loaded()) << dlerror();
    const auto setNumber = [&](const char *name, int32_t value) {
        return fresh.get<int32_t (*)(int32_t)>(std::string("SET_") + name + "_")(value);
    };
    const auto setText = [&](const char *name, const char *text) {
        return fresh.get<int32_t (*)(const char *)>(std::string("SET_") + name + "_")(text);
    };
    setNumber("VendorId", 0x0403), setNumber("ProductId", 0x6015), setNumber("MaxPower", 250);
    setText("Manufacturer", "Pelmora"), setText("Description", "Fresh start"), setText("SerialNumber", "FS000001");
    ASSERT_EQ(ROMGATE_OK, fresh.get<int32_t (*)(int32_t)>("FT_EE_Program_")(0));

    ASSERT_EQ(ROMGATE_OK, FT_EE_READ_());
    EXPECT_EQ(0x6015, GET_ProductId_());
    EXPECT_EQ(250, GET_MaxPower_());
    char serial[20] = "", description[68] = "";
    GET_SerialNumber_(serial), GET_Description_(description);
    EXPECT_STREQ("FS000001", serial);
    EXPECT_STREQ("Fresh start", description);
}
