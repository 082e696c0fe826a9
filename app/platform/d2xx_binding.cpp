#include "d2xx_binding.h"

#include <utility>

#include "library_names.h"

namespace kestrom::platform {

namespace {

enum Slot : size_t {
    kListDevices,
    kOpen,
    kReadEE,
    kClose,
    kGetDeviceInfo,
    kWriteEE,
    kEraseEE,
    kEeRead,
    kEeProgram,
    kEeUaSize,
    kGetDevicePort,
    kSlotCount
};

constexpr FT_STATUS kNoDevice = FT_DEVICE_NOT_FOUND;

}  // namespace

D2xxBinding::D2xxBinding(const std::filesystem::path &programFolder)
    : exports_(
          kSlotCount, [this, programFolder](std::string &message) { return open(programFolder, message); },
          [this](const char *name) { return library_.symbol(name); }) {}

D2xxBinding::D2xxBinding(ExportTable::Finder find)
    : exports_(
          kSlotCount, [](std::string &) { return true; }, std::move(find)) {}

// The user hears about the copy beside the program: that it is missing, or why it
// did not load.
bool D2xxBinding::open(const std::filesystem::path &programFolder, std::string &message) {
    if (library_.load(programFolder / kDriverFileName)) return true;
    message = library_.message();
    return library_.loadFromSearchPath(kDriverFileName);
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

FT_STATUS D2xxBinding::FT_GetDeviceInfo(FT_HANDLE handle, uint32_t *type, uint32_t *id, char *serialNumber,
                                        char *description, void *dummy) {
    using Call = FT_STATUS(FT_CALL *)(FT_HANDLE, uint32_t *, uint32_t *, char *, char *, void *);
    return exports_.call<Call>(kGetDeviceInfo, "FT_GetDeviceInfo", kNoDevice, handle, type, id, serialNumber,
                               description, dummy);
}

FT_STATUS D2xxBinding::FT_WriteEE(FT_HANDLE handle, uint32_t wordOffset, uint16_t value) {
    using Call = FT_STATUS(FT_CALL *)(FT_HANDLE, uint32_t, uint16_t);
    return exports_.call<Call>(kWriteEE, "FT_WriteEE", kNoDevice, handle, wordOffset, value);
}

FT_STATUS D2xxBinding::FT_EraseEE(FT_HANDLE handle) {
    using Call = FT_STATUS(FT_CALL *)(FT_HANDLE);
    return exports_.call<Call>(kEraseEE, "FT_EraseEE", kNoDevice, handle);
}

FT_STATUS D2xxBinding::FT_EE_Read(FT_HANDLE handle, FT_PROGRAM_DATA *data) {
    using Call = FT_STATUS(FT_CALL *)(FT_HANDLE, FT_PROGRAM_DATA *);
    return exports_.call<Call>(kEeRead, "FT_EE_Read", kNoDevice, handle, data);
}

FT_STATUS D2xxBinding::FT_EE_Program(FT_HANDLE handle, FT_PROGRAM_DATA *data) {
    using Call = FT_STATUS(FT_CALL *)(FT_HANDLE, FT_PROGRAM_DATA *);
    return exports_.call<Call>(kEeProgram, "FT_EE_Program", kNoDevice, handle, data);
}

FT_STATUS D2xxBinding::FT_EE_UASize(FT_HANDLE handle, uint32_t *bytes) {
    using Call = FT_STATUS(FT_CALL *)(FT_HANDLE, uint32_t *);
    return exports_.call<Call>(kEeUaSize, "FT_EE_UASize", kNoDevice, handle, bytes);
}

FT_STATUS D2xxBinding::KT_GetDevicePort(uint32_t index, uint32_t *type, char *port, uint32_t portSize) {
    using Call = FT_STATUS(FT_CALL *)(uint32_t, uint32_t *, char *, uint32_t);
    return exports_.call<Call>(kGetDevicePort, "KT_GetDevicePort", kNoDevice, index, type, port, portSize);
}

bool D2xxBinding::tellsPorts() {
    return exports_.resolve(kGetDevicePort, "KT_GetDevicePort") != nullptr;
}

}  // namespace kestrom::platform
