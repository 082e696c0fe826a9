// Parts that do not take writes: no EEPROM fitted, or its write-protect pin held.
// Every write is read back, so the D2XX calls answer "write failed" or "erase failed"
// instead of success, and nothing changes.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "ftd2xx.h"
#include "sim_fixture.h"

namespace {

class UnwritableEeprom : public SimFixture {
protected:
    // An FT_PROGRAM_DATA read from the FT232BM example, with a new serial number.
    struct Record {
        char manufacturer[36] = {}, manufacturerId[20] = {}, description[68] = {}, serial[20] = "NEW00001";
        FT_PROGRAM_DATA data{};
        Record() {
            data.Signature2 = 0xFFFFFFFF;
            data.Manufacturer = manufacturer, data.ManufacturerId = manufacturerId;
            data.Description = description, data.SerialNumber = serial;
            data.VendorId = 0x0403, data.ProductId = 0x6001, data.MaxPower = 90;
        }
    };
};

}  // namespace

TEST_F(UnwritableEeprom, WritesThatDidNotTakeAreReportedAndChangeNothing) {
    const struct {
        const char *keys;
        const char *image;  // example copied to dev.bin, or "" for none
        FT_STATUS write, erase, program;
        uint16_t word5;  // as read before and after
    } cases[] = {
        // No EEPROM: blank everywhere, so erasing "works"; writing does not.
        {"chip = BM\neeprom_present = 0", "ft232bm.bin", FT_EEPROM_WRITE_FAILED, FT_OK,
         FT_EEPROM_WRITE_FAILED, 0xFFFF},
        {"chip = BM\nwrite_protect = 1", "ft232bm.bin", FT_EEPROM_WRITE_FAILED, FT_EEPROM_ERASE_FAILED,
         FT_EEPROM_WRITE_FAILED, 0x0008},
        {"chip = BM\nwrite_protect = 1", "", FT_EEPROM_WRITE_FAILED, FT_OK, FT_EEPROM_WRITE_FAILED, 0xFFFF},
        // The FT232R's erase changes nothing by design and is not checked.
        {"chip = 232R\nwrite_protect = yes", "ft232r.bin", FT_EEPROM_WRITE_FAILED, FT_OK,
         FT_EEPROM_WRITE_FAILED, 0x0008},
        // A protected part that already holds the words: nothing to report.
        {"chip = BM\nwrite_protect = 0", "ft232bm.bin", FT_OK, FT_OK, FT_OK, 0x0008},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << c.keys << " on " << (*c.image ? c.image : "nothing"));
        std::filesystem::remove(path("dev.bin"));
        if (*c.image != '\0') copyExample(c.image, "dev.bin");
        const std::string before = readBytes("dev.bin");
        const bool takesWrites = c.program == FT_OK;
        writeDevices(std::string("[dev]\neeprom = dev.bin\n") + c.keys + "\n");
        FT_HANDLE handle = open();
        EXPECT_EQ(readWord(handle, 5), c.word5);
        EXPECT_EQ(FT_WriteEE(handle, 5, c.word5), FT_OK) << "the word it holds";
        EXPECT_EQ(FT_WriteEE(handle, 64 + 5, 0x1234), c.write);
        EXPECT_EQ(readWord(handle, 5), takesWrites ? 0x1234 : c.word5);
        if (!takesWrites) {
            EXPECT_EQ(FT_EraseEE(handle), c.erase);
            Record record;
            EXPECT_EQ(FT_EE_Program(handle, &record.data), c.program);
            EXPECT_EQ(readBytes("dev.bin"), before);
        }
        closeAll();
    }
}
