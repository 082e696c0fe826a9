#include "device_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

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
int openLockFile(const std::string &path) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0 && errno == ENOENT) {
        fd = ::open(path.c_str(), O_RDONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0644);
        if (fd < 0 && errno == EEXIST) fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    }
    return fd;
}

}  // namespace

std::unique_ptr<DeviceLock> DeviceLock::acquire(std::string_view key) {
    const std::string name = lockFileName(key);
    const char *runtime = std::getenv("XDG_RUNTIME_DIR");
    for (const std::string &folder : {std::string(runtime != nullptr ? runtime : ""), std::string("/tmp")}) {
        if (folder.empty()) continue;
        const int fd = openLockFile(folder + "/" + name);
        if (fd < 0) continue;  // folder unusable: try the next
        // Locks belong to the open file description, so a second open in this process
        // is refused just as one from another process is.
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) return std::unique_ptr<DeviceLock>(new DeviceLock(fd));
        ::close(fd);
        return nullptr;
    }
    return nullptr;
}

DeviceLock::~DeviceLock() {
    ::close(fd_);
}

}  // namespace kestrom::d2xx
