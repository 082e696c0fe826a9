#include "d2xx_binding.h"

#include <dlfcn.h>

#include <utility>

#include "romgate_loader.h"

namespace kestrom::platform {

namespace {

enum Slot : size_t { kListDevices, kOpen, kReadEE, kClose, kSlotCount };

constexpr FT_STATUS kNoDevice = FT_DEVICE_NOT_FOUND;

}  // namespace

D2xxBinding::D2xxBinding(const std::filesystem::path &programFolder)
    : exports_(
          kSlotCount, [this, programFolder](std::string &message) { return open(programFolder, message); },
          [this](const char *name) { return dlsym(library_, name); }) {}

D2xxBinding::D2xxBinding(ExportTable::Finder find)
    : exports_(
          kSlotCount, [](std::string &) { return true; }, std::move(find)) {}

D2xxBinding::~D2xxBinding() {
    if (library_ != nullptr) dlclose(library_);
}

bool D2xxBinding::open(const std::filesystem::path &programFolder, std::string &message) {
    const std::filesystem::path besideProgram = programFolder / kDriverFileName;
    library_ = dlopen(besideProgram.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (library_ != nullptr) return true;
    // A copy beside the program that does not load is named by the system's own words.
    std::error_code error;
    const char *failure = dlerror();
    message = std::filesystem::exists(besideProgram, error) && failure != nullptr ? failure
                                                                                  : driverMissingMessage();
    library_ = dlopen(kDriverFileName, RTLD_NOW | RTLD_LOCAL);
    return library_ != nullptr;
}

FT_STATUS D2xxBinding::FT_ListDevices(void *arg1, void *arg2, uint32_t flags) {
    using Call = FT_STATUS(FT_CALL *)(void *, void *, uint32_t);
    return exports_.call<Call>(kListDevices, "FT_ListDevices", kNoDevice, arg1, arg2, flags);
}

FT_STATUS D2xxBinding::FT_Open(int device, FT_HANDLE *handle) {
    using Call = FT_STATUS(FT_CALL *)(int, FT_HANDLE *);
    return exports_.call<Call>(kOpen, "FT_Open", kNoDevice, device, handle);
}

FT_STATUS D2xxBinding::FT_ReadEE(FT_HANDLE handle, uint32_t wordOffset, uint16_t *value) {
    using Call = FT_STATUS(FT_CALL *)(FT_HANDLE, uint32_t, uint16_t *);
    return exports_.call<Call>(kReadEE, "FT_ReadEE", kNoDevice, handle, wordOffset, value);
}

FT_STATUS D2xxBinding::FT_Close(FT_HANDLE handle) {
    using Call = FT_STATUS(FT_CALL *)(FT_HANDLE);
    return exports_.call<Call>(kClose, "FT_Close", kNoDevice, handle);
}

}  // namespace kestrom::platform
