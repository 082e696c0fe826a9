#include "startup_checks.h"

#include <utility>

#include "library_files.h"
#include "program_folder.h"
#include "system_environment.h"

namespace kestrom::startup {

namespace {

constexpr int kFirstSupportedWindows = 5;

}  // namespace

Environment programEnvironment() {
    return {platform::programFolder(), systemLibraryFolder(), instanceLockPath(), windowsMajorVersion()};
}

StartupChecks::StartupChecks(Environment environment, MessageBoxes &boxes)
    : environment_(std::move(environment)), boxes_(boxes), lock_(environment_.lockFile) {
    lock_.setStaleLockTime(0);  // only a lock whose owner has died is stale, however long it ran
}

bool StartupChecks::run() {
    if (anotherInstanceRuns()) {
        boxes_.show(MessageIcon::Warning, applicationTitle(), QStringLiteral("Aplikace už jednou běží!"));
        return false;
    }
    if (environment_.windowsMajorVersion && *environment_.windowsMajorVersion < kFirstSupportedWindows) {
        boxes_.show(MessageIcon::Error, QStringLiteral("Nesprávný Systém"),
                    QStringLiteral("Lituji, ale program je určen jen pro systém  Win2000 a vyšší!"));
        return false;
    }
    if (!ensureDriver(environment_.programFolder, environment_.systemFolder)) {
        boxes_.show(MessageIcon::None, applicationTitle(), QStringLiteral("Is not install driver for FTDI"));
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

bool loadRomgate(platform::RomgateBinding &romgate, MessageBoxes &boxes) {
    if (romgate.load()) return true;
    boxes.show(MessageIcon::Error, applicationTitle(), QString::fromStdString(romgate.message()));
    return false;
}

}  // namespace kestrom::startup
