#include "shared_library.h"

#include "library_names.h"

namespace kestrom::platform {

SharedLibrary::SharedLibrary() {
    // Every import bound at the load, so a library that lacks one does not load at all.
    library_.setLoadHints(QLibrary::ResolveAllSymbolsHint);
}

SharedLibrary::~SharedLibrary() {
    if (library_.isLoaded()) library_.unload();
}

bool SharedLibrary::load(const std::filesystem::path &file) {
    std::error_code error;
    const std::filesystem::path fullPath = std::filesystem::absolute(file, error);
    library_.setFileName(QString::fromStdU16String(fullPath.u16string()));
    if (!error && library_.load()) return true;
    message_ = std::filesystem::exists(file, error) ? library_.errorString().toStdString()
                                                    : libraryMissingMessage(file.filename().string());
    return false;
}

bool SharedLibrary::loadFromSearchPath(const char *fileName) {
    library_.setFileName(QString::fromUtf8(fileName));
    return library_.load();
}

ExportTable::Address SharedLibrary::symbol(const char *name) {
    return library_.isLoaded() ? library_.resolve(name) : nullptr;
}

}  // namespace kestrom::platform
