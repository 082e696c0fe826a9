#include "library_files.h"

#include <QCoreApplication>

#include "library_names.h"

namespace kestrom::startup {

namespace fs = std::filesystem;
using platform::kDriverFileName;
using platform::kRomgateFileName;

bool present(const fs::path &file) {
    std::error_code error;
    return fs::exists(file, error);
}

bool copyReplacing(const fs::path &from, const fs::path &to) {
    std::error_code error;
    fs::path partial = to;
    partial += ".new-" + std::to_string(QCoreApplication::applicationPid());
    fs::copy_file(from, partial, fs::copy_options::overwrite_existing, error);
    if (!error) fs::rename(partial, to, error);
    if (!error) return true;
    fs::remove(partial, error);
    return false;
}

bool ensureDriver(const fs::path &programFolder, const fs::path &systemFolder) {
    const fs::path driver = programFolder / kDriverFileName;
    return present(driver) || copyReplacing(systemFolder / kDriverFileName, driver);
}

void mirrorRomgate(const fs::path &programFolder, const fs::path &systemFolder) {
    const fs::path ours = programFolder / kRomgateFileName;
    const fs::path system = systemFolder / kRomgateFileName;
    if (present(ours)) {
        copyReplacing(ours, system);
    } else {
        copyReplacing(system, ours);
    }
}

}  // namespace kestrom::startup
