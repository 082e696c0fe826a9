// A devices file with values it does not allow: each is named once on standard error
// (file, line, key, what is allowed) and otherwise ignored, as if it were not there.
#include <gtest/gtest.h>

#include <string>

#include "ftd2xx.h"
#include "sim_fixture.h"

namespace {

class DevicesFileMessages : public SimFixture {
protected:
    // What standard error shows while the devices are listed and device 0 opened.
    std::string saidWhileUsed() {
        testing::internal::CaptureStderr();
        deviceCount();
        FT_HANDLE handle = nullptr;
        if (FT_Open(0, &handle) == FT_OK) FT_Close(handle);
        return testing::internal::GetCapturedStderr();
    }
    static constexpr const char *kChipsAllowed =
        " ignored; allowed: AM, BM, 100AX, 2232C, 232R, 2232H, 4232H, 232H, X, UNKNOWN or a D2XX device type "
        "number\n";
    std::string at(int line) const {
        return "libftd2xx: " + path("devices.ini").string() + " line " + std::to_string(line) + ": ";
    }
};

}  // namespace

TEST_F(DevicesFileMessages, EachWrongValueIsNamedOnceAndIgnored) {
    writeDevices(
        "stray = 1\n"
        "[dev]\n"
        "chip = ZZ\n"
        "eeprom_words = 99999\n"
        "present = maybe\n"
        "id = xyz\n"
        "fail.FT_Open = abc\n"
        "fail.FT_Opne = 3\n"
        "colour = blue\n"
        "crash.FT_EraseEE = sometimes\n"
        "crash.FT_ReadEE = during\n"
        "Serial = any text is fine\n");
    const std::string calls =
        "FT_Open, FT_Close, FT_ListDevices, FT_GetDeviceInfo, FT_EE_Read, FT_EE_Program, FT_EraseEE, "
        "FT_EE_UASize, FT_ReadEE, FT_WriteEE";
    EXPECT_EQ(saidWhileUsed(),
              at(1) + "stray = 1 ignored; keys belong in a [device] section\n" + at(3) + "chip = ZZ" +
                  kChipsAllowed + at(4) + "eeprom_words = 99999 ignored; allowed: 64, 128 or 256\n" + at(5) +
                  "present = maybe ignored; allowed: 1 or 0 (also yes/no, true/false, on/off)\n" + at(6) +
                  "id = xyz ignored; allowed: VID << 16 | PID as a number, e.g. 0x04036001\n" + at(7) +
                  "fail.FT_Open = abc ignored; allowed: a D2XX status number, 0 for none\n" + at(8) +
                  "fail.FT_Opne = 3 ignored; no such call; the calls are " + calls + "\n" + at(9) +
                  "colour = blue ignored; unknown key; the keys are chip, present, eeprom, eeprom_words, "
                  "eeprom_present, write_protect, id, "
                  "serial, description, fail.<call>, crash.<call>, delay.<call>\n" +
                  at(10) + "crash.FT_EraseEE = sometimes ignored; allowed: before, during or after\n" +
                  at(11) +
                  "crash.FT_ReadEE = during ignored; allowed: before or after (during is for a call that "
                  "writes)\n");

    // The device works with the defaults: unknown chip, present, 64 words, its image's IDs.
    FT_HANDLE handle = open();
    uint32_t type = 0, id = 0;
    ASSERT_EQ(FT_GetDeviceInfo(handle, &type, &id, nullptr, nullptr, nullptr), FT_OK);
    EXPECT_EQ(type, uint32_t{FT_DEVICE_UNKNOWN});
    EXPECT_EQ(id, 0x04036001u);
    ASSERT_EQ(FT_WriteEE(handle, 64 + 3, 0x1234), FT_OK);
    EXPECT_EQ(readWord(handle, 3), 0x1234);
    closeAll();

    // Read again on every listing and open: nothing more, also after an edit that keeps them.
    EXPECT_EQ(saidWhileUsed(), "");
    writeDevices("stray = 1\n[dev]\nchip = ZZ\neeprom_words = 128\n");
    EXPECT_EQ(saidWhileUsed(), "");
    // Another line is another message; control characters do not reach the terminal.
    writeDevices("[dev]\nchip = Z\x1b[2JZ\n");
    EXPECT_EQ(saidWhileUsed(), at(2) + "chip = Z?[2JZ" + kChipsAllowed);
}

TEST_F(DevicesFileMessages, LinesAreCountedAsInTheFile) {
    // Comments, blank lines, a continued value and an overlong line all count as lines.
    writeDevices(
        "; devices\n"
        "\n"
        "[dev]\n"
        "description = first\n"
        "  continued\n"
        "serial = " +
        std::string(300, 'x') +
        "\n"
        "chip = BM\n"
        "this is no key\n"
        "eeprom_words = 65\n");
    EXPECT_EQ(saidWhileUsed(), at(8) + "not a [section] or key = value line; ignored\n" + at(9) +
                                   "eeprom_words = 65 ignored; allowed: 64, 128 or 256\n");
    uint32_t type = 0;
    ASSERT_EQ(FT_GetDeviceInfo(open(), &type, nullptr, nullptr, nullptr, nullptr), FT_OK);
    EXPECT_EQ(type, uint32_t{FT_DEVICE_BM}) << "the line after the overlong one still counts";
}
