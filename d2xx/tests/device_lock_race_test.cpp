// The device lock when another program makes its lock file and lets it go again
// between two steps of this open, as happens now and then when two programs poll
// one device: the lock is looked for again in its place, never taken somewhere else,
// where a second holder would not see it.
#include <dlfcn.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "device_lock.h"

namespace {

// Armed, the next exclusive creation of a lock file finds it made by another program
// which, by the time this one looks again, has removed it.
std::atomic<bool> otherSlipsIn{false};

int systemOpen(const char *path, int flags, int mode) {
    static const auto next = reinterpret_cast<int (*)(const char *, int, ...)>(dlsym(RTLD_NEXT, "open"));
    return next(path, flags, mode);
}

}  // namespace

extern "C" int open(const char *path, int flags, ...) {
    int mode = 0;
    if ((flags & O_CREAT) != 0) {
        va_list arguments;
        va_start(arguments, flags);
        mode = va_arg(arguments, int);
        va_end(arguments);
    }
    if ((flags & O_EXCL) != 0 && std::strstr(path, "/kestrom-") != nullptr && otherSlipsIn.exchange(false)) {
        errno = EEXIST;
        return -1;
    }
    return systemOpen(path, flags, mode);
}

TEST(DeviceLockRace, ALockFileThatCameAndWentIsTakenInItsPlaceByOneHolderOnly) {
    char folder[] = "/tmp/kestrom-race-test-XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    setenv("XDG_RUNTIME_DIR", folder, 1);
    otherSlipsIn = true;
    {
        const auto first = kestrom::d2xx::DeviceLock::acquire("race");
        ASSERT_NE(first, nullptr);
        EXPECT_FALSE(otherSlipsIn) << "the other program came and went";
        EXPECT_FALSE(std::filesystem::is_empty(folder)) << "held in its own place";
        EXPECT_FALSE(kestrom::d2xx::DeviceLock::acquire("race")) << "a second holder";
    }
    EXPECT_TRUE(kestrom::d2xx::DeviceLock::acquire("race")) << "free once the holder lets go";
    unsetenv("XDG_RUNTIME_DIR");
    std::filesystem::remove_all(folder);
}
