#include "driver_library.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibrary>

#include "library_names.h"

namespace kestrom::startup {

namespace fs = std::filesystem;
using platform::kDriverFileName;

namespace {

bool present(const fs::path &file) {
    std::error_code error;
    return fs::exists(file, error);
}

// The folder as the user knows it, with its closing separator.
QString shown(const fs::path &folder) {
    return QDir::toNativeSeparators(QString::fromStdString((folder / "").string()));
}

}  // namespace

std::optional<QString> findDriver(const fs::path &programFolder, const fs::path &systemFolder) {
    if (present(programFolder / kDriverFileName)) return std::nullopt;
    const fs::path systemDriver = systemFolder / kDriverFileName;
    if (!present(systemDriver)) {
        return QCoreApplication::translate("Startup", "%1 is neither in %2 nor in %3.")
            .arg(QString::fromLatin1(kDriverFileName), shown(programFolder), shown(systemFolder));
    }
    // Loaded for good (QLibrary never unloads on destruction): the system's loader
    // then gives this copy to whatever asks for its name, libromgate included.
    QLibrary driver(QString::fromStdString(systemDriver.string()));
    driver.setLoadHints(QLibrary::ResolveAllSymbolsHint);
    if (driver.load()) return std::nullopt;
    return QCoreApplication::translate("Startup", "%1 is not in %2, and %3 cannot be loaded: %4")
        .arg(QString::fromLatin1(kDriverFileName), shown(programFolder),
             QDir::toNativeSeparators(QString::fromStdString(systemDriver.string())), driver.errorString());
}

}  // namespace kestrom::startup
