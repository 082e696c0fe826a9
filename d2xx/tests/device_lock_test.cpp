// One holder per device, in this process and across processes: a second FT_Open
// answers 3 until the holder closes the device or dies.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <iterator>
#include <string>

#include "ftd2xx.h"
#include "sim_fixture.h"

namespace {

// A child process that opens device 0, says so on a pipe, and waits to be killed.
class Holder {
public:
    Holder() {
        int ready[2];
        if (pipe(ready) != 0) return;
        pid_ = fork();
        if (pid_ == 0) {
            FT_HANDLE handle = nullptr;
            const char status = static_cast<char>(FT_Open(0, &handle));
            if (write(ready[1], &status, 1) != 1) _exit(1);
            pause();
            _exit(0);
        }
        close(ready[1]);
        if (read(ready[0], &status_, 1) != 1) status_ = -1;
        close(ready[0]);
    }
    ~Holder() { kill(); }
    // What the child's FT_Open answered.
    int status() const { return status_; }
    void kill() {
        if (pid_ <= 0) return;
        ::kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
        pid_ = -1;
    }

private:
    pid_t pid_ = -1;
    char status_ = -1;
};

class DeviceLock : public SimFixture {
protected:
    static size_t filesIn(const std::filesystem::path &folder) {
        const std::filesystem::directory_iterator files(folder);
        return static_cast<size_t>(std::distance(begin(files), end(files)));
    }
    size_t lockFiles() const { return filesIn(path("runtime")); }
};

}  // namespace

TEST_F(DeviceLock, OneHolderInThisProcessUntilItCloses) {
    writeDevices("[a]\nchip = BM\n[b]\nchip = BM\nfail.FT_Close = 4\n");
    FT_HANDLE first = open(0), second = nullptr;
    EXPECT_EQ(FT_Open(0, &second), FT_DEVICE_NOT_OPENED);
    EXPECT_EQ(second, nullptr);
    FT_HANDLE other = open(1);  // another device of the same file is free
    EXPECT_EQ(lockFiles(), 2u);
    ASSERT_EQ(FT_Close(first), FT_OK);
    EXPECT_EQ(lockFiles(), 1u) << "a holder removes its lock file as it lets go";
    EXPECT_EQ(FT_Open(0, &second), FT_OK);
    EXPECT_EQ(FT_Close(second), FT_OK);

    // Nothing is left open however often a program opens and closes (as its timer does).
    const size_t descriptors = filesIn("/proc/self/fd");
    for (int i = 0; i < 20; ++i) FT_Close(open(0));
    EXPECT_EQ(filesIn("/proc/self/fd"), descriptors);

    // A failing close still lets the device go.
    EXPECT_EQ(FT_Close(other), 4u);
    EXPECT_EQ(FT_Open(1, &second), FT_OK);
    FT_Close(second);

    // The same section in another devices file is another device, also when the two
    // paths differ only far into a long name.
    const std::string folder(120, 'f');
    std::filesystem::create_directory(path(folder));
    writeBytes(folder + "/1.ini", "[a]\nchip = BM\n");
    writeBytes(folder + "/2.ini", "[a]\nchip = BM\n");
    for (const char *held : {"devices.ini", "/1.ini"}) {
        SCOPED_TRACE(held);
        useDevicesFile(*held == '/' ? folder + held : held);
        first = open(0);
        useDevicesFile(folder + "/2.ini");
        EXPECT_EQ(FT_Open(0, &second), FT_OK);
        FT_Close(first), FT_Close(second);
    }
}

TEST_F(DeviceLock, AnotherProcessWaitsUntilTheHolderClosesOrDies) {
    writeDevices("[a]\nchip = BM\n");
    FT_HANDLE mine = open();
    {
        Holder refused;
        EXPECT_EQ(refused.status(), FT_DEVICE_NOT_OPENED);
    }
    ASSERT_EQ(FT_Close(mine), FT_OK);

    Holder holder;
    ASSERT_EQ(holder.status(), FT_OK);
    FT_HANDLE handle = nullptr;
    EXPECT_EQ(FT_Open(0, &handle), FT_DEVICE_NOT_OPENED);
    holder.kill();  // no FT_Close: the kernel lets the device go
    EXPECT_EQ(lockFiles(), 1u);
    EXPECT_EQ(FT_Open(0, &handle), FT_OK);
    FT_Close(handle);
    EXPECT_EQ(lockFiles(), 0u);
}
