#include "romgate_loader.h"

#include <dlfcn.h>

namespace kestrom {

std::string libraryMissingMessage(const char *fileName) {
    return std::string("library ") + fileName + " Not found ...";
}

std::string driverMissingMessage() { return libraryMissingMessage(kDriverFileName); }

RomgateLibrary::~RomgateLibrary() {
    if (handle_ != nullptr) dlclose(handle_);
}

bool RomgateLibrary::load(const std::filesystem::path &folder) {
    if (handle_ != nullptr) return true;
    const std::string file = (folder / kRomgateFileName).string();
    handle_ = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle_ != nullptr) {
        message_.clear();
        return true;
    }
    const char *error = dlerror();
    message_ = error != nullptr ? error : "cannot load " + file;
    // libromgate needs the driver; the loader names the file it could not find.
    if (message_.find(std::string(kDriverFileName) + ":") != std::string::npos) message_ = driverMissingMessage();
    return false;
}

void *RomgateLibrary::symbol(const char *name) const {
    return handle_ != nullptr ? dlsym(handle_, name) : nullptr;
}

}  // namespace kestrom
