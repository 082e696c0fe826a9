// Verified writes on a part that counts its transfers: every written word is read
// back exactly once (the USB floor is one write and one read a word), and a word
// that did not take, even the last one, fails the call.
#include "verified_writes.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

using namespace kestrom::d2xx;

namespace {

class CountingPart final : public Device {
public:
    explicit CountingPart(uint32_t chip, size_t words = 64) : chip_(chip), words_(words, 0x1111) {}

    uint32_t chipType() const override { return chip_; }
    size_t eepromWords() const override { return words_.size(); }
    FT_STATUS info(DeviceInfo &) override { return FT_OK; }
    FT_STATUS readWord(size_t address, uint16_t &value) override {
        ++reads;
        value = words_[address];
        return FT_OK;
    }
    FT_STATUS writeWord(size_t address, uint16_t value) override {
        ++writes;
        if (address != stuck) words_[address] = value;
        return FT_OK;
    }
    FT_STATUS erase() override {
        for (size_t address = 0; address < words_.size(); ++address) {
            if (address != stuck) words_[address] = 0xFFFF;
        }
        return FT_OK;
    }

    size_t reads = 0, writes = 0;
    std::optional<size_t> stuck;

private:
    uint32_t chip_;
    std::vector<uint16_t> words_;
};

}  // namespace

TEST(VerifiedWrites, EachWordIsReadBackOnceAndAWordThatDidNotTakeFails) {
    for (const bool lastStuck : {false, true}) {
        SCOPED_TRACE(lastStuck ? "last word stuck" : "all words take");
        auto part = [lastStuck](uint32_t chip, size_t words) {
            CountingPart made(chip, words);
            if (lastStuck) made.stuck = words - 1;
            return made;
        };
        CountingPart written = part(FT_DEVICE_BM, 64);
        EXPECT_EQ(writeImageVerified(written, std::vector<uint16_t>(64, 0x2222)),
                  lastStuck ? FT_EEPROM_WRITE_FAILED : FT_OK);
        EXPECT_EQ(written.writes, 64u);
        EXPECT_EQ(written.reads, 64u);

        CountingPart erased = part(FT_DEVICE_2232C, 128);
        EXPECT_EQ(eraseVerified(erased), lastStuck ? FT_EEPROM_ERASE_FAILED : FT_OK);
        EXPECT_EQ(erased.reads, 128u);

        CountingPart word = part(FT_DEVICE_BM, 64);
        EXPECT_EQ(writeWordVerified(word, 63, 0x3333), lastStuck ? FT_EEPROM_WRITE_FAILED : FT_OK);
        EXPECT_EQ(word.reads, 1u);
    }
    CountingPart none(FT_DEVICE_BM, 0);
    EXPECT_EQ(eraseVerified(none), FT_EEPROM_NOT_PRESENT);
}
