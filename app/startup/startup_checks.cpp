#include "startup_checks.h"

#include <QCoreApplication>
#include <utility>

#include "dialogs.h"
#include "driver_library.h"
#include "program_folder.h"
#include "system_environment.h"

namespace kestrom::startup {

namespace {

constexpr int kFirstSupportedWindows = 5;

using dialogs::MessageIcon;

void say(MessageIcon icon, const QString &text, const QString &title = {}, const QString &detail = {}) {
    dialogs::programDialogs().inform(nullptr, icon, text, detail, title);
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
        say(MessageIcon::Warning, QCoreApplication::translate("Startup", "Aplikace už jednou běží!"));
        return false;
    }
    if (environment_.windowsMajorVersion && *environment_.windowsMajorVersion < kFirstSupportedWindows) {
        say(MessageIcon::Error,
            QCoreApplication::translate("Startup",
                                        "Lituji, ale program je určen jen pro systém  Win2000 a vyšší!"),
            QCoreApplication::translate("Startup", "Nesprávný Systém"));
        return false;
    }
    if (const std::optional<QString> missing =
            findDriver(environment_.programFolder, environment_.systemFolder)) {
        say(MessageIcon::None, QCoreApplication::translate("Startup", "Is not install driver for FTDI"), {},
            *missing);
        return false;
    }
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
