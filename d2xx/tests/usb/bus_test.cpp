// Chips on one bus work side by side, as on a real hub: a chip that takes its time
// over a transfer holds up only the program talking to it, not the transfers of
// the other chips.
#include <chrono>
#include <future>
#include <string>
#include <thread>

#include "usb_fixture.h"

namespace kestrom::virtualchip {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

class VirtualBus : public VirtualUsb {
protected:
    FT_HANDLE openBySerial(const std::string &serial) {
        FT_HANDLE handle = nullptr;
        for (uint32_t index = 0; index < 2 && handle == nullptr; ++index) {
            if (listed(index, true) != serial) continue;
            EXPECT_EQ(FT_Open(int(index), &handle), FT_OK) << serial;
        }
        return handle;
    }
};

template <typename Step>
milliseconds timed(Step step) {
    const auto start = Clock::now();
    step();
    return std::chrono::duration_cast<milliseconds>(Clock::now() - start);
}

TEST_F(VirtualBus, AChipInItsWriteCycleHoldsUpNoOtherChipsTransfers) {
    constexpr milliseconds kCycle{1000};
    VirtualChip &slow = plug({ChipKind::FT232BM, 64, programmedImage(FT_DEVICE_BM, 64, "SLOW0001")},
                             FaultPlan().writeTime(kCycle));
    VirtualChip &quick = plug({ChipKind::FT232BM, 64, programmedImage(FT_DEVICE_BM, 64, "QUICK001")});
    FT_HANDLE slowHandle = openBySerial("SLOW0001"), quickHandle = openBySerial("QUICK001");
    ASSERT_TRUE(slowHandle != nullptr && quickHandle != nullptr);

    auto write = std::async(std::launch::async, [&] {
        return timed([&] { EXPECT_EQ(FT_WriteEE(slowHandle, 0x3F, 0x1234), FT_OK); });
    });
    // Once the slow chip has the word, the other is read through while it writes it.
    const auto asked = Clock::now();
    while (slow.transfers("WRITE_EEPROM") == 0 && Clock::now() - asked < kCycle)
        std::this_thread::sleep_for(milliseconds(1));
    ASSERT_EQ(slow.transfers("WRITE_EEPROM"), 1u);
    uint16_t word = 0;
    EXPECT_EQ(FT_ReadEE(quickHandle, 0x3F, &word), FT_OK);
    EXPECT_GT(quick.transfers("READ_EEPROM"), 0u);
    EXPECT_EQ(write.wait_for(milliseconds(0)), std::future_status::timeout)
        << "the read waited for the other chip's write cycle, or the cycle was cut short";
    EXPECT_GE(write.get(), kCycle);
    EXPECT_EQ(slow.eeprom()[0x3F], 0x1234);

    FT_Close(quickHandle);
    FT_Close(slowHandle);
}

}  // namespace
}  // namespace kestrom::virtualchip
