// The program's own D2XX calls (listing, open, identity and location, words, the record,
// the chip structures, erase, close), bound by name
// from libftd2xx: the program folder's copy first, then the system's search.
// A library that lacks any of these calls is refused as a whole, its message naming
// them. While the library is unavailable every call answers FT_DEVICE_NOT_FOUND, as
// if no device were connected.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

#include "export_table.h"
#include "ftd2xx.h"
#include "shared_library.h"

namespace kestrom::platform {

class D2xxBinding {
public:
    explicit D2xxBinding(const std::filesystem::path &programFolder);
    // Binds the calls through `find` instead of a library of its own.
    explicit D2xxBinding(ExportTable::Finder find);
    D2xxBinding(const D2xxBinding &) = delete;
    D2xxBinding &operator=(const D2xxBinding &) = delete;

    // Loads the library now; false with message() when it cannot be loaded.
    bool load() { return exports_.load(); }
    const std::string &message() const { return exports_.message(); }

    FT_STATUS FT_ListDevices(void *arg1, void *arg2, uint32_t flags);
    FT_STATUS FT_Open(int device, FT_HANDLE *handle);
    FT_STATUS FT_ReadEE(FT_HANDLE handle, uint32_t wordOffset, uint16_t *value);
    FT_STATUS FT_Close(FT_HANDLE handle);
    FT_STATUS FT_GetDeviceInfo(FT_HANDLE handle, uint32_t *type, uint32_t *id, char *serialNumber,
                               char *description, void *dummy);
    // The device at `index` as listed now, with its location (0: unknown).
    FT_STATUS FT_GetDeviceInfoDetail(uint32_t index, uint32_t *type, uint32_t *id, uint32_t *location,
                                     char *serialNumber, char *description);
    FT_STATUS FT_WriteEE(FT_HANDLE handle, uint32_t wordOffset, uint16_t value);
    FT_STATUS FT_EraseEE(FT_HANDLE handle);
    FT_STATUS FT_EE_Read(FT_HANDLE handle, FT_PROGRAM_DATA *data);
    FT_STATUS FT_EE_Program(FT_HANDLE handle, FT_PROGRAM_DATA *data);
    FT_STATUS FT_EE_UASize(FT_HANDLE handle, uint32_t *bytes);
    FT_STATUS FT_EEPROM_Read(FT_HANDLE handle, void *data, uint32_t size, char *manufacturer,
                             char *manufacturerId, char *description, char *serialNumber);
    FT_STATUS FT_EEPROM_Program(FT_HANDLE handle, void *data, uint32_t size, char *manufacturer,
                                char *manufacturerId, char *description, char *serialNumber);
    // Kestrom's own driver's: the chip type and port (USB port path, or simulated
    // section) of a listed device; FT_DEVICE_NOT_FOUND from another driver.
    FT_STATUS KT_GetDevicePort(uint32_t index, uint32_t *type, char *port, uint32_t portSize);
    // Likewise, the port of the device open on `handle`.
    FT_STATUS KT_GetHandlePort(FT_HANDLE handle, char *port, uint32_t portSize);
    // Likewise, every listed device's chip type and port at once; FT_DEVICE_NOT_FOUND
    // from another driver.
    FT_STATUS KT_ListDevicePorts(KT_DEVICE_PORT *ports, uint32_t room, uint32_t *count);
    // Likewise, opens the device plugged in at `port` from one look at the bus.
    FT_STATUS KT_OpenByPort(const char *port, FT_HANDLE *handle);
    // Whether the driver has KT_OpenByPort.
    bool opensByPort();
    // Likewise, the location FT_GetDeviceInfoDetail gives the device open on `handle`,
    // without a listing.
    FT_STATUS KT_GetHandleLocation(FT_HANDLE handle, uint32_t *location);
    // Whether the driver has KT_GetHandleLocation.
    bool tellsHandleLocation();
    // Whether the driver has KT_GetDevicePort and KT_GetHandlePort.
    bool tellsPorts();
    // Whether it has KT_ListDevicePorts too (older builds of our own driver lack it).
    bool listsPorts();

private:
    bool open(const std::filesystem::path &programFolder, std::string &message);

    SharedLibrary library_;
    ExportTable exports_;
};

}  // namespace kestrom::platform
