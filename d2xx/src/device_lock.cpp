#include "device_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>

namespace kestrom::d2xx {
namespace {

// Keys hold paths and bus addresses; a file name keeps a readable, escaped head of
// the key and a hash of all of it, so that long keys still differ and fit NAME_MAX.
std::string lockFileName(std::string_view key) {
    uint64_t hash = 0xcbf29ce484222325ULL;  // FNV-1a
    for (const char c : key) {
        hash = (hash ^ static_cast<unsigned char>(c)) * 0x100000001b3ULL;
    }
    std::string name = "kestrom-";
    constexpr size_t kReadable = 80;
    for (const char c : key.substr(0, kReadable)) {
        const auto u = static_cast<unsigned char>(c);
        name += std::isalnum(u) || c == '-' || c == '.' ? c : '_';
    }
    char digest[17];
    std::snprintf(digest, sizeof digest, "%016llx", static_cast<unsigned long long>(hash));
    return name + "-" + digest + ".lock";
}

// Opens the lock file without truncating or taking over another user's file: an
// existing one is opened as it is (read access is enough for flock), a missing one made.
// Another open may make and remove the file between these steps; it is then looked
// for again. -1 with errno when it cannot be opened: EEXIST when it kept coming and
// going, anything else when the folder has no room for it.
int openLockFile(const std::string &path, int attempts) {
    for (int attempt = 0; attempt < attempts; ++attempt) {
        int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
        if (fd >= 0 || errno != ENOENT) return fd;
        fd = ::open(path.c_str(), O_RDONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW,
                    S_IRUSR | S_IWUSR | S_IRGRP | S_IROTH);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    errno = EEXIST;
    return -1;
}

bool sameFile(int fd, const std::string &path) {
    struct stat held {
    }, named{};
    return ::fstat(fd, &held) == 0 && ::lstat(path.c_str(), &named) == 0 && held.st_dev == named.st_dev &&
           held.st_ino == named.st_ino;
}

enum class Outcome { Held, Busy, Unusable };

// Locks the file at `path` into `fd`. Locks belong to the open file description, so a
// second open in this process is refused just as one from another process is. A
// holder removes the file as it lets go: a lock taken on a file just removed holds
// nothing, and is taken again on the file the path names now.
Outcome lockAt(const std::string &path, int &fd) {
    constexpr int kAttempts = 8;
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        fd = openLockFile(path, kAttempts);
        // A file that keeps coming and going is in use; only a folder without room for
        // it sends the lock elsewhere, or two opens could hold the device in two places.
        if (fd < 0) return errno == EEXIST ? Outcome::Busy : Outcome::Unusable;
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            ::close(fd);
            return Outcome::Busy;
        }
        if (sameFile(fd, path)) return Outcome::Held;
        ::close(fd);
    }
    return Outcome::Busy;  // others keep taking and releasing it
}

}  // namespace

std::unique_ptr<DeviceLock> DeviceLock::acquire(std::string_view key) {
    const std::string name = lockFileName(key);
    const char *runtime = std::getenv("XDG_RUNTIME_DIR");
    for (const std::string &folder : {std::string(runtime != nullptr ? runtime : ""), std::string("/tmp")}) {
        if (folder.empty()) continue;
        std::string path = folder + "/" + name;
        int fd = -1;
        switch (lockAt(path, fd)) {
            case Outcome::Held:
                return std::unique_ptr<DeviceLock>(new DeviceLock(fd, std::move(path)));
            case Outcome::Busy:
                return nullptr;
            case Outcome::Unusable:
                continue;  // try the next folder
        }
    }
    return nullptr;
}

DeviceLock::~DeviceLock() {
    ::unlink(path_.c_str());  // still held: nobody else can hold this file now
    ::close(fd_);
}

}  // namespace kestrom::d2xx
