// The D2XX chip structures: their field tables, and the way between them and the
// decoded contents. The older chips' settings live in the program-data record's
// fields (under other names: AIsFifo is IFAIsFifo there, a driver type is a VCP or
// D2XX flag); the newer chips' in their own structures inside the contents.
#include "chip_structures.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <tuple>
#include <type_traits>
#include <vector>

namespace kestrom::d2xx {

// The structures must match the D2XX ones byte for byte (natural alignment).
static_assert(sizeof(FT_EEPROM_HEADER) == 16 && offsetof(FT_EEPROM_HEADER, MaxPower) == 10 &&
              offsetof(FT_EEPROM_HEADER, PullDownEnable) == 14);
static_assert(sizeof(FT_EEPROM_232B) == 16 && sizeof(FT_EEPROM_2232) == 28 && sizeof(FT_EEPROM_232R) == 32);
static_assert(sizeof(FT_EEPROM_2232H) == 40 && sizeof(FT_EEPROM_4232H) == 36 && sizeof(FT_EEPROM_232H) == 44);
static_assert(offsetof(FT_EEPROM_X_SERIES, I2CSlaveAddress) == 40 && offsetof(FT_EEPROM_X_SERIES, I2CDeviceId) == 44 &&
              sizeof(FT_EEPROM_X_SERIES) == 56);

namespace {

using K = FieldKind;
constexpr uint32_t kMaxPowerMilliamps = 500;

#define KESTROM_FIELD(S, name, kind, max) ChipField{#name, offsetof(S, name), sizeof(S::name), kind, max}
#define KESTROM_FLAG(S, name) KESTROM_FIELD(S, name, K::Flag, 1)
#define KESTROM_DRIVER(S, name) KESTROM_FIELD(S, name, K::DriverType, FT_DRIVER_TYPE_VCP)
#define KESTROM_GROUP(S, prefix)                                                             \
    KESTROM_FLAG(S, prefix##SlowSlew), KESTROM_FLAG(S, prefix##SchmittInput),                \
        KESTROM_FIELD(S, prefix##DriveCurrent, K::DriveCurrent, FT_DRIVE_CURRENT_16MA)
#define KESTROM_CBUS(S, name, max) KESTROM_FIELD(S, name, K::Function, max)
#define KESTROM_INVERTS(S)                                                                                   \
    KESTROM_FLAG(S, InvertTXD), KESTROM_FLAG(S, InvertRXD), KESTROM_FLAG(S, InvertRTS),                      \
        KESTROM_FLAG(S, InvertCTS), KESTROM_FLAG(S, InvertDTR), KESTROM_FLAG(S, InvertDSR),                  \
        KESTROM_FLAG(S, InvertDCD), KESTROM_FLAG(S, InvertRI)
// The header sits at offset 0 of every structure.
#define KESTROM_HEADER                                                                         \
    KESTROM_FIELD(FT_EEPROM_HEADER, VendorId, K::Number, 0xFFFF),                              \
        KESTROM_FIELD(FT_EEPROM_HEADER, ProductId, K::Number, 0xFFFF),                         \
        KESTROM_FLAG(FT_EEPROM_HEADER, SerNumEnable),                                          \
        KESTROM_FIELD(FT_EEPROM_HEADER, MaxPower, K::Number, kMaxPowerMilliamps),              \
        KESTROM_FLAG(FT_EEPROM_HEADER, SelfPowered), KESTROM_FLAG(FT_EEPROM_HEADER, RemoteWakeup), \
        KESTROM_FLAG(FT_EEPROM_HEADER, PullDownEnable)

constexpr ChipField k232B[] = {KESTROM_HEADER};

constexpr ChipField k2232[] = {
    KESTROM_HEADER,
    KESTROM_FLAG(FT_EEPROM_2232, AIsHighCurrent), KESTROM_FLAG(FT_EEPROM_2232, BIsHighCurrent),
    KESTROM_FLAG(FT_EEPROM_2232, AIsFifo), KESTROM_FLAG(FT_EEPROM_2232, AIsFifoTar),
    KESTROM_FLAG(FT_EEPROM_2232, AIsFastSer), KESTROM_FLAG(FT_EEPROM_2232, BIsFifo),
    KESTROM_FLAG(FT_EEPROM_2232, BIsFifoTar), KESTROM_FLAG(FT_EEPROM_2232, BIsFastSer),
    KESTROM_DRIVER(FT_EEPROM_2232, ADriverType), KESTROM_DRIVER(FT_EEPROM_2232, BDriverType)};

constexpr ChipField k232R[] = {
    KESTROM_HEADER,
    KESTROM_FLAG(FT_EEPROM_232R, IsHighCurrent), KESTROM_FLAG(FT_EEPROM_232R, UseExtOsc),
    KESTROM_INVERTS(FT_EEPROM_232R),
    KESTROM_CBUS(FT_EEPROM_232R, Cbus0, FT_232R_CBUS_BITBANG_RD), KESTROM_CBUS(FT_EEPROM_232R, Cbus1, FT_232R_CBUS_BITBANG_RD),
    KESTROM_CBUS(FT_EEPROM_232R, Cbus2, FT_232R_CBUS_BITBANG_RD), KESTROM_CBUS(FT_EEPROM_232R, Cbus3, FT_232R_CBUS_BITBANG_RD),
    KESTROM_CBUS(FT_EEPROM_232R, Cbus4, FT_232R_CBUS_CLK6),
    KESTROM_DRIVER(FT_EEPROM_232R, DriverType)};

constexpr ChipField k2232H[] = {
    KESTROM_HEADER,
    KESTROM_GROUP(FT_EEPROM_2232H, AL), KESTROM_GROUP(FT_EEPROM_2232H, AH),
    KESTROM_GROUP(FT_EEPROM_2232H, BL), KESTROM_GROUP(FT_EEPROM_2232H, BH),
    KESTROM_FLAG(FT_EEPROM_2232H, AIsFifo), KESTROM_FLAG(FT_EEPROM_2232H, AIsFifoTar),
    KESTROM_FLAG(FT_EEPROM_2232H, AIsFastSer), KESTROM_FLAG(FT_EEPROM_2232H, BIsFifo),
    KESTROM_FLAG(FT_EEPROM_2232H, BIsFifoTar), KESTROM_FLAG(FT_EEPROM_2232H, BIsFastSer),
    KESTROM_FLAG(FT_EEPROM_2232H, PowerSaveEnable),
    KESTROM_DRIVER(FT_EEPROM_2232H, ADriverType), KESTROM_DRIVER(FT_EEPROM_2232H, BDriverType)};

constexpr ChipField k4232H[] = {
    KESTROM_HEADER,
    KESTROM_GROUP(FT_EEPROM_4232H, A), KESTROM_GROUP(FT_EEPROM_4232H, B),
    KESTROM_GROUP(FT_EEPROM_4232H, C), KESTROM_GROUP(FT_EEPROM_4232H, D),
    KESTROM_FLAG(FT_EEPROM_4232H, ARIIsTXDEN), KESTROM_FLAG(FT_EEPROM_4232H, BRIIsTXDEN),
    KESTROM_FLAG(FT_EEPROM_4232H, CRIIsTXDEN), KESTROM_FLAG(FT_EEPROM_4232H, DRIIsTXDEN),
    KESTROM_DRIVER(FT_EEPROM_4232H, ADriverType), KESTROM_DRIVER(FT_EEPROM_4232H, BDriverType),
    KESTROM_DRIVER(FT_EEPROM_4232H, CDriverType), KESTROM_DRIVER(FT_EEPROM_4232H, DDriverType)};

#define KESTROM_ACBUS(n) KESTROM_CBUS(FT_EEPROM_232H, Cbus##n, FT_232H_CBUS_CLK7_5)
constexpr ChipField k232H[] = {
    KESTROM_HEADER,
    KESTROM_GROUP(FT_EEPROM_232H, AC), KESTROM_GROUP(FT_EEPROM_232H, AD),
    KESTROM_ACBUS(0), KESTROM_ACBUS(1), KESTROM_ACBUS(2), KESTROM_ACBUS(3), KESTROM_ACBUS(4),
    KESTROM_ACBUS(5), KESTROM_ACBUS(6), KESTROM_ACBUS(7), KESTROM_ACBUS(8), KESTROM_ACBUS(9),
    KESTROM_FLAG(FT_EEPROM_232H, FT1248Cpol), KESTROM_FLAG(FT_EEPROM_232H, FT1248Lsb),
    KESTROM_FLAG(FT_EEPROM_232H, FT1248FlowControl),
    KESTROM_FLAG(FT_EEPROM_232H, IsFifo), KESTROM_FLAG(FT_EEPROM_232H, IsFifoTar),
    KESTROM_FLAG(FT_EEPROM_232H, IsFastSer), KESTROM_FLAG(FT_EEPROM_232H, IsFT1248),
    KESTROM_FLAG(FT_EEPROM_232H, PowerSaveEnable),
    KESTROM_DRIVER(FT_EEPROM_232H, DriverType)};
#undef KESTROM_ACBUS

#define KESTROM_XCBUS(n) KESTROM_CBUS(FT_EEPROM_X_SERIES, Cbus##n, FT_X_SERIES_CBUS_KEEP_AWAKE)
constexpr ChipField kXSeries[] = {
    KESTROM_HEADER,
    KESTROM_GROUP(FT_EEPROM_X_SERIES, AC), KESTROM_GROUP(FT_EEPROM_X_SERIES, AD),
    KESTROM_XCBUS(0), KESTROM_XCBUS(1), KESTROM_XCBUS(2), KESTROM_XCBUS(3),
    KESTROM_XCBUS(4), KESTROM_XCBUS(5), KESTROM_XCBUS(6),
    KESTROM_INVERTS(FT_EEPROM_X_SERIES),
    KESTROM_FLAG(FT_EEPROM_X_SERIES, BCDEnable), KESTROM_FLAG(FT_EEPROM_X_SERIES, BCDForceCbusPWREN),
    KESTROM_FLAG(FT_EEPROM_X_SERIES, BCDDisableSleep),
    KESTROM_FIELD(FT_EEPROM_X_SERIES, I2CSlaveAddress, K::Number, 0x7F),
    KESTROM_FIELD(FT_EEPROM_X_SERIES, I2CDeviceId, K::Number, 0xFFFFFFFF),
    KESTROM_FLAG(FT_EEPROM_X_SERIES, I2CDisableSchmitt),
    KESTROM_FLAG(FT_EEPROM_X_SERIES, FT1248Cpol), KESTROM_FLAG(FT_EEPROM_X_SERIES, FT1248Lsb),
    KESTROM_FLAG(FT_EEPROM_X_SERIES, FT1248FlowControl), KESTROM_FLAG(FT_EEPROM_X_SERIES, RS485EchoSuppress),
    KESTROM_FLAG(FT_EEPROM_X_SERIES, PowerSaveEnable),
    KESTROM_DRIVER(FT_EEPROM_X_SERIES, DriverType)};
#undef KESTROM_XCBUS

// A field of an older chip's structure and the record field that holds it.
template <typename S>
struct Link {
    uint8_t S::*mine;
    uint8_t FT_PROGRAM_DATA::*record;
};

constexpr Link<FT_EEPROM_2232> k2232Links[] = {
    {&FT_EEPROM_2232::AIsHighCurrent, &FT_PROGRAM_DATA::AIsHighCurrent},
    {&FT_EEPROM_2232::BIsHighCurrent, &FT_PROGRAM_DATA::BIsHighCurrent},
    {&FT_EEPROM_2232::AIsFifo, &FT_PROGRAM_DATA::IFAIsFifo},
    {&FT_EEPROM_2232::AIsFifoTar, &FT_PROGRAM_DATA::IFAIsFifoTar},
    {&FT_EEPROM_2232::AIsFastSer, &FT_PROGRAM_DATA::IFAIsFastSer},
    {&FT_EEPROM_2232::BIsFifo, &FT_PROGRAM_DATA::IFBIsFifo},
    {&FT_EEPROM_2232::BIsFifoTar, &FT_PROGRAM_DATA::IFBIsFifoTar},
    {&FT_EEPROM_2232::BIsFastSer, &FT_PROGRAM_DATA::IFBIsFastSer}};

constexpr Link<FT_EEPROM_232R> k232RLinks[] = {
    {&FT_EEPROM_232R::IsHighCurrent, &FT_PROGRAM_DATA::HighDriveIOs},
    {&FT_EEPROM_232R::UseExtOsc, &FT_PROGRAM_DATA::UseExtOsc},
    {&FT_EEPROM_232R::InvertTXD, &FT_PROGRAM_DATA::InvertTXD},
    {&FT_EEPROM_232R::InvertRXD, &FT_PROGRAM_DATA::InvertRXD},
    {&FT_EEPROM_232R::InvertRTS, &FT_PROGRAM_DATA::InvertRTS},
    {&FT_EEPROM_232R::InvertCTS, &FT_PROGRAM_DATA::InvertCTS},
    {&FT_EEPROM_232R::InvertDTR, &FT_PROGRAM_DATA::InvertDTR},
    {&FT_EEPROM_232R::InvertDSR, &FT_PROGRAM_DATA::InvertDSR},
    {&FT_EEPROM_232R::InvertDCD, &FT_PROGRAM_DATA::InvertDCD},
    {&FT_EEPROM_232R::InvertRI, &FT_PROGRAM_DATA::InvertRI},
    {&FT_EEPROM_232R::Cbus0, &FT_PROGRAM_DATA::Cbus0},
    {&FT_EEPROM_232R::Cbus1, &FT_PROGRAM_DATA::Cbus1},
    {&FT_EEPROM_232R::Cbus2, &FT_PROGRAM_DATA::Cbus2},
    {&FT_EEPROM_232R::Cbus3, &FT_PROGRAM_DATA::Cbus3},
    {&FT_EEPROM_232R::Cbus4, &FT_PROGRAM_DATA::Cbus4}};

// The header's serial-number and pull-down flags in the record, by chip.
struct HeaderLinks {
    uint8_t FT_PROGRAM_DATA::*serialNumber;
    uint8_t FT_PROGRAM_DATA::*pullDown;
};

std::optional<HeaderLinks> headerLinks(uint32_t chipType) {
    switch (chipType) {
        case FT_DEVICE_BM: return HeaderLinks{&FT_PROGRAM_DATA::SerNumEnable, &FT_PROGRAM_DATA::PullDownEnable};
        case FT_DEVICE_2232C: return HeaderLinks{&FT_PROGRAM_DATA::SerNumEnable5, &FT_PROGRAM_DATA::PullDownEnable5};
        case FT_DEVICE_232R: return HeaderLinks{&FT_PROGRAM_DATA::SerNumEnableR, &FT_PROGRAM_DATA::PullDownEnableR};
        default: return std::nullopt;
    }
}

uint8_t driverOf(bool vcp) { return vcp ? FT_DRIVER_TYPE_VCP : FT_DRIVER_TYPE_D2XX; }

// The newer chips' structures inside the contents.
template <typename Contents>  // EepromContents, const or not
auto ownStructure(uint32_t chipType, Contents &c) {
    using Pointer = std::conditional_t<std::is_const_v<Contents>, const void *, void *>;
    switch (chipType) {
        case FT_DEVICE_2232H: return Pointer{&c.ft2232h};
        case FT_DEVICE_4232H: return Pointer{&c.ft4232h};
        case FT_DEVICE_232H: return Pointer{&c.ft232h};
        case FT_DEVICE_X_SERIES: return Pointer{&c.xSeries};
        default: return Pointer{nullptr};
    }
}

void toOlderChip(uint32_t chipType, const FT_PROGRAM_DATA &f, void *structure) {
    auto &h = *static_cast<FT_EEPROM_HEADER *>(structure);
    if (const auto links = headerLinks(chipType)) {
        h.SerNumEnable = f.*links->serialNumber;
        h.PullDownEnable = f.*links->pullDown;
    }
    if (chipType == FT_DEVICE_2232C) {
        auto &e = *static_cast<FT_EEPROM_2232 *>(structure);
        for (const auto &link : k2232Links) e.*link.mine = f.*link.record;
        e.ADriverType = driverOf(f.AIsVCP), e.BDriverType = driverOf(f.BIsVCP);
    } else if (chipType == FT_DEVICE_232R) {
        auto &e = *static_cast<FT_EEPROM_232R *>(structure);
        for (const auto &link : k232RLinks) e.*link.mine = f.*link.record;
        e.DriverType = driverOf(!f.RIsD2XX);
    }
}

void fromOlderChip(uint32_t chipType, const void *structure, FT_PROGRAM_DATA &f) {
    const auto &h = *static_cast<const FT_EEPROM_HEADER *>(structure);
    if (const auto links = headerLinks(chipType)) {
        f.*links->serialNumber = h.SerNumEnable;
        f.*links->pullDown = h.PullDownEnable;
    }
    if (chipType == FT_DEVICE_2232C) {
        const auto &e = *static_cast<const FT_EEPROM_2232 *>(structure);
        for (const auto &link : k2232Links) f.*link.record = e.*link.mine;
        f.AIsVCP = e.ADriverType == FT_DRIVER_TYPE_VCP, f.BIsVCP = e.BDriverType == FT_DRIVER_TYPE_VCP;
    } else if (chipType == FT_DEVICE_232R) {
        const auto &e = *static_cast<const FT_EEPROM_232R *>(structure);
        for (const auto &link : k232RLinks) f.*link.record = e.*link.mine;
        f.RIsD2XX = e.DriverType == FT_DRIVER_TYPE_D2XX;
    }
}

}  // namespace

std::span<const ChipField> chipFields(uint32_t chipType) {
    switch (chipType) {
        case FT_DEVICE_AM:
        case FT_DEVICE_BM: return k232B;
        case FT_DEVICE_2232C: return k2232;
        case FT_DEVICE_232R: return k232R;
        case FT_DEVICE_2232H: return k2232H;
        case FT_DEVICE_4232H: return k4232H;
        case FT_DEVICE_232H: return k232H;
        case FT_DEVICE_X_SERIES: return kXSeries;
        default: return {};
    }
}

size_t chipStructureSize(uint32_t chipType) {
    switch (chipType) {
        case FT_DEVICE_AM:
        case FT_DEVICE_BM: return sizeof(FT_EEPROM_232B);
        case FT_DEVICE_2232C: return sizeof(FT_EEPROM_2232);
        case FT_DEVICE_232R: return sizeof(FT_EEPROM_232R);
        case FT_DEVICE_2232H: return sizeof(FT_EEPROM_2232H);
        case FT_DEVICE_4232H: return sizeof(FT_EEPROM_4232H);
        case FT_DEVICE_232H: return sizeof(FT_EEPROM_232H);
        case FT_DEVICE_X_SERIES: return sizeof(FT_EEPROM_X_SERIES);
        default: return 0;
    }
}

uint32_t fieldValue(const void *structure, const ChipField &field) {
    const auto *at = static_cast<const unsigned char *>(structure) + field.offset;
    uint32_t value = 0;
    std::memcpy(&value, at, field.size);  // little-endian host, as the D2XX structures are
    return value;
}

void setFieldValue(void *structure, const ChipField &field, uint32_t value) {
    std::memcpy(static_cast<unsigned char *>(structure) + field.offset, &value, field.size);
}

bool fieldValueValid(const ChipField &field, uint32_t value) {
    switch (field.kind) {
        case FieldKind::Flag: return true;
        case FieldKind::DriveCurrent: return value >= 4 && value <= 16 && value % 4 == 0;
        default: return value <= field.max;
    }
}

FT_STATUS toChipStructure(uint32_t chipType, const EepromContents &contents, void *structure, size_t size) {
    if (structure == nullptr || size == 0 || size != chipStructureSize(chipType)) return FT_INVALID_PARAMETER;
    std::memset(structure, 0, size);
    if (const void *own = ownStructure(chipType, contents)) {
        std::memcpy(structure, own, size);
    } else {
        toOlderChip(chipType, contents.fields, structure);
    }
    auto &h = *static_cast<FT_EEPROM_HEADER *>(structure);
    const FT_PROGRAM_DATA &f = contents.fields;
    h.deviceType = chipType;
    h.VendorId = f.VendorId, h.ProductId = f.ProductId, h.MaxPower = f.MaxPower;
    h.SelfPowered = f.SelfPowered, h.RemoteWakeup = f.RemoteWakeup;
    return FT_OK;
}

FT_STATUS fromChipStructure(uint32_t chipType, const void *structure, size_t size, EepromContents &contents) {
    if (structure == nullptr || size == 0 || size != chipStructureSize(chipType)) return FT_INVALID_PARAMETER;
    const auto &h = *static_cast<const FT_EEPROM_HEADER *>(structure);
    if (h.deviceType != chipType) return FT_INVALID_PARAMETER;
    for (const ChipField &field : chipFields(chipType))
        if (!fieldValueValid(field, fieldValue(structure, field))) return FT_INVALID_PARAMETER;

    FT_PROGRAM_DATA &f = contents.fields;
    f.VendorId = h.VendorId, f.ProductId = h.ProductId, f.MaxPower = h.MaxPower;
    f.SelfPowered = h.SelfPowered != 0, f.RemoteWakeup = h.RemoteWakeup != 0;
    if (void *own = ownStructure(chipType, contents)) {
        std::memcpy(own, structure, size);
    } else {
        fromOlderChip(chipType, structure, f);
    }
    return FT_OK;
}

bool sameContents(uint32_t chipType, const EepromContents &a, const EepromContents &b) {
    // The record has no padding before its last field (its layout is asserted).
    constexpr size_t recordEnd = offsetof(FT_PROGRAM_DATA, RIsD2XX) + 1;
    if (std::memcmp(&a.fields, &b.fields, recordEnd) != 0 ||
        std::tie(a.manufacturer, a.description, a.serialNumber, a.usbVersionR) !=
            std::tie(b.manufacturer, b.description, b.serialNumber, b.usbVersionR)) {
        return false;
    }
    const size_t size = chipStructureSize(chipType);
    if (size == 0) return true;
    std::vector<unsigned char> mine(size), theirs(size);
    toChipStructure(chipType, a, mine.data(), size);
    toChipStructure(chipType, b, theirs.data(), size);
    const auto fields = chipFields(chipType);
    return std::all_of(fields.begin(), fields.end(), [&](const ChipField &field) {
        const uint32_t x = fieldValue(mine.data(), field), y = fieldValue(theirs.data(), field);
        return field.kind == FieldKind::Flag ? (x != 0) == (y != 0) : x == y;
    });
}

}  // namespace kestrom::d2xx
