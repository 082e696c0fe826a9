#include "startup_checks.h"

#include <utility>

#include "dialogs.h"
#include "library_files.h"
#include "program_folder.h"
#include "system_environment.h"

namespace kestrom::startup {

namespace {

constexpr int kFirstSupportedWindows = 5;

using dialogs::MessageIcon;

void say(MessageIcon icon, const QString &text, const QString &title = {}) {
    dialogs::programDialogs().inform(nullptr, icon, text, {}, title);
}

}  // namespace

Environment programEnvironment() {
    return {platform::programFolder(), systemLibraryFolder(), instanceLockPath(), windowsMajorVersion()};
}

StartupChecks::StartupChecks(Environment environment)
    : environment_(std::move(environment)), lock_(environment_.lockFile) {
    lock_.setStaleLockTime(0);  // only a lock whose owner has died is stale, however long it ran
}

bool StartupChecks::run() {
    if (anotherInstanceRuns()) {
        say(MessageIcon::Warning, QStringLiteral("Aplikace už jednou běží!"));
        return false;
    }
    if (environment_.windowsMajorVersion && *environment_.windowsMajorVersion < kFirstSupportedWindows) {
        say(MessageIcon::Error, QStringLiteral("Lituji, ale program je určen jen pro systém  Win2000 a vyšší!"),
            QStringLiteral("Nesprávný Systém"));
        return false;
    }
    if (!ensureDriver(environment_.programFolder, environment_.systemFolder)) {
        say(MessageIcon::None, QStringLiteral("Is not install driver for FTDI"));
        return false;
    }
    mirrorRomgate(environment_.programFolder, environment_.systemFolder);
    return true;
}

// A lock that cannot even be created (no writable folder) proves nothing: the
// program then runs rather than refuse for a reason that is not true.
bool StartupChecks::anotherInstanceRuns() {
    return !lock_.tryLock(0) && lock_.error() == QLockFile::LockFailedError;
}

bool loadRomgate(platform::RomgateBinding &romgate) {
    if (romgate.load()) return true;
    say(MessageIcon::Error, QString::fromStdString(romgate.message()));
    return false;
}

}  // namespace kestrom::startup
