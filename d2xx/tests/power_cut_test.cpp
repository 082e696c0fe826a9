// crash.NAME in the devices file: the process ends like a power cut (exit status 137,
// nothing flushed) before, halfway through or after that call, and the image file
// holds what the EEPROM would: the old words, half of the new ones, or all of them.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "ftd2xx.h"
#include "sim_fixture.h"

namespace {

using Call = FT_STATUS (*)(FT_HANDLE);

FT_STATUS programPower(FT_HANDLE handle) {
    char manufacturer[36], manufacturerId[20], description[68], serial[20];
    FT_PROGRAM_DATA data{};
    data.Signature2 = 0xFFFFFFFF, data.Version = 0;
    data.Manufacturer = manufacturer, data.ManufacturerId = manufacturerId;
    data.Description = description, data.SerialNumber = serial;
    if (const FT_STATUS status = FT_EE_Read(handle, &data); status != FT_OK) return status;
    data.MaxPower = 500;  // changes word 4, and the checksum in word 63
    return FT_EE_Program(handle, &data);
}
FT_STATUS writeOne(FT_HANDLE handle) {
    return FT_WriteEE(handle, 5, 0xABCD);
}
FT_STATUS readOne(FT_HANDLE handle) {
    uint16_t word = 0;
    return FT_ReadEE(handle, 5, &word);
}

class PowerCut : public SimFixture {
protected:
    void useBm(const std::string &extra) { writeDevices("[bm]\nchip = BM\neeprom = bm.bin\n" + extra); }
    // Opens device 0 (or the one at `port`), runs `call`, closes, in a child process whose
    // buffered standard output goes to "stdout.txt". Its exit status: 137 after a power cut, else 0.
    int inChild(Call call, const char *port = nullptr) {
        const pid_t child = fork();
        if (child == 0) {
            if (std::freopen(path("stdout.txt").c_str(), "w", stdout) == nullptr) _exit(1);
            std::printf("unflushed");
            FT_HANDLE handle = nullptr;
            if ((port == nullptr ? FT_Open(0, &handle) : KT_OpenByPort(port, &handle)) == FT_OK) {
                call(handle);
                FT_Close(handle);
            }
            std::fflush(stdout);
            _exit(0);
        }
        int status = -1;
        waitpid(child, &status, 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    // The image the uncut call leaves behind, starting from `start`.
    std::string imageAfter(Call call, const std::string &start) {
        writeBytes("bm.bin", start);
        useBm("");
        EXPECT_EQ(inChild(call), 0);
        return readBytes("bm.bin");
    }
};

}  // namespace

TEST_F(PowerCut, TheImageHoldsWhatWasWrittenWhenThePowerWent) {
    copyExample("ft232bm.bin", "bm.bin");
    const std::string programmed = readBytes("bm.bin");
    const struct {
        const char *call;
        Call run;
    } calls[] = {{"FT_EE_Program", programPower}, {"FT_EraseEE", FT_EraseEE}, {"FT_WriteEE", writeOne}};
    for (const auto &c : calls) {
        const std::string done = imageAfter(c.run, programmed);
        ASSERT_NE(done, programmed) << c.call;
        // Halfway: the first 32 of the 64 words are new. A single word is torn: low byte new.
        std::string half = std::string(c.call) == "FT_WriteEE"
                               ? programmed.substr(0, 10) + done[10] + programmed.substr(11)
                               : done.substr(0, 64) + programmed.substr(64);
        ASSERT_TRUE(half != programmed && half != done) << c.call << ": the halfway image is neither";
        for (const auto &[moment, image] :
             {std::pair{"before", programmed}, std::pair{"during", half}, std::pair{"after", done}}) {
            SCOPED_TRACE(std::string(c.call) + " " + moment);
            writeBytes("bm.bin", programmed);
            useBm(std::string("crash.") + c.call + " = " + moment + "\n");
            EXPECT_EQ(inChild(c.run), 137);
            EXPECT_EQ(readBytes("bm.bin"), image);
            EXPECT_EQ(readBytes("stdout.txt"), "") << "nothing flushed";
        }
    }
}

TEST_F(PowerCut, AnyCallCanLoseThePowerOnlyTheDeviceNamedAndTheLockGoesWithIt) {
    copyExample("ft232bm.bin", "bm.bin");
    const std::string image = readBytes("bm.bin");
    for (const char *entry : {"crash.FT_Open = before", "crash.FT_Open = after", "crash.FT_ReadEE = after",
                              "crash.FT_Close = before", "crash.FT_Close = after"}) {
        useBm(std::string(entry) + "\n");
        EXPECT_EQ(inChild(readOne), 137) << entry;
        EXPECT_EQ(inChild(readOne, "bm"), 137) << entry << ", opened by its port";
    }
    // An open that fails still reaches the moment after it, by index or by port.
    useBm("fail.FT_Open = 4\ncrash.FT_Open = after\n");
    EXPECT_EQ(inChild(readOne), 137);
    EXPECT_EQ(inChild(readOne, "bm"), 137);
    EXPECT_EQ(readBytes("bm.bin"), image);
    writeDevices("[bm]\nchip = BM\neeprom = bm.bin\n[other]\nchip = BM\ncrash.FT_Open = before\n");
    EXPECT_EQ(inChild(writeOne), 0);
    EXPECT_EQ(FT_Close(open()), FT_OK);
}
