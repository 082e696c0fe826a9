// ftd2xx-probe: prints what device 0 holds, through the D2XX calls.
#include "ftd2xx.h"

#include <cstdio>

namespace {

void printRecord(const FT_PROGRAM_DATA &d) {
    std::printf("Manufacturer:   %s\nManufacturerId: %s\nDescription:    %s\nSerialNumber:   %s\n", d.Manufacturer,
                d.ManufacturerId, d.Description, d.SerialNumber);
    std::printf("VendorId:       0x%04X\nProductId:      0x%04X\nMaxPower:       %u mA\n", d.VendorId, d.ProductId,
                d.MaxPower);
    std::printf("PnP:            %u\nSelfPowered:    %u\nRemoteWakeup:   %u\n", d.PnP, d.SelfPowered,
                d.RemoteWakeup);
}

void printWords(FT_HANDLE handle) {
    for (uint32_t offset = 0; offset < 128; ++offset) {
        uint16_t word = 0;
        FT_ReadEE(handle, offset, &word);
        std::printf("%s%04X", offset % 8 == 0 ? (offset ? "\n" : "") : " ", word);
    }
    std::printf("\n");
}

}  // namespace

int main() {
    uint32_t count = 0;
    FT_ListDevices(&count, nullptr, FT_LIST_NUMBER_ONLY);
    std::printf("Devices: %u\n", count);
    for (uint32_t i = 0; i < count; ++i) {
        char description[64] = {};
        if (FT_ListDevices(reinterpret_cast<void *>(uintptr_t{i}), description,
                           FT_LIST_BY_INDEX | FT_OPEN_BY_DESCRIPTION) == FT_OK) {
            std::printf("  %u: %s\n", i, description);
        }
    }
    FT_HANDLE handle = nullptr;
    if (const FT_STATUS status = FT_Open(0, &handle); status != FT_OK) {
        std::printf("Device 0 cannot be opened (status %u)\n", status);
        return 1;
    }
    uint32_t type = 0, id = 0;
    char serial[16] = {}, description[64] = {};
    FT_GetDeviceInfo(handle, &type, &id, serial, description, nullptr);
    std::printf("Type %u, ID %08X, serial \"%s\", description \"%s\"\n", type, id, serial, description);

    char manufacturer[36] = {}, manufacturerId[20] = {}, product[68] = {}, serialNumber[20] = {};
    FT_PROGRAM_DATA data{};
    data.Signature2 = 0xFFFFFFFF;
    data.Manufacturer = manufacturer;
    data.ManufacturerId = manufacturerId;
    data.Description = product;
    data.SerialNumber = serialNumber;
    const FT_STATUS read = FT_EE_Read(handle, &data);
    if (read == FT_OK) {
        printRecord(data);
        uint32_t userArea = 0;
        if (FT_EE_UASize(handle, &userArea) == FT_OK) std::printf("User area:      %u bytes\n", userArea);
    } else {
        std::printf("EEPROM not read (status %u)\n", read);
    }
    printWords(handle);
    FT_Close(handle);
    return read == FT_OK ? 0 : 1;
}
