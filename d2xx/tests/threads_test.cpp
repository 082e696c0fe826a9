// Threads of one program on the D2XX calls, as a production line has them: calls on
// different devices run side by side, calls on one handle take turns, and a device
// is still held by one open at a time.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "ftd2xx.h"
#include "sim_fixture.h"

namespace {

using namespace std::chrono_literals;

class DeviceThreads : public SimFixture {
protected:
    // Blank FT232BM boards b0, b1, ... with their images in b0.bin, ...; `slow` is added to b0.
    void boards(int count, const std::string &slow = "") {
        std::string ini;
        for (int i = 0; i < count; ++i) {
            const std::string name = "b" + std::to_string(i);
            ini += "[" + name + "]\nchip = BM\neeprom = " + name + ".bin\n" + (i == 0 ? slow : "");
        }
        writeDevices(ini);
    }
};

}  // namespace

TEST_F(DeviceThreads, ASlowCallOnOneDeviceHoldsUpNoOtherAndACloseWaitsForTheCallOnItsHandle) {
    constexpr auto kDelay = 1500ms;
    boards(2, "delay.FT_WriteEE = 1500\n");
    FT_HANDLE slow = open(0);
    // A flag the writer sets after its call returns would race the main thread's next
    // call on the handle, so the waits are told by the clock: neither can end before
    // the slow write, which started after `started`, had its delay.
    const auto waitedForTheWrite = [&](std::chrono::steady_clock::time_point started) {
        return std::chrono::steady_clock::now() - started >= kDelay;
    };
    auto started = std::chrono::steady_clock::now();
    std::atomic<bool> written = false;
    std::thread writer([&] {
        EXPECT_EQ(FT_OK, FT_WriteEE(slow, 3, 0x1234));
        written = true;
    });
    std::this_thread::sleep_for(100ms);  // the write is under way

    // Meanwhile the other board is listed, opened, written, read and closed.
    uint32_t count = 0;
    EXPECT_EQ(FT_OK, FT_ListDevices(&count, nullptr, FT_LIST_NUMBER_ONLY));
    EXPECT_EQ(2u, count);
    FT_HANDLE other = nullptr, again = nullptr;
    ASSERT_EQ(FT_OK, FT_Open(1, &other));
    EXPECT_EQ(FT_OK, FT_WriteEE(other, 3, 0x5678));
    EXPECT_EQ(0x5678, readWord(other, 3));
    EXPECT_EQ(FT_OK, FT_Close(other));
    EXPECT_EQ(FT_DEVICE_NOT_OPENED, FT_Open(0, &again)) << "still one holder";
    EXPECT_FALSE(written) << "the other board waited for the slow one";

    // A read on the same handle takes its turn after the write and sees all of it.
    EXPECT_EQ(0x1234, readWord(slow, 3));
    EXPECT_TRUE(waitedForTheWrite(started));
    writer.join();

    // A close from another thread lets the call at work on the handle finish first;
    // the handle is gone afterwards.
    started = std::chrono::steady_clock::now();
    writer = std::thread([&] { EXPECT_EQ(FT_OK, FT_WriteEE(slow, 4, 0x9ABC)); });
    std::this_thread::sleep_for(100ms);
    EXPECT_EQ(FT_OK, FT_Close(slow));
    EXPECT_TRUE(waitedForTheWrite(started));
    writer.join();
    uint16_t word = 0;
    EXPECT_EQ(FT_INVALID_HANDLE, FT_ReadEE(slow, 4, &word));
    FT_HANDLE reopened = open(0);
    EXPECT_EQ(0x9ABC, readWord(reopened, 4));
}

TEST_F(DeviceThreads, BoardsProgrammedAtOnceKeepEveryWordAndOneBoardHasOneHolder) {
    constexpr int kBoards = 4, kRounds = 20, kShared = kBoards;  // the last board is everyone's
    boards(kBoards + 1);
    std::vector<std::thread> threads;
    std::atomic<int> odd = 0;  // a status other than the ones below
    for (int board = 0; board < kBoards; ++board) {
        threads.emplace_back([board, &odd] {
            for (int round = 0; round < kRounds; ++round) {
                uint32_t count = 0;
                odd += FT_ListDevices(&count, nullptr, FT_LIST_NUMBER_ONLY) != FT_OK || count != kBoards + 1;
                for (const int index : {board, kShared}) {
                    FT_HANDLE handle = nullptr;
                    const FT_STATUS opened = FT_Open(index, &handle);
                    if (opened == FT_DEVICE_NOT_OPENED && index == kShared) continue;  // another holds it
                    odd += opened != FT_OK;
                    if (opened != FT_OK) continue;
                    const auto address = static_cast<uint32_t>(index == kShared ? 32 + board : round);
                    const auto value = static_cast<uint16_t>(board << 8 | round);
                    uint16_t back = 0;
                    odd += FT_WriteEE(handle, address, value) != FT_OK;
                    odd += FT_ReadEE(handle, address, &back) != FT_OK || back != value;
                    odd += FT_Close(handle) != FT_OK;
                }
            }
        });
    }
    for (std::thread &thread : threads) thread.join();
    EXPECT_EQ(0, odd);
    for (int board = 0; board < kBoards; ++board) {
        FT_HANDLE handle = open(board);
        for (int round = 0; round < kRounds; ++round)
            EXPECT_EQ(board << 8 | round, readWord(handle, uint32_t(round))) << "board " << board;
        FT_Close(handle);
    }
}
