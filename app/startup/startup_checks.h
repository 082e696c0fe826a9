// The checks the program makes before its window opens: one instance per user, a
// supported Windows version, the driver library found. They write nothing but the
// instance lock in the user's runtime folder.
#pragma once

#include <QLockFile>
#include <QString>
#include <filesystem>
#include <optional>

#include "romgate_binding.h"

namespace kestrom::startup {

struct Environment {
    std::filesystem::path programFolder;
    std::filesystem::path systemFolder;
    QString lockFile;
    std::optional<int> windowsMajorVersion;  // none: no version to check
};

// This program's folder, the system library folder, the user's lock, the system's version.
Environment programEnvironment();

class StartupChecks {
public:
    explicit StartupChecks(Environment environment);

    // True when the window may open. Otherwise the user has been told why not and
    // the program ends. The instance lock is held as long as this object lives.
    bool run();

private:
    bool anotherInstanceRuns();

    Environment environment_;
    QLockFile lock_;
};

// Loads libromgate now; when it cannot be loaded, says which library is missing
// and answers false, and the program ends.
bool loadRomgate(platform::RomgateBinding &romgate);

}  // namespace kestrom::startup
