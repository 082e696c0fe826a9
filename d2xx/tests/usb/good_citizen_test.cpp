// The USB backend leaves the chip to its owners: the kernel's serial driver keeps
// every port through everything Kestrom does (the user's /dev/ttyUSB0 stays), the
// port's latency timer is put back after a write, and one open holds a chip at a
// time, across processes, until its holder closes it or dies.
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include "romgate.h"
#include "usb_fixture.h"

extern char **environ;

namespace kestrom::virtualchip {
namespace {

// usb_holder (another process, under the same preload and testbed) holding device 0.
class Holder {
public:
    Holder() {
        int in[2], out[2];
        if (pipe(in) != 0 || pipe(out) != 0) return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, in[0], STDIN_FILENO);
        posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
        for (const int fd : {in[0], in[1], out[0], out[1]}) posix_spawn_file_actions_addclose(&actions, fd);
        char program[] = USB_HOLDER;
        char *argv[] = {program, nullptr};
        if (posix_spawn(&pid_, program, &actions, nullptr, argv, environ) != 0) pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
        ::close(in[0]);
        ::close(out[1]);
        input_ = in[1];
        output_ = out[0];
    }
    ~Holder() {
        release();
        finish();
    }

    // The status its FT_Open answered.
    FT_STATUS opened() {
        std::string line;
        char c = 0;
        while (::read(output_, &c, 1) == 1 && c != '\n') line += c;
        return line.empty() ? FT_STATUS{FT_OTHER_ERROR} : static_cast<FT_STATUS>(std::stoul(line));
    }
    void release() {
        if (input_ >= 0) ::close(input_);
        input_ = -1;
    }
    // Ends it as a crash would: no FT_Close.
    void crash() {
        if (pid_ > 0) kill(pid_, SIGKILL);
        finish();
    }

private:
    void finish() {
        if (pid_ > 0) waitpid(pid_, nullptr, 0);
        pid_ = -1;
        if (output_ >= 0) ::close(output_);
        output_ = -1;
    }
    pid_t pid_ = -1;
    int input_ = -1, output_ = -1;
};

using GoodCitizen = VirtualUsb;

TEST_F(GoodCitizen, SerialPortsStayThroughEveryStepAndTheLatencyTimerIsPutBack) {
    VirtualChip &chip = plug({ChipKind::FT2232C, 128, example("ft2232c.bin")});
    uint32_t count = 0;
    char description[64] = {}, serial[16] = {};
    // Listing, the window's identification and read, a Write, the auto-update tick, an Erase.
    EXPECT_EQ(FT_ListDevices(&count, nullptr, FT_LIST_NUMBER_ONLY), FT_OK);
    EXPECT_EQ(listed(0), "USB FTDI dual port");
    EXPECT_EQ(FT_GetDeviceInfo_(serial, description), ROMGATE_OK);
    EXPECT_EQ(FT_EE_READ_(), ROMGATE_OK);
    EXPECT_EQ(SET_Description_("Kept ports"), ROMGATE_OK);
    EXPECT_EQ(FT_EE_Program_(1), ROMGATE_OK);
    EXPECT_EQ(FT_GetDeviceID_(), 0x04036010);
    EXPECT_EQ(FT_EE_READ_(), ROMGATE_OK);
    EXPECT_EQ(FT_EraseEE_(), ROMGATE_OK);

    EXPECT_EQ(chip.driverDetaches(), 0u);
    EXPECT_TRUE(chip.driverBound(0) && chip.driverBound(1));
    EXPECT_EQ(chip.transfers("SET_LATENCY_TIMER"), 2u) << "set for writing, then put back";
    EXPECT_EQ(chip.latencyTimer(1), 16);
    EXPECT_EQ(chip.transfers("SET_BAUDRATE"), 0u) << "the serial port's settings are not ours";
}

TEST_F(GoodCitizen, OneOpenHoldsAChipUntilItsHolderClosesItOrDies) {
    plug({ChipKind::FT232BM, 64, example("ft232bm.bin")});
    FT_HANDLE mine = open();
    FT_HANDLE second = nullptr;
    EXPECT_EQ(FT_Open(0, &second), FT_DEVICE_NOT_OPENED) << "a second open in this process";
    {
        Holder other;
        EXPECT_EQ(other.opened(), FT_DEVICE_NOT_OPENED) << "an open by another process";
    }
    close(mine);

    Holder holder;
    ASSERT_EQ(holder.opened(), FT_OK) << "free once closed";
    EXPECT_EQ(FT_Open(0, &second), FT_DEVICE_NOT_OPENED);
    holder.crash();
    close(open());  // the kernel dropped the dead holder's lock
}

}  // namespace
}  // namespace kestrom::virtualchip
