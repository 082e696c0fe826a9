// The program in one open: the caller sees what the chip held before anything is
// written and may stop it; the erase and the program fail as those of FT_EE_Program_
// do; the caller sees what the chip holds afterwards, also after a failure, when
// the old words have been put back.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "romgate.h"
#include "sim_fixture.h"

namespace {

constexpr FT_STATUS kInjected = FT_IO_ERROR;

struct Seen {
    bool refuse = false;
    std::optional<std::string> before, after;  // the part's 64 words as bytes
};

std::string bytesOf(const ROMGATE_CHIP &chip) {
    std::string bytes;
    for (size_t i = 0; i < 64; ++i) bytes += {char(chip.words[i] & 0xFF), char(chip.words[i] >> 8)};
    return bytes;
}

int32_t ROMGATE_CALL before(void *context, const ROMGATE_CHIP *chip) {
    auto &seen = *static_cast<Seen *>(context);
    seen.before = bytesOf(*chip);
    EXPECT_EQ(uint32_t{FT_DEVICE_BM}, chip->type);
    EXPECT_EQ(0x04036001u, chip->id);
    EXPECT_STREQ("QV000001", chip->serial);
    EXPECT_EQ(chip->words[0], chip->words[64]) << "every address, as the 93C46 answers it";
    return seen.refuse ? 1 : 0;
}

void ROMGATE_CALL after(void *context, const ROMGATE_CHIP *chip) {
    static_cast<Seen *>(context)->after = bytesOf(*chip);
}

class ProgramInOneOpen : public SimFixture {
protected:
    void useBm(const std::string &keys = "") {
        writeDevices("[bm]\nchip = BM\neeprom = ft232bm.bin\n" + keys + "\n");
    }
    std::string image() const { return readBytes("ft232bm.bin"); }
};

}  // namespace

TEST_F(ProgramInOneOpen, TheCallerSeesTheChipBeforeAndAfterAndMayStopIt) {
    const struct {
        const char *keys;
        bool refuse;
        int32_t result;
        FT_STATUS status;
        bool changed, seenBefore, seenAfter;
    } cases[] = {
        {"", false, ROMGATE_OK, FT_OK, true, true, true},
        {"", true, ROMGATE_REFUSED, FT_OK, false, true, false},
        {"fail.FT_Open = 4", false, ROMGATE_OPEN_FAILED, kInjected, false, false, false},
        {"fail.FT_ReadEE = 4", false, ROMGATE_PRELIMINARY_FAILED, kInjected, false, false, false},
        {"fail.FT_EraseEE = 4", false, ROMGATE_PRELIMINARY_FAILED, kInjected, false, true, true},
        {"fail.FT_EE_Program = 4", false, ROMGATE_STEP_FAILED, kInjected, false, true, true},
        {"write_protect = 1", false, ROMGATE_PRELIMINARY_FAILED, FT_EEPROM_ERASE_FAILED, false, true, true},
        {"fail.FT_Close = 4", false, ROMGATE_CLOSE_FAILED, kInjected, true, true, true},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << c.keys << (c.refuse ? " refused" : ""));
        copyExample("ft232bm.bin");
        useBm();
        ASSERT_EQ(ROMGATE_OK, FT_EE_READ_());
        SET_SerialNumber_("QV000002");
        useBm(c.keys);
        const std::string old = image();
        Seen seen;
        seen.refuse = c.refuse;
        EXPECT_EQ(c.result, FT_EE_ProgramInOneOpen_(0, before, after, &seen));
        EXPECT_EQ(c.status, FT_STATUS(FT_STATUS_()));
        EXPECT_EQ(c.changed, image() != old);
        EXPECT_EQ(c.seenBefore, seen.before == old);
        EXPECT_EQ(c.seenAfter, seen.after == image()) << "what the chip holds now";
    }
}

// Texts the driver refuses once the part is read: nothing is left changed, and the
// next program, with texts that fit, needs no one to tell.
TEST_F(ProgramInOneOpen, AFailedProgramLeavesTheChipAsItWasRead) {
    copyExample("ft232bm.bin");
    useBm();
    ASSERT_EQ(ROMGATE_OK, FT_EE_READ_());
    const std::string old = image();
    SET_Description_(std::string(60, 'x').c_str());
    SET_Manufacturer_(std::string(30, 'y').c_str());
    Seen seen;
    EXPECT_EQ(ROMGATE_STEP_FAILED, FT_EE_ProgramInOneOpen_(0, before, after, &seen));
    EXPECT_EQ(FT_INVALID_PARAMETER, FT_STATUS(FT_STATUS_()));
    EXPECT_EQ(old, image());
    EXPECT_EQ(old, seen.after);
    SET_Description_("Short");
    SET_Manufacturer_("FTDI");
    EXPECT_EQ(ROMGATE_OK, FT_EE_ProgramInOneOpen_(0, nullptr, nullptr, nullptr));
    ASSERT_EQ(ROMGATE_OK, FT_EE_READ_());
    char description[68] = {};
    GET_Description_(description);
    EXPECT_STREQ("Short", description);
}
