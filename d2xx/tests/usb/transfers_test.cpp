// What the steps cost on a real chip, where each control transfer takes about a
// millisecond: within one open a word is read once; the part's size is told once
// and then remembered while the program runs; contents never outlive an open.
#include <functional>

#include "romgate.h"
#include "usb_fixture.h"

namespace kestrom::virtualchip {
namespace {

class Transfers : public VirtualUsb {
protected:
    unsigned cost(const std::function<void()> &step) {
        const unsigned before = chip_->totalTransfers();
        step();
        return chip_->totalTransfers() - before;
    }
    VirtualChip *chip_ = nullptr;
};

// The report: the library's read (text), then the hex dump's 128 words in an open of its own.
void report() {
    EXPECT_EQ(FT_EE_READ_(), ROMGATE_OK);
    FT_HANDLE handle = nullptr;
    ASSERT_EQ(FT_Open(0, &handle), FT_OK);
    uint16_t word = 0;
    for (uint32_t offset = 0; offset < 128; ++offset) FT_ReadEE(handle, offset, &word);
    FT_Close(handle);
}

// The window's auto-update tick: identification, the read, identification again.
void tick() {
    char serial[16], description[64];
    EXPECT_EQ(FT_GetDeviceID_(), 0x04036001);
    EXPECT_EQ(FT_GetDeviceInfo_(serial, description), ROMGATE_OK);
    EXPECT_EQ(FT_EE_READ_(), ROMGATE_OK);
    EXPECT_EQ(FT_GetDeviceID_(), 0x04036001);
}

TEST_F(Transfers, EachStepOnA93C46StaysAtItsFloor) {
    chip_ = &plug({ChipKind::FT232BM, 64, example("ft232bm.bin")});
    EXPECT_EQ(cost(report), 192u) << "the first report also tells the size: words 64-127 repeat 0-63";
    EXPECT_EQ(cost(report), 128u) << "64 words in each of its two opens";
    EXPECT_EQ(cost(tick), 64u);
    // Save 64, erase 1, its check 2 (the first and last word that were not blank), write
    // 64, read back 64; setting up the port for writing and putting its latency timer back, 5.
    EXPECT_EQ(cost([] { EXPECT_EQ(FT_EE_Program_(0), ROMGATE_OK); }), 64u + 1 + 2 + 128 + 5);
    // What the chip holds (its own settings are kept for the next program), erase, its check.
    EXPECT_EQ(cost([] { EXPECT_EQ(FT_EraseEE_(), ROMGATE_OK); }), 64u + 1 + 2);
    EXPECT_EQ(cost([] { EXPECT_EQ(FT_EraseEE_(), ROMGATE_OK); }), 64u + 1) << "blank already";
}

TEST_F(Transfers, A93C56IsToldByItsSecondHalfAndABlankPartIsLeftUnsized) {
    chip_ = &plug({ChipKind::FT2232C, 128, example("ft2232c.bin")});
    EXPECT_EQ(cost([] { EXPECT_EQ(FT_EraseEE_(), ROMGATE_OK); }), 256u + 1 + 2)
        << "words 128-255 repeat 0-127";
    EXPECT_EQ(cost([] { EXPECT_EQ(FT_EraseEE_(), ROMGATE_OK); }), 128u + 1) << "the size is remembered";
    // A blank part repeats whatever its size, and a read does not write to tell it:
    // its configuration reads blank, which is all the library's read wants to know.
    newBus();
    chip_ = &plug({ChipKind::FT2232C, 128, {}});
    EXPECT_EQ(cost([] { EXPECT_EQ(FT_EE_READ_(), ROMGATE_PRELIMINARY_FAILED); }), 64u);
    EXPECT_EQ(cost([] { EXPECT_EQ(FT_EE_READ_(), ROMGATE_PRELIMINARY_FAILED); }), 64u);
}

}  // namespace
}  // namespace kestrom::virtualchip
