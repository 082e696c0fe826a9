#include "d2xx_binding.h"

#include <array>
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
    kEepromRead,
    kEepromProgram,
    kGetDeviceInfoDetail,
    kGetDevicePort,  // our own driver's, optional: another driver lacks them
    kGetHandlePort,
    kListDevicePorts,
    kGetHandleLocation,
    kOpenByPort,
    kSlotCount
};

// By slot.
constexpr std::array<const char *, kSlotCount> kCallNames{
    "FT_ListDevices",        "FT_Open",      "FT_ReadEE",      "FT_Close",
    "FT_GetDeviceInfo",      "FT_WriteEE",   "FT_EraseEE",     "FT_EE_Read",
    "FT_EE_Program",         "FT_EE_UASize", "FT_EEPROM_Read", "FT_EEPROM_Program",
    "FT_GetDeviceInfoDetail"};

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
// did not load. A library without the D2XX calls is not taken for one without devices.
bool D2xxBinding::open(const std::filesystem::path &programFolder, std::string &message) {
    if (!library_.load(programFolder / kDriverFileName)) {
        message = library_.message();
        if (!library_.loadFromSearchPath(kDriverFileName)) return false;
    }
    std::string missing;
    for (const char *name : kCallNames) {
        if (name != nullptr && library_.symbol(name) == nullptr)
            missing += (missing.empty() ? "" : ", ") + std::string(name);
    }
    if (missing.empty()) return true;
    message = notADriverMessage(kDriverFileName, missing);
    return false;
}

FT_STATUS D2xxBinding::FT_ListDevices(void *arg1, void *arg2, uint32_t flags) {
    using Call = FT_STATUS(FT_CALL *)(void *, void *, uint32_t);
    return exports_.call<Call>(kListDevices, kCallNames[kListDevices], kNoDevice, arg1, arg2, flags);
}

FT_STATUS D2xxBinding::FT_Open(int device, FT_HANDLE *handle) {
    using Call = FT_STATUS(FT_CALL *)(int, FT_HANDLE *);
    return exports_.call<Call>(kOpen, kCallNames[kOpen], kNoDevice, device, handle);
}

FT_STATUS D2xxBinding::FT_ReadEE(FT_HANDLE handle, uint32_t wordOffset, uint16_t *value) {
    using Call = FT_STATUS(FT_CALL *)(FT_HANDLE, uint32_t, uint16_t *);
    return exports_.call<Call>(kReadEE, kCallNames[kReadEE], kNoDevice, handle, wordOffset, value);
}

FT_STATUS D2xxBinding::FT_Close(FT_HANDLE handle) {
    using Call = FT_STATUS(FT_CALL *)(FT_HANDLE);
    return exports_.call<Call>(kClose, kCallNames[kClose], kNoDevice, handle);
}

FT_STATUS D2xxBinding::FT_GetDeviceInfo(FT_HANDLE handle, uint32_t *type, uint32_t *id, char *serialNumber,
                                        char *description, void *dummy) {
    using Call = FT_STATUS(FT_CALL *)(FT_HANDLE, uint32_t *, uint32_t *, char *, char *, void *);
    return exports_.call<Call>(kGetDeviceInfo, kCallNames[kGetDeviceInfo], kNoDevice, handle, type, id,
                               serialNumber, description, dummy);
}

FT_STATUS D2xxBinding::FT_GetDeviceInfoDetail(uint32_t index, uint32_t *type, uint32_t *id,
                                              uint32_t *location, char *serialNumber, char *description) {
    using Call = FT_STATUS(FT_CALL *)(uint32_t, uint32_t *, uint32_t *, uint32_t *, uint32_t *, char *,
                                      char *, FT_HANDLE *);
    uint32_t flags = 0;
    FT_HANDLE handle = nullptr;
    return exports_.call<Call>(kGetDeviceInfoDetail, kCallNames[kGetDeviceInfoDetail], kNoDevice, index,
                               &flags, type, id, location, serialNumber, description, &handle);
}

FT_STATUS D2xxBinding::FT_WriteEE(FT_HANDLE handle, uint32_t wordOffset, uint16_t value) {
    using Call = FT_STATUS(FT_CALL *)(FT_HANDLE, uint32_t, uint16_t);
    return exports_.call<Call>(kWriteEE, kCallNames[kWriteEE], kNoDevice, handle, wordOffset, value);
}

FT_STATUS D2xxBinding::FT_EraseEE(FT_HANDLE handle) {
    using Call = FT_STATUS(FT_CALL *)(FT_HANDLE);
    return exports_.call<Call>(kEraseEE, kCallNames[kEraseEE], kNoDevice, handle);
}

FT_STATUS D2xxBinding::FT_EE_Read(FT_HANDLE handle, FT_PROGRAM_DATA *data) {
    using Call = FT_STATUS(FT_CALL *)(FT_HANDLE, FT_PROGRAM_DATA *);
    return exports_.call<Call>(kEeRead, kCallNames[kEeRead], kNoDevice, handle, data);
}

FT_STATUS D2xxBinding::FT_EE_Program(FT_HANDLE handle, FT_PROGRAM_DATA *data) {
    using Call = FT_STATUS(FT_CALL *)(FT_HANDLE, FT_PROGRAM_DATA *);
    return exports_.call<Call>(kEeProgram, kCallNames[kEeProgram], kNoDevice, handle, data);
}

FT_STATUS D2xxBinding::FT_EE_UASize(FT_HANDLE handle, uint32_t *bytes) {
    using Call = FT_STATUS(FT_CALL *)(FT_HANDLE, uint32_t *);
    return exports_.call<Call>(kEeUaSize, kCallNames[kEeUaSize], kNoDevice, handle, bytes);
}

FT_STATUS D2xxBinding::FT_EEPROM_Read(FT_HANDLE handle, void *data, uint32_t size, char *manufacturer,
                                      char *manufacturerId, char *description, char *serialNumber) {
    using Call = FT_STATUS(FT_CALL *)(FT_HANDLE, void *, uint32_t, char *, char *, char *, char *);
    return exports_.call<Call>(kEepromRead, kCallNames[kEepromRead], kNoDevice, handle, data, size,
                               manufacturer, manufacturerId, description, serialNumber);
}

FT_STATUS D2xxBinding::FT_EEPROM_Program(FT_HANDLE handle, void *data, uint32_t size, char *manufacturer,
                                         char *manufacturerId, char *description, char *serialNumber) {
    using Call = FT_STATUS(FT_CALL *)(FT_HANDLE, void *, uint32_t, char *, char *, char *, char *);
    return exports_.call<Call>(kEepromProgram, kCallNames[kEepromProgram], kNoDevice, handle, data, size,
                               manufacturer, manufacturerId, description, serialNumber);
}

FT_STATUS D2xxBinding::KT_GetDevicePort(uint32_t index, uint32_t *type, char *port, uint32_t portSize) {
    using Call = FT_STATUS(FT_CALL *)(uint32_t, uint32_t *, char *, uint32_t);
    return exports_.call<Call>(kGetDevicePort, "KT_GetDevicePort", kNoDevice, index, type, port, portSize);
}

FT_STATUS D2xxBinding::KT_GetHandlePort(FT_HANDLE handle, char *port, uint32_t portSize) {
    using Call = FT_STATUS(FT_CALL *)(FT_HANDLE, char *, uint32_t);
    return exports_.call<Call>(kGetHandlePort, "KT_GetHandlePort", kNoDevice, handle, port, portSize);
}

FT_STATUS D2xxBinding::KT_ListDevicePorts(KT_DEVICE_PORT *ports, uint32_t room, uint32_t *count) {
    using Call = FT_STATUS(FT_CALL *)(KT_DEVICE_PORT *, uint32_t, uint32_t *);
    return exports_.call<Call>(kListDevicePorts, "KT_ListDevicePorts", kNoDevice, ports, room, count);
}

FT_STATUS D2xxBinding::KT_GetHandleLocation(FT_HANDLE handle, uint32_t *location) {
    using Call = FT_STATUS(FT_CALL *)(FT_HANDLE, uint32_t *);
    return exports_.call<Call>(kGetHandleLocation, "KT_GetHandleLocation", kNoDevice, handle, location);
}

FT_STATUS D2xxBinding::KT_OpenByPort(const char *port, FT_HANDLE *handle) {
    using Call = FT_STATUS(FT_CALL *)(const char *, FT_HANDLE *);
    return exports_.call<Call>(kOpenByPort, "KT_OpenByPort", kNoDevice, port, handle);
}

bool D2xxBinding::opensByPort() {
    return exports_.resolve(kOpenByPort, "KT_OpenByPort") != nullptr;
}

bool D2xxBinding::tellsHandleLocation() {
    return exports_.resolve(kGetHandleLocation, "KT_GetHandleLocation") != nullptr;
}

bool D2xxBinding::listsPorts() {
    return exports_.resolve(kListDevicePorts, "KT_ListDevicePorts") != nullptr;
}

bool D2xxBinding::tellsPorts() {
    return exports_.resolve(kGetDevicePort, "KT_GetDevicePort") != nullptr &&
           exports_.resolve(kGetHandlePort, "KT_GetHandlePort") != nullptr;
}

}  // namespace kestrom::platform
