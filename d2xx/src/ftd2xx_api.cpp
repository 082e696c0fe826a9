// The exported D2XX calls. Each one checks its arguments, takes the lock of the
// device it works on (calls on different devices run side by side), honours an
// injected failure or power cut of the simulated device, then does its work.
// Nothing throws past these functions.
#include <algorithm>
#include <new>
#include <string_view>
#include <vector>

#include "backend.h"
#include "chip_structures.h"
#include "eeprom_codec.h"
#include "ftd2xx.h"
#include "handle_table.h"
#include "text_codec.h"
#include "verified_writes.h"

using namespace kestrom::d2xx;

namespace {

constexpr size_t kSerialBuffer = 16;
constexpr size_t kDescriptionBuffer = 64;
constexpr uint32_t kMaxWordOffset = 0xFF;  // the widest EEPROM address the chips send
// The text buffers of FT_EEPROM_Read and FT_EEPROM_Program, NUL included.
constexpr size_t kChipManufacturer = kChipManufacturerCapacity,
                 kChipManufacturerId = kChipManufacturerIdCapacity,
                 kChipDescription = kChipDescriptionCapacity, kChipSerial = kChipSerialNumberCapacity;

template <typename Work>
FT_STATUS guarded(Work &&work) noexcept {
    try {
        return work();
    } catch (const std::bad_alloc &) {
        return FT_INSUFFICIENT_RESOURCES;
    } catch (...) {
        return FT_OTHER_ERROR;
    }
}

template <typename Work>
FT_STATUS onDevice(FT_HANDLE handle, std::string_view call, Work &&work) noexcept {
    return guarded([&]() -> FT_STATUS {
        const std::shared_ptr<HeldDevice> held = handles().find(handle);
        if (held == nullptr) return FT_INVALID_HANDLE;
        const std::lock_guard lock(held->mutex);
        Device *device = held->device.get();
        if (device == nullptr) return FT_INVALID_HANDLE;  // closed while this call waited
        device->powerCutPoint(call, CallMoment::Before);
        FT_STATUS status = device->injectedFailure(call).value_or(FT_OK);
        if (status == FT_OK) status = work(*device);
        device->powerCutPoint(call, CallMoment::After);
        return status;
    });
}

// Listing and opening share nothing between calls: each makes its own backend and
// looks at the devices afresh, and an open is kept to one holder by the device's
// lock file, so these run side by side as well.
template <typename Work>
FT_STATUS onBackend(Work &&work) noexcept {
    return guarded([&]() -> FT_STATUS { return work(*makeBackend()); });
}

bool signatureValid(const FT_PROGRAM_DATA &data) {
    return data.Signature1 == 0x00000000 && data.Signature2 == 0xFFFFFFFF;
}

FT_STATUS readConfig(Device &device, std::vector<uint16_t> &image) {
    if (!layoutKnown(device.chipType())) return FT_NOT_SUPPORTED;
    return device.readImage(image);
}

// Before a change: the part's size settled (a blank part's by a write), then what it holds.
FT_STATUS readConfigForChange(Device &device, std::vector<uint16_t> &image) {
    if (!layoutKnown(device.chipType())) return FT_NOT_SUPPORTED;
    if (const FT_STATUS status = device.prepareChange(); status != FT_OK) return status;
    return device.readImage(image);
}

// What the EEPROM holds now; when it holds nothing valid, what it held before an
// erase on this handle, else the chip's defaults.
FT_STATUS currentContents(Device &device, std::vector<uint16_t> &image, EepromContents &contents) {
    if (const FT_STATUS status = readConfig(device, image); status != FT_OK) return status;
    const uint32_t chip = device.chipType();
    if (decode(chip, image, contents) == FT_OK) return FT_OK;
    if (!device.beforeErase || decode(chip, *device.beforeErase, contents) != FT_OK)
        contents = chipDefaults(chip);
    return FT_OK;
}

// A write through the handle: what was there before an erase is no longer wanted.
FT_STATUS written(Device &device, FT_STATUS status) {
    device.beforeErase.reset();
    return status;
}

// A location as the 32-bit number D2XX gives it: a hash of the place's name, never 0
// (0 is "unknown"), the same number for the same place in every process.
uint32_t locationId(const std::string &location) {
    if (location.empty()) return 0;
    uint32_t hash = 2166136261u;  // FNV-1a
    for (const char c : location) hash = (hash ^ static_cast<uint8_t>(c)) * 16777619u;
    return hash == 0 ? 1 : hash;
}

// The device's port, NUL-terminated, into the caller's buffer of `size` bytes.
FT_STATUS copyPort(const DeviceInfo &info, char *port, uint32_t size) {
    if (info.port.size() >= size) return FT_INSUFFICIENT_RESOURCES;
    std::copy(info.port.begin(), info.port.end(), port);
    port[info.port.size()] = '\0';
    return FT_OK;
}

// The listed devices whose port fits a KT_DEVICE_PORT, as the caller gets them.
FT_STATUS devicePorts(Backend &backend, std::vector<KT_DEVICE_PORT> &ports) {
    std::vector<ListedDevice> listed;
    if (const FT_STATUS status = backend.describeAll(listed); status != FT_OK) return status;
    ports.reserve(listed.size());
    for (const ListedDevice &device : listed) {
        KT_DEVICE_PORT port{device.index, device.info.type, {}};
        if (copyPort(device.info, port.Port, sizeof port.Port) == FT_OK) ports.push_back(port);
    }
    return FT_OK;
}

FT_STATUS describeOne(Backend &backend, uint32_t index, uint32_t what, char *buffer) {
    if (const auto failure = backend.injectedFailure(index, "FT_ListDevices"); failure && *failure != FT_OK) {
        return *failure;
    }
    DeviceInfo info;
    if (const FT_STATUS status = backend.describe(index, info); status != FT_OK) return status;
    if (what == FT_OPEN_BY_SERIAL_NUMBER) {
        copyTextCut(info.serialNumber, buffer, kSerialBuffer);
    } else {
        copyTextCut(info.description, buffer, kDescriptionBuffer);
    }
    return FT_OK;
}

FT_STATUS listOne(Backend &backend, uint32_t index, uint32_t what, char *buffer) {
    backend.powerCutPoint(index, "FT_ListDevices", CallMoment::Before);
    const FT_STATUS status = describeOne(backend, index, what, buffer);
    backend.powerCutPoint(index, "FT_ListDevices", CallMoment::After);
    return status;
}

FT_STATUS openOne(Backend &backend, uint32_t index, FT_HANDLE &handle) {
    if (const auto failure = backend.injectedFailure(index, "FT_Open"); failure && *failure != FT_OK) {
        return *failure;
    }
    std::unique_ptr<Device> device;
    if (const FT_STATUS status = backend.open(index, device); status != FT_OK) return status;
    handle = handles().add(std::move(device));
    return FT_OK;
}

}  // namespace

extern "C" {

FT_API FT_STATUS FT_CALL FT_Open(int deviceNumber, FT_HANDLE *pHandle) {
    if (pHandle == nullptr) return FT_INVALID_PARAMETER;
    if (deviceNumber < 0) return FT_DEVICE_NOT_FOUND;
    const auto index = static_cast<uint32_t>(deviceNumber);
    return onBackend([&](Backend &backend) -> FT_STATUS {
        backend.powerCutPoint(index, "FT_Open", CallMoment::Before);
        const FT_STATUS status = openOne(backend, index, *pHandle);
        backend.powerCutPoint(index, "FT_Open", CallMoment::After);
        return status;
    });
}

FT_API FT_STATUS FT_CALL KT_OpenByPort(const char *Port, FT_HANDLE *pHandle) {
    if (Port == nullptr || pHandle == nullptr) return FT_INVALID_PARAMETER;
    return onBackend([&](Backend &backend) -> FT_STATUS {
        std::unique_ptr<Device> device;
        if (const FT_STATUS status = backend.openAt(Port, device); status != FT_OK) return status;
        *pHandle = handles().add(std::move(device));
        return FT_OK;
    });
}

FT_API FT_STATUS FT_CALL FT_Close(FT_HANDLE ftHandle) {
    return guarded([&]() -> FT_STATUS {
        // A failing close still releases the handle.
        const std::shared_ptr<HeldDevice> held = handles().take(ftHandle);
        if (held == nullptr) return FT_INVALID_HANDLE;
        std::unique_ptr<Device> device;
        {
            const std::lock_guard lock(held->mutex);  // a call still at work on it ends first
            device = std::move(held->device);
        }
        if (device == nullptr) return FT_INVALID_HANDLE;
        device->powerCutPoint("FT_Close", CallMoment::Before);
        FT_STATUS status = device->close();
        if (const auto failure = device->injectedFailure("FT_Close"); failure && *failure != FT_OK)
            status = *failure;
        device->powerCutPoint("FT_Close", CallMoment::After);
        return status;
    });
}

FT_API FT_STATUS FT_CALL FT_ListDevices(void *pArg1, void *pArg2, uint32_t Flags) {
    return onBackend([&](Backend &backend) -> FT_STATUS {
        const uint32_t what = Flags & (FT_OPEN_BY_SERIAL_NUMBER | FT_OPEN_BY_DESCRIPTION);
        if (Flags == FT_LIST_NUMBER_ONLY) {
            if (pArg1 == nullptr) return FT_INVALID_PARAMETER;
            return backend.count(*static_cast<uint32_t *>(pArg1));
        }
        if (what == 0 || what == (FT_OPEN_BY_SERIAL_NUMBER | FT_OPEN_BY_DESCRIPTION) || pArg2 == nullptr) {
            return FT_INVALID_PARAMETER;
        }
        if ((Flags & ~what) == FT_LIST_BY_INDEX) {
            const auto index = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(pArg1));
            return listOne(backend, index, what, static_cast<char *>(pArg2));
        }
        if ((Flags & ~what) == FT_LIST_ALL) {
            // pArg1: an array of buffer pointers (one per device, then null); pArg2: the count.
            if (pArg1 == nullptr) return FT_INVALID_PARAMETER;
            auto **buffers = static_cast<char **>(pArg1);
            uint32_t devices = 0;
            if (const FT_STATUS status = backend.count(devices); status != FT_OK) return status;
            for (uint32_t i = 0; i < devices; ++i) {
                if (buffers[i] == nullptr) return FT_INVALID_PARAMETER;
                if (const FT_STATUS status = listOne(backend, i, what, buffers[i]); status != FT_OK)
                    return status;
            }
            *static_cast<uint32_t *>(pArg2) = devices;
            return FT_OK;
        }
        return FT_INVALID_PARAMETER;
    });
}

FT_API FT_STATUS FT_CALL FT_CreateDeviceInfoList(uint32_t *lpdwNumDevs) {
    if (lpdwNumDevs == nullptr) return FT_INVALID_PARAMETER;
    return onBackend([&](Backend &backend) { return backend.count(*lpdwNumDevs); });
}

FT_API FT_STATUS FT_CALL FT_GetDeviceInfoDetail(uint32_t dwIndex, uint32_t *lpdwFlags, uint32_t *lpdwType,
                                                uint32_t *lpdwID, uint32_t *lpdwLocId, char *lpSerialNumber,
                                                char *lpDescription, FT_HANDLE *pftHandle) {
    return onBackend([&](Backend &backend) -> FT_STATUS {
        DeviceInfo info;
        if (const FT_STATUS status = backend.describe(dwIndex, info); status != FT_OK) return status;
        if (lpdwFlags != nullptr) *lpdwFlags = 0;
        if (lpdwType != nullptr) *lpdwType = info.type;
        if (lpdwID != nullptr) *lpdwID = info.id;
        if (lpdwLocId != nullptr) *lpdwLocId = locationId(info.location);
        if (lpSerialNumber != nullptr) copyTextCut(info.serialNumber, lpSerialNumber, kSerialBuffer);
        if (lpDescription != nullptr) copyTextCut(info.description, lpDescription, kDescriptionBuffer);
        if (pftHandle != nullptr) *pftHandle = nullptr;
        return FT_OK;
    });
}

FT_API FT_STATUS FT_CALL KT_GetDevicePort(uint32_t dwIndex, uint32_t *lpftDevice, char *Port,
                                          uint32_t PortSize) {
    if (Port == nullptr || PortSize == 0) return FT_INVALID_PARAMETER;
    return onBackend([&](Backend &backend) -> FT_STATUS {
        DeviceInfo info;
        if (const FT_STATUS status = backend.describe(dwIndex, info); status != FT_OK) return status;
        if (lpftDevice != nullptr) *lpftDevice = info.type;
        return copyPort(info, Port, PortSize);
    });
}

FT_API FT_STATUS FT_CALL KT_ListDevicePorts(PKT_DEVICE_PORT Ports, uint32_t Room, uint32_t *lpdwCount) {
    if (lpdwCount == nullptr || (Ports == nullptr && Room != 0)) return FT_INVALID_PARAMETER;
    *lpdwCount = 0;
    return guarded([&]() -> FT_STATUS {
        std::vector<KT_DEVICE_PORT> ports;
        try {
            if (const FT_STATUS status = devicePorts(*makeBackend(), ports); status != FT_OK) return status;
        } catch (const std::bad_alloc &) {
            return FT_OTHER_ERROR;  // not "too little room": there is no count to try again with
        }
        *lpdwCount = static_cast<uint32_t>(ports.size());
        if (ports.size() > Room) return FT_INSUFFICIENT_RESOURCES;
        if (!ports.empty()) std::copy(ports.begin(), ports.end(), Ports);  // Ports may be null when none
        return FT_OK;
    });
}

FT_API FT_STATUS FT_CALL KT_GetHandlePort(FT_HANDLE ftHandle, char *Port, uint32_t PortSize) {
    if (Port == nullptr || PortSize == 0) return FT_INVALID_PARAMETER;
    return onDevice(ftHandle, "KT_GetHandlePort", [&](Device &device) -> FT_STATUS {
        DeviceInfo info;
        if (const FT_STATUS status = device.info(info); status != FT_OK) return status;
        return copyPort(info, Port, PortSize);
    });
}

FT_API FT_STATUS FT_CALL KT_GetHandleLocation(FT_HANDLE ftHandle, uint32_t *lpdwLocId) {
    if (lpdwLocId == nullptr) return FT_INVALID_PARAMETER;
    return onDevice(ftHandle, "KT_GetHandleLocation", [&](Device &device) -> FT_STATUS {
        DeviceInfo info;
        if (const FT_STATUS status = device.info(info); status != FT_OK) return status;
        *lpdwLocId = locationId(info.location);
        return FT_OK;
    });
}

FT_API FT_STATUS FT_CALL FT_GetDeviceInfo(FT_HANDLE ftHandle, uint32_t *lpftDevice, uint32_t *lpdwID,
                                          char *SerialNumber, char *Description, void * /*Dummy*/) {
    return onDevice(ftHandle, "FT_GetDeviceInfo", [&](Device &device) -> FT_STATUS {
        DeviceInfo info;
        if (const FT_STATUS status = device.info(info); status != FT_OK) return status;
        if (lpftDevice != nullptr) *lpftDevice = info.type;
        if (lpdwID != nullptr) *lpdwID = info.id;
        if (SerialNumber != nullptr) copyTextCut(info.serialNumber, SerialNumber, kSerialBuffer);
        if (Description != nullptr) copyTextCut(info.description, Description, kDescriptionBuffer);
        return FT_OK;
    });
}

FT_API FT_STATUS FT_CALL FT_EE_Read(FT_HANDLE ftHandle, PFT_PROGRAM_DATA pData) {
    if (pData == nullptr || !signatureValid(*pData)) return FT_INVALID_PARAMETER;
    return onDevice(ftHandle, "FT_EE_Read", [&](Device &device) -> FT_STATUS {
        std::vector<uint16_t> image;
        if (const FT_STATUS status = readConfig(device, image); status != FT_OK) return status;
        EepromContents contents;
        if (const FT_STATUS status = decode(device.chipType(), image, contents); status != FT_OK)
            return status;
        fillRecord(contents, *pData);
        return FT_OK;
    });
}

FT_API FT_STATUS FT_CALL FT_EE_Program(FT_HANDLE ftHandle, PFT_PROGRAM_DATA pData) {
    if (pData == nullptr || !signatureValid(*pData)) return FT_INVALID_PARAMETER;
    return onDevice(ftHandle, "FT_EE_Program", [&](Device &device) -> FT_STATUS {
        const uint32_t chip = device.chipType();
        std::vector<uint16_t> image;
        if (const FT_STATUS status = readConfigForChange(device, image); status != FT_OK) return status;
        // Fields the record's version does not carry keep what the EEPROM holds.
        EepromContents contents;
        if (const FT_STATUS status = currentContents(device, image, contents); status != FT_OK) return status;
        if (const FT_STATUS status = mergeRecord(*pData, contents); status != FT_OK) return status;
        if (const FT_STATUS status = encode(chip, contents, image); status != FT_OK) return status;
        return written(device, writeImageVerified(device, image));
    });
}

FT_API FT_STATUS FT_CALL FT_EEPROM_Read(FT_HANDLE ftHandle, void *eepromData, uint32_t eepromDataSize,
                                        char *Manufacturer, char *ManufacturerId, char *Description,
                                        char *SerialNumber) {
    if (eepromData == nullptr || eepromDataSize < sizeof(FT_EEPROM_HEADER)) return FT_INVALID_PARAMETER;
    return onDevice(ftHandle, "FT_EEPROM_Read", [&](Device &device) -> FT_STATUS {
        const uint32_t chip = device.chipType();
        if (static_cast<const FT_EEPROM_HEADER *>(eepromData)->deviceType != chip)
            return FT_INVALID_PARAMETER;
        if (eepromDataSize != chipStructureSize(chip)) return FT_INVALID_PARAMETER;
        std::vector<uint16_t> image;
        if (const FT_STATUS status = readConfig(device, image); status != FT_OK) return status;
        EepromContents contents;
        if (const FT_STATUS status = decode(chip, image, contents); status != FT_OK) return status;
        toChipStructure(chip, contents, eepromData, eepromDataSize);
        if (Manufacturer != nullptr) copyTextCut(contents.manufacturer, Manufacturer, kChipManufacturer);
        if (ManufacturerId != nullptr)
            copyTextCut(manufacturerIdOf(contents), ManufacturerId, kChipManufacturerId);
        if (Description != nullptr) copyTextCut(contents.description, Description, kChipDescription);
        if (SerialNumber != nullptr) copyTextCut(contents.serialNumber, SerialNumber, kChipSerial);
        return FT_OK;
    });
}

FT_API FT_STATUS FT_CALL FT_EEPROM_Program(FT_HANDLE ftHandle, void *eepromData, uint32_t eepromDataSize,
                                           char *Manufacturer, char * /*ManufacturerId*/, char *Description,
                                           char *SerialNumber) {
    if (eepromData == nullptr || eepromDataSize < sizeof(FT_EEPROM_HEADER)) return FT_INVALID_PARAMETER;
    return onDevice(ftHandle, "FT_EEPROM_Program", [&](Device &device) -> FT_STATUS {
        const uint32_t chip = device.chipType();
        std::vector<uint16_t> image;
        if (const FT_STATUS status = readConfigForChange(device, image); status != FT_OK) return status;
        EepromContents contents;
        if (const FT_STATUS status = currentContents(device, image, contents); status != FT_OK) return status;
        if (!readCallerText(Manufacturer, kChipManufacturer, contents.manufacturer) ||
            !readCallerText(Description, kChipDescription, contents.description) ||
            !readCallerText(SerialNumber, kChipSerial, contents.serialNumber)) {
            return FT_INVALID_PARAMETER;
        }
        if (const FT_STATUS status = fromChipStructure(chip, eepromData, eepromDataSize, contents);
            status != FT_OK)
            return status;
        if (const FT_STATUS status = encode(chip, contents, image); status != FT_OK) return status;
        return written(device, writeImageVerified(device, image));
    });
}

FT_API FT_STATUS FT_CALL FT_EraseEE(FT_HANDLE ftHandle) {
    return onDevice(ftHandle, "FT_EraseEE", [](Device &device) {
        if (const FT_STATUS status = device.prepareChange(); status != FT_OK) return status;
        std::vector<uint16_t> image;
        EepromContents held;
        const bool valid =
            readConfig(device, image) == FT_OK && decode(device.chipType(), image, held) == FT_OK;
        const FT_STATUS status = written(device, eraseVerified(device));
        if (valid) device.beforeErase = std::move(image);
        return status;
    });
}

FT_API FT_STATUS FT_CALL FT_EE_UASize(FT_HANDLE ftHandle, uint32_t *lpdwSize) {
    if (lpdwSize == nullptr) return FT_INVALID_PARAMETER;
    return onDevice(ftHandle, "FT_EE_UASize", [&](Device &device) -> FT_STATUS {
        std::vector<uint16_t> image;
        if (const FT_STATUS status = readConfig(device, image); status != FT_OK) return status;
        return userAreaSize(device.chipType(), image, *lpdwSize);
    });
}

FT_API FT_STATUS FT_CALL FT_ReadEE(FT_HANDLE ftHandle, uint32_t dwWordOffset, uint16_t *lpwValue) {
    if (lpwValue == nullptr || dwWordOffset > kMaxWordOffset) return FT_INVALID_PARAMETER;
    return onDevice(ftHandle, "FT_ReadEE", [&](Device &device) -> FT_STATUS {
        if (device.eepromWords() == 0) return FT_EEPROM_NOT_PRESENT;
        // The part ignores the address bits it does not have: a 93C46 reads word 64 as word 0.
        return device.readWord(dwWordOffset % device.eepromWords(), *lpwValue);
    });
}

FT_API FT_STATUS FT_CALL FT_WriteEE(FT_HANDLE ftHandle, uint32_t dwWordOffset, uint16_t wValue) {
    if (dwWordOffset > kMaxWordOffset) return FT_INVALID_PARAMETER;
    return onDevice(ftHandle, "FT_WriteEE", [&](Device &device) -> FT_STATUS {
        if (const FT_STATUS status = device.prepareChange(); status != FT_OK) return status;
        if (device.eepromWords() == 0) return FT_EEPROM_NOT_PRESENT;
        return written(device, writeWordVerified(device, dwWordOffset % device.eepromWords(), wValue));
    });
}

}  // extern "C"
