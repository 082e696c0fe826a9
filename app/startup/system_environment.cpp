#include "system_environment.h"

#include <QDir>
#include <QOperatingSystemVersion>
#include <cstdlib>

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace kestrom::startup {

std::filesystem::path systemLibraryFolder() {
    if (const char *folder = std::getenv("KESTROM_SYSTEM_LIBDIR"); folder != nullptr && *folder != '\0') {
        return folder;
    }
#ifdef _WIN32
    char windows[MAX_PATH] = {};
    const UINT length = GetWindowsDirectoryA(windows, MAX_PATH);
    return std::string(windows, length < MAX_PATH ? length : 0) + "\\system32\\";
#else
    return "/usr/local/lib/";
#endif
}

std::optional<int> windowsMajorVersion() {
    const QOperatingSystemVersion running = QOperatingSystemVersion::current();
    if (running.type() != QOperatingSystemVersion::Windows) return std::nullopt;
    return running.majorVersion();
}

QString instanceLockPath() {
    QString folder = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (folder.isEmpty()) folder = QDir::tempPath();
#ifdef _WIN32
    return folder + QStringLiteral("/kestrom.lock");  // the temporary folder is the user's own
#else
    return QStringLiteral("%1/kestrom-%2.lock").arg(folder).arg(getuid());
#endif
}

}  // namespace kestrom::startup
