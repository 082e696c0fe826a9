// What a change costs on a real chip, by the control transfers a virtual one
// answers: within one open the part is read once, only the words that differ from
// it are written and each of those is read back; a word the part did not keep
// makes every word go once more before the call fails; and a read never writes,
// not even to tell a blank part's size.
#include <cstring>
#include <functional>
#include <ostream>
#include <string>

#include "usb_fixture.h"

namespace kestrom::virtualchip {
namespace {

struct EepromTransfers {
    unsigned reads = 0, writes = 0, erases = 0;
    bool operator==(const EepromTransfers &) const = default;
};

std::ostream &operator<<(std::ostream &out, const EepromTransfers &t) {
    return out << t.reads << " reads, " << t.writes << " writes, " << t.erases << " erases";
}

class Writes : public VirtualUsb {
protected:
    EepromTransfers cost(const VirtualChip &chip, const std::function<void()> &step) {
        const EepromTransfers before = of(chip);
        step();
        const EepromTransfers after = of(chip);
        return {after.reads - before.reads, after.writes - before.writes, after.erases - before.erases};
    }

private:
    static EepromTransfers of(const VirtualChip &chip) {
        return {chip.transfers("READ_EEPROM"), chip.transfers("WRITE_EEPROM"),
                chip.transfers("ERASE_EEPROM")};
    }
};

unsigned differing(const std::vector<uint16_t> &a, const std::vector<uint16_t> &b) {
    unsigned words = 0;
    for (size_t i = 0; i < a.size() && i < b.size(); ++i) words += a[i] != b[i];
    return words;
}

FT_STATUS programSerial(FT_HANDLE handle, Record &record, const char *serial) {
    std::strcpy(record.data.SerialNumber, serial);
    return FT_EE_Program(handle, &record.data);
}

const std::vector<uint16_t> kFirst = programmedImage(FT_DEVICE_BM, 64, "KS000001");
const std::vector<uint16_t> kSecond = programmedImage(FT_DEVICE_BM, 64, "KS000002");

TEST_F(Writes, OnlyTheWordsThatDifferAreWrittenAndEachIsReadBackOnce) {
    const VirtualChip &chip = plug({ChipKind::FT232BM, 64, kFirst});
    const unsigned changed = differing(kFirst, kSecond);
    ASSERT_GT(changed, 1u);
    FT_HANDLE handle = open();
    Record record;
    // The read tells the size (words 64-127 repeat 0-63) and serves the program after it.
    EXPECT_EQ(cost(chip, [&] { ASSERT_EQ(FT_EE_Read(handle, &record.data), FT_OK); }),
              (EepromTransfers{128, 0, 0}));
    EXPECT_EQ(cost(chip, [&] { ASSERT_EQ(programSerial(handle, record, "KS000002"), FT_OK); }),
              (EepromTransfers{changed, changed, 0}));
    EXPECT_EQ(chip.eeprom(), kSecond);
    EXPECT_EQ(cost(chip, [&] { ASSERT_EQ(programSerial(handle, record, "KS000002"), FT_OK); }),
              EepromTransfers{})
        << "what the part holds already is not written again";

    EXPECT_EQ(cost(chip, [&] { ASSERT_EQ(FT_WriteEE(handle, 10, kSecond[10]), FT_OK); }), EepromTransfers{});
    EXPECT_EQ(cost(chip, [&] { ASSERT_EQ(FT_WriteEE(handle, 10, 0x1234), FT_OK); }),
              (EepromTransfers{1, 1, 0}));

    // After an erase in the same open a program writes every word, as it always has.
    EXPECT_EQ(FT_EraseEE(handle), FT_OK);
    EXPECT_EQ(cost(chip, [&] { ASSERT_EQ(programSerial(handle, record, "KS000002"), FT_OK); }),
              (EepromTransfers{64, 64, 0}));
    EXPECT_EQ(chip.eeprom(), kSecond);

    // Nothing read outlives the open: the next one reads the part again (its size is remembered).
    close(handle);
    handle = open();
    EXPECT_EQ(cost(chip, [&] { ASSERT_EQ(programSerial(handle, record, "KS000001"), FT_OK); }),
              (EepromTransfers{64 + changed, changed, 0}));
    EXPECT_EQ(chip.eeprom(), kFirst);
}

// An erase is one command that clears the whole part or nothing: once the part was
// read in the open, the first and the last word that did not read blank show whether
// it ran, a part blank already needs no read, and a part that refuses writes fails.
TEST_F(Writes, AnEraseAsksOnlyTheWordsThatShowItRan) {
    std::vector<uint16_t> oneWord(64, 0xFFFF);
    oneWord[5] = 0x1234;
    struct Case {
        const char *name;
        const std::vector<uint16_t> &image;
        FaultPlan faults;
        FT_STATUS status;
        unsigned reads;
    };
    const Case cases[] = {{"programmed", kFirst, {}, FT_OK, 2},
                          {"one word set", oneWord, {}, FT_OK, 1},
                          {"write-protected", kFirst, FaultPlan().writeProtect(), FT_EEPROM_ERASE_FAILED, 1}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        newBus();
        const VirtualChip &chip = plug({ChipKind::FT232BM, 64, c.image}, c.faults);
        FT_HANDLE handle = open();
        uint16_t word = 0;
        for (uint32_t address = 0; address < 128; ++address)
            ASSERT_EQ(FT_ReadEE(handle, address, &word), FT_OK);
        EXPECT_EQ(cost(chip, [&] { EXPECT_EQ(FT_EraseEE(handle), c.status); }),
                  (EepromTransfers{c.reads, 0, 1}));
        EXPECT_EQ(chip.eeprom(), c.status == FT_OK ? std::vector<uint16_t>(64, 0xFFFF) : c.image);
        // What the open now knows of the part is what it holds.
        std::vector<uint16_t> seen(64);
        for (uint32_t address = 0; address < 64; ++address) FT_ReadEE(handle, address, &seen[address]);
        EXPECT_EQ(seen, chip.eeprom());
        close(handle);
        if (c.status != FT_OK) continue;

        handle = open();  // the size is remembered
        EXPECT_EQ(cost(chip, [&] { EXPECT_EQ(FT_EraseEE(handle), FT_OK); }), (EepromTransfers{64, 0, 1}))
            << "the part's words, read to keep its own settings, and no check of a blank part";
        close(handle);
    }
}

TEST_F(Writes, AWordThePartDidNotKeepSendsEveryWordOnceMoreBeforeTheCallFails) {
    const unsigned changed = differing(kFirst, kSecond);
    struct Case {
        const char *name;
        FaultPlan faults;
        FT_STATUS status;
        const std::vector<uint16_t> &after;
    };
    const Case cases[] = {
        {"the first word written is lost", FaultPlan().dropWrites(1), FT_OK, kSecond},
        {"write-protected", FaultPlan().writeProtect(), FT_EEPROM_WRITE_FAILED, kFirst},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        newBus();
        const VirtualChip &chip = plug({ChipKind::FT232BM, 64, kFirst}, c.faults);
        FT_HANDLE handle = open();
        Record record;
        ASSERT_EQ(FT_EE_Read(handle, &record.data), FT_OK);
        const EepromTransfers spent =
            cost(chip, [&] { EXPECT_EQ(programSerial(handle, record, "KS000002"), c.status); });
        EXPECT_EQ(spent.writes, changed + 64);
        EXPECT_EQ(chip.eeprom(), c.after);
        if (c.status == FT_OK) continue;
        // The other changes of a write-protected part fail as well.
        EXPECT_EQ(FT_WriteEE(handle, 10, 0x1234), FT_EEPROM_WRITE_FAILED);
        EXPECT_EQ(FT_EraseEE(handle), FT_EEPROM_ERASE_FAILED);
        EXPECT_EQ(chip.eeprom(), kFirst);
    }
}

TEST_F(Writes, AReadNeverWritesAndAChangeTellsABlankPartsSize) {
    for (const size_t words : {size_t{64}, size_t{128}}) {
        SCOPED_TRACE(testing::Message() << "a blank part of " << words << " words");
        newBus();
        VirtualChip &chip = plug({ChipKind::FT232BM, words, {}});
        // Every read-only call, twice, in two opens: the part stays blank and unsized.
        for (int pass = 0; pass < 2; ++pass) {
            FT_HANDLE handle = open();
            Record record;
            uint32_t userArea = 0;
            uint16_t word = 0;
            EXPECT_EQ(FT_EE_Read(handle, &record.data), FT_EEPROM_NOT_PROGRAMMED);
            EXPECT_EQ(FT_EE_UASize(handle, &userArea), FT_EEPROM_NOT_PROGRAMMED);
            for (uint32_t offset = 0; offset <= 0xFF; ++offset) {
                ASSERT_EQ(FT_ReadEE(handle, offset, &word), FT_OK);
                ASSERT_EQ(word, 0xFFFF);
            }
            close(handle);
        }
        EXPECT_EQ(chip.transfers("READ_EEPROM"), 2 * 256u) << "every address once in each open";
        for (const char *request : {"WRITE_EEPROM", "ERASE_EEPROM", "RESET", "SET_LATENCY_TIMER"})
            EXPECT_EQ(chip.transfers(request), 0u) << request;

        // A program lays the image out for the part's size, told by the marker and blanked again.
        FT_HANDLE handle = open();
        Record record;
        d2xx::EepromContents wanted = d2xx::chipDefaults(FT_DEVICE_BM);
        d2xx::fillRecord(wanted, record.data);
        const std::vector<uint16_t> expected = encoded(FT_DEVICE_BM, words, wanted);
        const unsigned written = differing(std::vector<uint16_t>(words, 0xFFFF), expected);
        const EepromTransfers spent =
            cost(chip, [&] { ASSERT_EQ(FT_EE_Program(handle, &record.data), FT_OK); });
        EXPECT_EQ(spent.writes, 2 + written);
        // The first 64 words, the two where the marker can land, the marker found and
        // its word read again, and each word written.
        if (words == 64) {
            EXPECT_EQ(spent.reads, 64 + 4 + written);
        }
        EXPECT_EQ(spent.erases, 0u);
        EXPECT_EQ(chip.eeprom(), expected);
    }
}

}  // namespace
}  // namespace kestrom::virtualchip
