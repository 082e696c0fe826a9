// Between the caller's program-data record and decoded EEPROM contents.
#include "eeprom_codec.h"
#include "text_codec.h"

#include <cstddef>
#include <cstring>

namespace kestrom::d2xx {

// The record must match the D2XX program-data record byte for byte.
static_assert(offsetof(FT_PROGRAM_DATA, VendorId) == 12 && offsetof(FT_PROGRAM_DATA, ProductId) == 14);
static_assert(offsetof(FT_PROGRAM_DATA, Manufacturer) == 16);
static_assert(sizeof(void *) == 4 || sizeof(void *) == 8);
constexpr size_t kPointerGrowth = 4 * (sizeof(void *) - 4);  // four pointers past offset 16
static_assert(offsetof(FT_PROGRAM_DATA, ManufacturerId) == 16 + sizeof(void *));
static_assert(offsetof(FT_PROGRAM_DATA, SerialNumber) == 16 + 3 * sizeof(void *));
static_assert(offsetof(FT_PROGRAM_DATA, MaxPower) == 32 + kPointerGrowth);
static_assert(offsetof(FT_PROGRAM_DATA, PnP) == 34 + kPointerGrowth);
static_assert(offsetof(FT_PROGRAM_DATA, SelfPowered) == 36 + kPointerGrowth);
static_assert(offsetof(FT_PROGRAM_DATA, RemoteWakeup) == 38 + kPointerGrowth);
static_assert(offsetof(FT_PROGRAM_DATA, Rev4) == 40 + kPointerGrowth);
static_assert(offsetof(FT_PROGRAM_DATA, USBVersionEnable) == 45 + kPointerGrowth);
static_assert(offsetof(FT_PROGRAM_DATA, USBVersion) == 46 + kPointerGrowth);
static_assert(offsetof(FT_PROGRAM_DATA, Rev5) == 48 + kPointerGrowth);
static_assert(offsetof(FT_PROGRAM_DATA, USBVersionEnable5) == 55 + kPointerGrowth);
static_assert(offsetof(FT_PROGRAM_DATA, USBVersion5) == 56 + kPointerGrowth);
static_assert(offsetof(FT_PROGRAM_DATA, AIsHighCurrent) == 58 + kPointerGrowth);
static_assert(offsetof(FT_PROGRAM_DATA, BIsVCP) == 67 + kPointerGrowth);
static_assert(offsetof(FT_PROGRAM_DATA, UseExtOsc) == 68 + kPointerGrowth);
static_assert(offsetof(FT_PROGRAM_DATA, RIsD2XX) == 86 + kPointerGrowth);
static_assert(sizeof(FT_PROGRAM_DATA) == (sizeof(void *) == 4 ? 88 : 104));

namespace {

// Field ranges of the record by the version that carries them. Version 0 holds
// everything up to the FT2xxBM fields; the text pointers are handled apart.
constexpr size_t kIdsBegin = offsetof(FT_PROGRAM_DATA, VendorId);
constexpr size_t kIdsEnd = offsetof(FT_PROGRAM_DATA, Manufacturer);
constexpr size_t kBaseBegin = offsetof(FT_PROGRAM_DATA, MaxPower);
constexpr size_t kBaseEnd = offsetof(FT_PROGRAM_DATA, Rev5);
constexpr size_t kVersion1End = offsetof(FT_PROGRAM_DATA, UseExtOsc);
constexpr size_t kVersion2End = offsetof(FT_PROGRAM_DATA, RIsD2XX) + 1;

void copyRange(const FT_PROGRAM_DATA &from, FT_PROGRAM_DATA &to, size_t begin, size_t end) {
    std::memcpy(reinterpret_cast<unsigned char *>(&to) + begin,
                reinterpret_cast<const unsigned char *>(&from) + begin, end - begin);
}

// The first `count` characters (not bytes) of a UTF-8 text.
std::string leadingCharacters(const std::string &text, size_t count) {
    size_t end = 0;
    for (size_t seen = 0; end < text.size(); ++end) {
        const bool startsCharacter = (static_cast<unsigned char>(text[end]) & 0xC0) != 0x80;
        if (startsCharacter && seen++ == count) break;
    }
    return text.substr(0, end);
}

void copyOut(const std::string &text, char *buffer, size_t capacity) {
    if (buffer != nullptr) copyTextCut(text, buffer, capacity);
}

// The Hi-Speed and X-series chips unprogrammed: VCP drivers, 4 mA drive on every
// pin group, the serial number used; the X series' CBUS pins as the factory sets them.
template <typename Structure>
Structure &withSerialNumber(Structure &e) {
    e.common.SerNumEnable = 1;
    return e;
}

void defaults2232H(FT_EEPROM_2232H &e) {
    e.ALDriveCurrent = e.AHDriveCurrent = e.BLDriveCurrent = e.BHDriveCurrent = FT_DRIVE_CURRENT_4MA;
    e.ADriverType = e.BDriverType = FT_DRIVER_TYPE_VCP;
}

void defaults4232H(FT_EEPROM_4232H &e) {
    e.ADriveCurrent = e.BDriveCurrent = e.CDriveCurrent = e.DDriveCurrent = FT_DRIVE_CURRENT_4MA;
    e.ADriverType = e.BDriverType = e.CDriverType = e.DDriverType = FT_DRIVER_TYPE_VCP;
}

void defaults232H(FT_EEPROM_232H &e) {
    e.ACDriveCurrent = e.ADDriveCurrent = FT_DRIVE_CURRENT_4MA;
    e.DriverType = FT_DRIVER_TYPE_VCP;
}

void defaultsX(FT_EEPROM_X_SERIES &e) {
    e.ACDriveCurrent = e.ADDriveCurrent = FT_DRIVE_CURRENT_4MA;
    e.DriverType = FT_DRIVER_TYPE_VCP;
    e.Cbus0 = FT_X_SERIES_CBUS_TXDEN, e.Cbus1 = FT_X_SERIES_CBUS_RXLED;
    e.Cbus2 = FT_X_SERIES_CBUS_TXLED, e.Cbus3 = FT_X_SERIES_CBUS_SLEEP;
}

uint16_t defaultProductId(uint32_t chipType) {
    switch (chipType) {
        case FT_DEVICE_2232C:
        case FT_DEVICE_2232H: return 0x6010;
        case FT_DEVICE_4232H: return 0x6011;
        case FT_DEVICE_232H: return 0x6014;
        case FT_DEVICE_X_SERIES: return 0x6015;
        default: return 0x6001;
    }
}

}  // namespace

bool readCallerText(const char *text, size_t capacity, std::string &out) {
    if (text == nullptr) return false;
    const size_t length = strnlen(text, capacity);
    if (length == capacity) return false;
    out.assign(text, length);
    return true;
}

std::string manufacturerIdOf(const EepromContents &contents) {
    return leadingCharacters(contents.serialNumber, 2);
}

EepromContents chipDefaults(uint32_t chipType) {
    EepromContents c;
    FT_PROGRAM_DATA &f = c.fields;
    f.VendorId = 0x0403;
    f.ProductId = defaultProductId(chipType);
    f.MaxPower = 90;
    f.PnP = 1;
    c.manufacturer = "FTDI";
    switch (chipType) {
        case FT_DEVICE_BM:
            f.Rev4 = 1;
            f.USBVersion = 0x0200;
            c.description = "USB <-> Serial";
            break;
        case FT_DEVICE_2232C:
            f.Rev5 = 1;
            f.USBVersion5 = 0x0200;
            c.description = "Dual RS232";
            break;
        case FT_DEVICE_232R:
            f.EndpointSize = 0x40;
            // TXLED, RXLED, TXDEN, PWREN, SLEEP: what an FT232R ships with.
            f.Cbus0 = 3;
            f.Cbus1 = 2;
            f.Cbus2 = 0;
            f.Cbus3 = 1;
            f.Cbus4 = 5;
            c.description = "FT232R USB UART";
            break;
        case FT_DEVICE_2232H:
            defaults2232H(withSerialNumber(c.ft2232h));
            c.description = "Dual RS232-HS";
            break;
        case FT_DEVICE_4232H:
            defaults4232H(withSerialNumber(c.ft4232h));
            c.description = "Quad RS232-HS";
            break;
        case FT_DEVICE_232H:
            defaults232H(withSerialNumber(c.ft232h));
            c.description = "Single RS232-HS";
            break;
        case FT_DEVICE_X_SERIES:
            defaultsX(withSerialNumber(c.xSeries));
            c.description = "FT230X Basic UART";
            break;
        default:
            c.description = "USB <-> Serial";
            break;
    }
    return c;
}

FT_STATUS mergeRecord(const FT_PROGRAM_DATA &record, EepromContents &current) {
    EepromContents merged = current;
    if (!readCallerText(record.Manufacturer, kManufacturerCapacity, merged.manufacturer) ||
        !readCallerText(record.Description, kDescriptionCapacity, merged.description) ||
        !readCallerText(record.SerialNumber, kSerialNumberCapacity, merged.serialNumber)) {
        return FT_INVALID_PARAMETER;
    }
    copyRange(record, merged.fields, kIdsBegin, kIdsEnd);
    copyRange(record, merged.fields, kBaseBegin, kBaseEnd);
    if (record.Version >= 1) copyRange(record, merged.fields, kBaseEnd, kVersion1End);
    if (record.Version >= 2) copyRange(record, merged.fields, kVersion1End, kVersion2End);
    current = std::move(merged);
    return FT_OK;
}

void fillRecord(const EepromContents &contents, FT_PROGRAM_DATA &record) {
    copyRange(contents.fields, record, kIdsBegin, kIdsEnd);
    copyRange(contents.fields, record, kBaseBegin, kVersion2End);
    copyOut(contents.manufacturer, record.Manufacturer, kManufacturerCapacity);
    copyOut(manufacturerIdOf(contents), record.ManufacturerId, kManufacturerIdCapacity);
    copyOut(contents.description, record.Description, kDescriptionCapacity);
    copyOut(contents.serialNumber, record.SerialNumber, kSerialNumberCapacity);
}

}  // namespace kestrom::d2xx
