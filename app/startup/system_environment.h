// What the start-up asks of the system: where the shared libraries live, which
// Windows version runs, where the one-instance lock lies.
#pragma once

#include <QString>
#include <filesystem>
#include <optional>

namespace kestrom::startup {

// KESTROM_SYSTEM_LIBDIR when set; else the Windows folder's "system32" on Windows
// and "/usr/local/lib/" elsewhere, where the chip maker's own driver installs.
std::filesystem::path systemLibraryFolder();

// The major version of Windows; none on other systems, which have nothing to check.
std::optional<int> windowsMajorVersion();

// One lock file per user.
QString instanceLockPath();

}  // namespace kestrom::startup
