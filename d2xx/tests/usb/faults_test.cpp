// A real chip misbehaving under the real USB stack: pulled out at every step of a
// program, a request stalled, a device node the user may not open, no EEPROM
// fitted. Nothing hangs, each failure gets its own status (and, with
// FTD2XX_LOG=1, one line saying why), and a program that fails puts back what
// the EEPROM held when it still can.
#include <algorithm>
#include <chrono>
#include <set>

#include "romgate.h"
#include "usb_fixture.h"

namespace kestrom::virtualchip {
namespace {

using Clock = std::chrono::steady_clock;

class Faults : public VirtualUsb {
protected:
    void TearDown() override {
        unsetenv("FTD2XX_LOG");
        VirtualUsb::TearDown();
    }
    VirtualChip &bm(FaultPlan faults = {}) {
        return plug({ChipKind::FT232BM, 64, example("ft232bm.bin")}, std::move(faults));
    }
};

// What a call prints on stderr.
template <typename Call>
std::string stderrOf(Call &&call) {
    testing::internal::CaptureStderr();
    call();
    return testing::internal::GetCapturedStderr();
}

TEST_F(Faults, UnplugAtEveryStepOfAProgramNeverHangsNorPassesAsWritten) {
    ASSERT_EQ((bm(), FT_EE_READ_()), ROMGATE_OK);
    ASSERT_EQ(SET_Description_("Pulled out"), ROMGATE_OK);
    newBus();
    // A program undisturbed: its EEPROM transfers in order (save, erase, blank check, write, read back).
    VirtualChip &clean = bm();
    ASSERT_EQ(FT_EE_Program_(0), ROMGATE_OK);
    std::vector<std::string> steps = clean.transferLog();
    std::erase_if(steps, [](const std::string &r) { return r.find("EEPROM") == std::string::npos; });
    const size_t erase = std::find(steps.begin(), steps.end(), "ERASE_EEPROM") - steps.begin();
    const size_t firstWrite = std::find(steps.begin(), steps.end(), "WRITE_EEPROM") - steps.begin();
    ASSERT_LT(erase, firstWrite);

    // The first and last transfer of each run of one request, and every edge between runs.
    std::set<size_t> moments{1, steps.size()};
    for (size_t i = 1; i < steps.size(); ++i) {
        if (steps[i] != steps[i - 1]) moments.insert({i, i + 1});
    }
    for (const size_t n : moments) {
        for (const bool after : {false, true}) {
            SCOPED_TRACE(testing::Message() << "unplugged " << (after ? "after" : "before")
                                            << " EEPROM transfer " << n << " (" << steps[n - 1] << ")");
            newBus();
            FaultPlan plan;
            after ? plan.unplugAfterEepromTransfer(static_cast<unsigned>(n))
                  : plan.unplugBeforeEepromTransfer(static_cast<unsigned>(n));
            VirtualChip &chip = bm(plan);
            const auto start = Clock::now();
            const int32_t result = FT_EE_Program_(0);
            EXPECT_LT(Clock::now() - start, std::chrono::seconds(5));
            EXPECT_FALSE(chip.plugged());
            if (after && n == steps.size()) {
                EXPECT_EQ(result, ROMGATE_OK) << "everything was written and read back";
                continue;
            }
            // The first EEPROM transfer that did not happen, counted from 1 as n is: before the
            // writes it fails the erase step, from the first write on the program step.
            const size_t missed = after ? n + 1 : n;
            EXPECT_EQ(result, missed <= firstWrite ? ROMGATE_PRELIMINARY_FAILED : ROMGATE_STEP_FAILED);
            const int32_t status = FT_STATUS_();
            EXPECT_TRUE(status == FT_EEPROM_READ_FAILED || status == FT_EEPROM_WRITE_FAILED ||
                        status == FT_EEPROM_ERASE_FAILED)
                << "status " << status;
            if (missed <= erase + 1) {
                EXPECT_EQ(chip.eeprom(), example("ft232bm.bin"))
                    << "pulled out before the erase: nothing lost";
            }
        }
    }
}

TEST_F(Faults, AFailedProgramPutsBackWhatTheEepromHeld) {
    VirtualChip &chip = bm();
    ASSERT_EQ(FT_EE_READ_(), ROMGATE_OK);
    // Strings that cannot fit: refused after the erase, before a word is written.
    ASSERT_EQ(SET_Description_(std::string(60, 'x').c_str()), ROMGATE_OK);
    ASSERT_EQ(SET_Manufacturer_(std::string(30, 'y').c_str()), ROMGATE_OK);
    EXPECT_EQ(FT_EE_Program_(0), ROMGATE_STEP_FAILED);
    EXPECT_EQ(FT_STATUS_(), FT_INVALID_PARAMETER);
    EXPECT_EQ(chip.transfers("ERASE_EEPROM"), 1u);
    EXPECT_EQ(chip.eeprom(), example("ft232bm.bin"));
}

// The program in one open on a part whose cells lose some words of the program after
// the erase: the words it read are put back, and the caller is told what the chip holds.
TEST_F(Faults, AProgramInOneOpenThatFailsHalfWayPutsBackTheWordsItRead) {
    const std::vector<uint16_t> old = example("ft232bm.bin");
    const VirtualChip &chip = bm(FaultPlan().dropWrites(10));
    ASSERT_EQ(FT_EE_READ_(), ROMGATE_OK);
    ASSERT_EQ(SET_SerialNumber_("KS000042"), ROMGATE_OK);
    std::vector<uint16_t> after;
    const ROMGATE_AFTER_PROGRAM keep = [](void *context, const ROMGATE_CHIP *now) {
        static_cast<std::vector<uint16_t> *>(context)->assign(now->words, now->words + 64);
    };
    EXPECT_EQ(FT_EE_ProgramInOneOpen_(0, nullptr, keep, &after), ROMGATE_STEP_FAILED);
    EXPECT_EQ(FT_STATUS_(), FT_EEPROM_WRITE_FAILED);
    EXPECT_EQ(chip.transfers("ERASE_EEPROM"), 1u);
    EXPECT_EQ(chip.eeprom(), old);
    EXPECT_EQ(after, old);
}

TEST_F(Faults, AStalledRequestFailsItsCallAndSaysWhy) {
    struct Case {
        const char *stalled;
        FT_STATUS expected;
        const char *logged;
        FT_STATUS (*call)(FT_HANDLE);
    };
    const Case cases[] = {
        {"READ_EEPROM", FT_EEPROM_READ_FAILED, "-> FT_EEPROM_READ_FAILED (11)",
         [](FT_HANDLE h) {
             uint16_t w;
             return FT_ReadEE(h, 3, &w);
         }},
        {"WRITE_EEPROM", FT_EEPROM_WRITE_FAILED, "-> FT_EEPROM_WRITE_FAILED (12)",
         [](FT_HANDLE h) { return FT_WriteEE(h, 3, 0xBEEF); }},
        {"ERASE_EEPROM", FT_EEPROM_ERASE_FAILED, "-> FT_EEPROM_ERASE_FAILED (13)",
         [](FT_HANDLE h) { return FT_EraseEE(h); }},
    };
    setenv("FTD2XX_LOG", "1", 1);
    for (const Case &c : cases) {
        SCOPED_TRACE(c.stalled);
        newBus();
        // Words read before the stall come in: the part's size is known already.
        VirtualChip &chip = bm(FaultPlan().stall(c.stalled));
        FT_HANDLE handle = open();
        const std::string log = stderrOf([&] { EXPECT_EQ(c.call(handle), c.expected); });
        EXPECT_NE(log.find("LIBUSB_ERROR_PIPE"), std::string::npos) << log;
        EXPECT_NE(log.find(c.logged), std::string::npos) << log;
        close(handle);
        EXPECT_TRUE(chip.plugged());
    }
}

TEST_F(Faults, ARefusedDeviceNodeIsListedButDoesNotOpen) {
    VirtualChip &chip = bm(FaultPlan().refuseNode());
    const WithoutFileOverride asUser;
    EXPECT_EQ(listed(0), "USB FTDI port") << "the kernel's record of it is readable";
    FT_HANDLE handle = nullptr;
    const auto refused = [&] { EXPECT_EQ(FT_Open(0, &handle), FT_DEVICE_NOT_OPENED); };
    EXPECT_EQ(stderrOf(refused), "") << "silent without FTD2XX_LOG";
    setenv("FTD2XX_LOG", "1", 1);
    const std::string log = stderrOf(refused);
    EXPECT_NE(log.find("libusb_open(1-1): Access denied (insufficient permissions) [LIBUSB_ERROR_ACCESS] -> "
                       "FT_DEVICE_NOT_OPENED (3)"),
              std::string::npos)
        << log;
    EXPECT_EQ(chip.totalTransfers(), 0u);
}

TEST_F(Faults, StringsTheKernelDidNotKeepComeFromTheChip) {
    d2xx::EepromContents contents = d2xx::chipDefaults(FT_DEVICE_BM);
    contents.description = "Měřič Ωmega";
    contents.serialNumber = "QV000001";
    contents.fields.SerNumEnable = 1;
    VirtualChip &chip =
        plug({ChipKind::FT232BM, 64, encoded(FT_DEVICE_BM, 64, contents)}, FaultPlan().noKernelStrings());
    EXPECT_EQ(listed(0), "Měřič Ωmega");
    EXPECT_EQ(listed(0, true), "QV000001");
    FT_HANDLE handle = open();
    char serial[16] = {}, description[64] = {};
    EXPECT_EQ(FT_GetDeviceInfo(handle, nullptr, nullptr, serial, description, nullptr), FT_OK);
    EXPECT_STREQ(serial, "QV000001");
    EXPECT_STREQ(description, "Měřič Ωmega");
    EXPECT_GT(chip.transfers("GET_DESCRIPTOR"), 0u);
    close(handle);

    // Nor can the listing ask a chip that refuses the user.
    newBus();
    bm(FaultPlan().noKernelStrings().refuseNode());
    const WithoutFileOverride asUser;
    setenv("FTD2XX_LOG", "1", 1);
    const std::string log = stderrOf([&] { EXPECT_EQ(listed(0), "status 3"); });
    EXPECT_NE(log.find("[LIBUSB_ERROR_ACCESS] -> FT_DEVICE_NOT_OPENED (3)"), std::string::npos) << log;
}

TEST_F(Faults, ABoardWithoutEepromReadsBlankAndAChangeSaysItHasNone) {
    VirtualChip &chip = plug({ChipKind::FT232BM, 0, {}});
    FT_HANDLE handle = open();
    Record record;
    // Reading cannot tell it from a blank part, and a read does not write to find out.
    EXPECT_EQ(FT_EE_Read(handle, &record.data), FT_EEPROM_NOT_PROGRAMMED);
    uint16_t word = 0;
    EXPECT_EQ(FT_ReadEE(handle, 0, &word), FT_OK);
    EXPECT_EQ(word, 0xFFFF);
    EXPECT_EQ(chip.transfers("WRITE_EEPROM"), 0u);
    EXPECT_EQ(FT_WriteEE(handle, 0, 0x1234), FT_EEPROM_NOT_PRESENT) << "no word address to wrap to";
    EXPECT_EQ(FT_EraseEE(handle), FT_EEPROM_NOT_PRESENT);
    EXPECT_EQ(FT_ReadEE(handle, 0, &word), FT_EEPROM_NOT_PRESENT) << "once told, the open knows";
}

}  // namespace
}  // namespace kestrom::virtualchip
