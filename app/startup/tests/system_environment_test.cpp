// What the start-up learns from the system it runs on.
#include "system_environment.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <QDir>
#include <cstdlib>
#include <optional>
#include <string>

using namespace kestrom::startup;

namespace {

// Sets an environment variable for one scope; unset when `value` is null.
class Variable {
public:
    Variable(const char *name, const char *value) : name_(name) {
        if (const char *old = std::getenv(name)) old_ = old;
        value != nullptr ? setenv(name, value, 1) : unsetenv(name);
    }
    ~Variable() { old_ ? setenv(name_, old_->c_str(), 1) : unsetenv(name_); }

private:
    const char *name_;
    std::optional<std::string> old_;
};

}  // namespace

TEST(SystemEnvironment, OnlyWindowsHasAVersionToCheck) {
#ifdef _WIN32
    ASSERT_TRUE(windowsMajorVersion().has_value());
    EXPECT_GE(*windowsMajorVersion(), 5);
#else
    EXPECT_EQ(std::nullopt, windowsMajorVersion());
#endif
}

#ifndef _WIN32
TEST(SystemEnvironment, TheSystemLibraryFolderAndTheLockFollowTheEnvironment) {
    {
        Variable libdir("KESTROM_SYSTEM_LIBDIR", "/opt/ftdi/lib");
        EXPECT_EQ("/opt/ftdi/lib", systemLibraryFolder());
    }
    for (const char *unset : {"", static_cast<const char *>(nullptr)}) {
        Variable libdir("KESTROM_SYSTEM_LIBDIR", unset);
        EXPECT_EQ("/usr/local/lib/", systemLibraryFolder());
    }
    const QString ownLock = QStringLiteral("kestrom-%1.lock").arg(getuid());
    {
        Variable runtime("XDG_RUNTIME_DIR", "/run/user/4242");
        EXPECT_EQ(QStringLiteral("/run/user/4242/") + ownLock, instanceLockPath());
    }
    Variable runtime("XDG_RUNTIME_DIR", nullptr);
    EXPECT_EQ(QDir::tempPath() + u'/' + ownLock, instanceLockPath());
}
#endif
