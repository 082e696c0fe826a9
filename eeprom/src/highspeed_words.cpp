// Where the Hi-Speed and X-series chips keep their own settings:
//
//   byte 0, 1   channel modes and drivers; 2232H: byte 1 bit 7 power save on BCBUS7;
//               4232H: bit 3 drivers A/B, bit 7 drivers C/D; 232H: byte 0 bits 0-3
//               mode (FT1248 0x08), bit 4 driver, byte 1 FT1248 bits 0-2 and power
//               save bit 7; X series: see below
//   byte 0x0A   bit 2 pull-down in suspend, bit 3 serial number enabled
//   byte 0x0B   4232H: bits 4-7 RI as RS485 transmit enable, ports A-D; X: inversions
//   byte 0x0C/D pin groups, a nibble each: bits 0-1 drive (4, 8, 12, 16 mA), bit 2
//               slow slew, bit 3 Schmitt input. 2232H AL AH BL BH; 4232H A B C D;
//               232H AC (0x0C low), AD (0x0D low); X: AD (DBUS) low, AC (CBUS) high
//   2232H/4232H byte 0x18, 232H byte 0x1E: the EEPROM part (0x46, 0x56, 0x66)
//   232H bytes 0x18-0x1C: ACBUS0-9 functions, a nibble each
//   X bytes 0x1A-0x20: CBUS0-6 functions, a byte each
//
// All of this is what libftdi1 builds and decodes, except the X series' byte 0 bits
// 0-3 (battery charger detection, RS485 echo suppression), byte 1 (FT1248, I2C
// Schmitt, power save) and its I2C address and device ID (bytes 0x14-0x19): libftdi
// leaves them alone and we could not confirm them from public documents, so their
// places are our choice (byte 0 bit 7, the driver, matches the factory's 0x80).
#include "highspeed_words.h"

#include <algorithm>
#include <array>
#include <optional>

#include "eeprom_layout.h"

namespace kestrom::d2xx {
namespace {

using namespace layout;

constexpr size_t kChannelA = 0x00, kChannelB = 0x01, kOptions = 0x0A, kInvert = 0x0B, kGroups = 0x0C;
constexpr size_t kTypeByteH = 0x18, kTypeByte232H = 0x1E, kCbus232H = 0x18, kCbusX = 0x1A;
constexpr size_t kI2cAddressX = 0x14, kI2cDeviceIdX = 0x16;
constexpr uint8_t kDriverBit = 0x08, kHighDriverBit = 0x80, kDriverBit232H = 0x10;
constexpr uint8_t kModeFt1248 = 0x08, kPowerSaveBit = 0x80;
constexpr uint8_t kCpolBit = 0x01, kLsbBit = 0x02, kFlowControlBit = 0x04, kI2cSchmittBit = 0x08;
constexpr uint8_t kBcdEnableBit = 0x01, kBcdPwrenBit = 0x02, kBcdSleepBit = 0x04, kEchoSuppressBit = 0x08;
constexpr uint8_t kSlowSlewBit = 0x04, kSchmittBit = 0x08, kDriveMask = 0x03;
constexpr uint8_t kMaxCbus232H = FT_232H_CBUS_CLK7_5, kMaxCbusX = FT_X_SERIES_CBUS_KEEP_AWAKE;
constexpr uint8_t kMaxI2cAddress = 0x7F;  // seven-bit I2C addresses

// --- pieces shared by the chips -------------------------------------------------

struct PinGroup {
    uint8_t &slew, &schmitt, &drive;
};

void readGroup(uint8_t nibble, PinGroup g) {
    g.slew = bit(nibble, kSlowSlewBit);
    g.schmitt = bit(nibble, kSchmittBit);
    g.drive = static_cast<uint8_t>(4 * ((nibble & kDriveMask) + 1));
}

std::optional<uint8_t> groupNibble(uint8_t slew, uint8_t schmitt, uint8_t drive) {
    if (drive < 4 || drive > 16 || drive % 4 != 0) return std::nullopt;
    return static_cast<uint8_t>((drive / 4 - 1) | flag(slew, kSlowSlewBit) | flag(schmitt, kSchmittBit));
}

std::optional<uint8_t> groupByte(std::optional<uint8_t> low, std::optional<uint8_t> high) {
    if (!low || !high) return std::nullopt;
    return static_cast<uint8_t>(*low | *high << 4);
}

void readModes(uint8_t byte, uint8_t &fifo, uint8_t &fifoTarget, uint8_t &fastSerial) {
    fifo = bit(byte, kModeFifo);
    fifoTarget = bit(byte, kModeFifoTarget);
    fastSerial = bit(byte, kModeFastSerial);
}

// One mode at most: the chip has no meaning for two.
std::optional<uint8_t> modeBits(uint8_t fifo, uint8_t fifoTarget, uint8_t fastSerial, uint8_t ft1248 = 0) {
    if ((fifo != 0) + (fifoTarget != 0) + (fastSerial != 0) + (ft1248 != 0) > 1) return std::nullopt;
    return static_cast<uint8_t>(flag(fifo, kModeFifo) | flag(fifoTarget, kModeFifoTarget) |
                                flag(fastSerial, kModeFastSerial) | flag(ft1248, kModeFt1248));
}

uint8_t driverType(uint8_t byte, uint8_t mask) { return (byte & mask) ? FT_DRIVER_TYPE_VCP : FT_DRIVER_TYPE_D2XX; }

bool driversValid(std::initializer_list<uint8_t> types) {
    return std::all_of(types.begin(), types.end(), [](uint8_t t) { return t <= FT_DRIVER_TYPE_VCP; });
}

uint8_t driverBit(uint8_t type, uint8_t mask) { return type == FT_DRIVER_TYPE_VCP ? mask : 0; }

void readHeader(uint8_t options, FT_EEPROM_HEADER &h) {
    h.PullDownEnable = bit(options, kPullDownBit);
    h.SerNumEnable = bit(options, kSerialNumberBit);
}

uint8_t headerOptions(const FT_EEPROM_HEADER &h) {
    return flag(h.PullDownEnable, kPullDownBit) | flag(h.SerNumEnable, kSerialNumberBit);
}

// Eight flags, bit 0 first, as one byte.
template <typename... Flags>
uint8_t packFlags(Flags... flags) {
    uint8_t byte = 0, mask = 1;
    ((byte |= flag(flags, mask), mask <<= 1), ...);
    return byte;
}

// --- FT2232H ----------------------------------------------------------------------

void decode2232H(std::span<const uint16_t> w, FT_EEPROM_2232H &e) {
    const uint8_t a = byteAt(w, kChannelA), b = byteAt(w, kChannelB);
    readModes(a, e.AIsFifo, e.AIsFifoTar, e.AIsFastSer);
    readModes(b, e.BIsFifo, e.BIsFifoTar, e.BIsFastSer);
    e.ADriverType = driverType(a, kDriverBit);
    e.BDriverType = driverType(b, kDriverBit);
    e.PowerSaveEnable = bit(b, kPowerSaveBit);
    readHeader(byteAt(w, kOptions), e.common);
    const uint8_t g0 = byteAt(w, kGroups), g1 = byteAt(w, kGroups + 1);
    readGroup(g0 & 0x0F, {e.ALSlowSlew, e.ALSchmittInput, e.ALDriveCurrent});
    readGroup(g0 >> 4, {e.AHSlowSlew, e.AHSchmittInput, e.AHDriveCurrent});
    readGroup(g1 & 0x0F, {e.BLSlowSlew, e.BLSchmittInput, e.BLDriveCurrent});
    readGroup(g1 >> 4, {e.BHSlowSlew, e.BHSchmittInput, e.BHDriveCurrent});
}

FT_STATUS encode2232H(const FT_EEPROM_2232H &e, size_t eepromWords, std::span<uint16_t> w) {
    const auto a = modeBits(e.AIsFifo, e.AIsFifoTar, e.AIsFastSer);
    const auto b = modeBits(e.BIsFifo, e.BIsFifoTar, e.BIsFastSer);
    const auto g0 = groupByte(groupNibble(e.ALSlowSlew, e.ALSchmittInput, e.ALDriveCurrent),
                              groupNibble(e.AHSlowSlew, e.AHSchmittInput, e.AHDriveCurrent));
    const auto g1 = groupByte(groupNibble(e.BLSlowSlew, e.BLSchmittInput, e.BLDriveCurrent),
                              groupNibble(e.BHSlowSlew, e.BHSchmittInput, e.BHDriveCurrent));
    if (!a || !b || !g0 || !g1 || !driversValid({e.ADriverType, e.BDriverType})) return FT_INVALID_PARAMETER;
    setByte(w, kChannelA, *a | driverBit(e.ADriverType, kDriverBit));
    setByte(w, kChannelB, *b | driverBit(e.BDriverType, kDriverBit) | flag(e.PowerSaveEnable, kPowerSaveBit));
    setByte(w, kOptions, headerOptions(e.common));
    setByte(w, kGroups, *g0);
    setByte(w, kGroups + 1, *g1);
    setByte(w, kTypeByteH, eepromTypeByte(eepromWords));
    return FT_OK;
}

// --- FT4232H ----------------------------------------------------------------------

void decode4232H(std::span<const uint16_t> w, FT_EEPROM_4232H &e) {
    const uint8_t a = byteAt(w, kChannelA), b = byteAt(w, kChannelB);
    e.ADriverType = driverType(a, kDriverBit);
    e.BDriverType = driverType(b, kDriverBit);
    e.CDriverType = driverType(a, kHighDriverBit);
    e.DDriverType = driverType(b, kHighDriverBit);
    readHeader(byteAt(w, kOptions), e.common);
    const uint8_t rs485 = byteAt(w, kInvert);
    e.ARIIsTXDEN = bit(rs485, 0x10);
    e.BRIIsTXDEN = bit(rs485, 0x20);
    e.CRIIsTXDEN = bit(rs485, 0x40);
    e.DRIIsTXDEN = bit(rs485, 0x80);
    const uint8_t g0 = byteAt(w, kGroups), g1 = byteAt(w, kGroups + 1);
    readGroup(g0 & 0x0F, {e.ASlowSlew, e.ASchmittInput, e.ADriveCurrent});
    readGroup(g0 >> 4, {e.BSlowSlew, e.BSchmittInput, e.BDriveCurrent});
    readGroup(g1 & 0x0F, {e.CSlowSlew, e.CSchmittInput, e.CDriveCurrent});
    readGroup(g1 >> 4, {e.DSlowSlew, e.DSchmittInput, e.DDriveCurrent});
}

FT_STATUS encode4232H(const FT_EEPROM_4232H &e, size_t eepromWords, std::span<uint16_t> w) {
    const auto g0 = groupByte(groupNibble(e.ASlowSlew, e.ASchmittInput, e.ADriveCurrent),
                              groupNibble(e.BSlowSlew, e.BSchmittInput, e.BDriveCurrent));
    const auto g1 = groupByte(groupNibble(e.CSlowSlew, e.CSchmittInput, e.CDriveCurrent),
                              groupNibble(e.DSlowSlew, e.DSchmittInput, e.DDriveCurrent));
    if (!g0 || !g1 || !driversValid({e.ADriverType, e.BDriverType, e.CDriverType, e.DDriverType}))
        return FT_INVALID_PARAMETER;
    setByte(w, kChannelA, driverBit(e.ADriverType, kDriverBit) | driverBit(e.CDriverType, kHighDriverBit));
    setByte(w, kChannelB, driverBit(e.BDriverType, kDriverBit) | driverBit(e.DDriverType, kHighDriverBit));
    setByte(w, kOptions, headerOptions(e.common));
    setByte(w, kInvert, static_cast<uint8_t>(packFlags(0, 0, 0, 0, e.ARIIsTXDEN, e.BRIIsTXDEN, e.CRIIsTXDEN,
                                                       e.DRIIsTXDEN)));
    setByte(w, kGroups, *g0);
    setByte(w, kGroups + 1, *g1);
    setByte(w, kTypeByteH, eepromTypeByte(eepromWords));
    return FT_OK;
}

// --- FT232H -----------------------------------------------------------------------

template <typename E>  // FT_EEPROM_232H, const or not
auto acbus(E &e) {
    return std::array{&e.Cbus0, &e.Cbus1, &e.Cbus2, &e.Cbus3, &e.Cbus4,
                      &e.Cbus5, &e.Cbus6, &e.Cbus7, &e.Cbus8, &e.Cbus9};
}

// ACBUS5, 6, 8 and 9 are the only pins that can be general-purpose I/O.
bool cbus232HValid(size_t pin, uint8_t function) {
    if (function > kMaxCbus232H) return false;
    return function != FT_232H_CBUS_IOMODE || pin == 5 || pin == 6 || pin == 8 || pin == 9;
}

void decode232H(std::span<const uint16_t> w, FT_EEPROM_232H &e) {
    const uint8_t a = byteAt(w, kChannelA), b = byteAt(w, kChannelB);
    readModes(a, e.IsFifo, e.IsFifoTar, e.IsFastSer);
    e.IsFT1248 = bit(a, kModeFt1248);
    e.DriverType = driverType(a, kDriverBit232H);
    e.FT1248Cpol = bit(b, kCpolBit);
    e.FT1248Lsb = bit(b, kLsbBit);
    e.FT1248FlowControl = bit(b, kFlowControlBit);
    e.PowerSaveEnable = bit(b, kPowerSaveBit);
    readHeader(byteAt(w, kOptions), e.common);
    readGroup(byteAt(w, kGroups) & 0x0F, {e.ACSlowSlew, e.ACSchmittInput, e.ACDriveCurrent});
    readGroup(byteAt(w, kGroups + 1) & 0x0F, {e.ADSlowSlew, e.ADSchmittInput, e.ADDriveCurrent});
    const auto pins = acbus(e);
    for (size_t i = 0; i < pins.size(); ++i) *pins[i] = (byteAt(w, kCbus232H + i / 2) >> (4 * (i % 2))) & 0x0F;
}

FT_STATUS encode232H(const FT_EEPROM_232H &e, size_t eepromWords, std::span<uint16_t> w) {
    const auto mode = modeBits(e.IsFifo, e.IsFifoTar, e.IsFastSer, e.IsFT1248);
    const auto ac = groupNibble(e.ACSlowSlew, e.ACSchmittInput, e.ACDriveCurrent);
    const auto ad = groupNibble(e.ADSlowSlew, e.ADSchmittInput, e.ADDriveCurrent);
    const auto pins = acbus(e);
    for (size_t i = 0; i < pins.size(); ++i)
        if (!cbus232HValid(i, *pins[i])) return FT_INVALID_PARAMETER;
    if (!mode || !ac || !ad || !driversValid({e.DriverType})) return FT_INVALID_PARAMETER;
    setByte(w, kChannelA, *mode | driverBit(e.DriverType, kDriverBit232H));
    setByte(w, kChannelB, flag(e.FT1248Cpol, kCpolBit) | flag(e.FT1248Lsb, kLsbBit) |
                              flag(e.FT1248FlowControl, kFlowControlBit) | flag(e.PowerSaveEnable, kPowerSaveBit));
    setByte(w, kOptions, headerOptions(e.common));
    setByte(w, kGroups, *ac);
    setByte(w, kGroups + 1, *ad);
    for (size_t i = 0; i < pins.size(); i += 2)
        setByte(w, kCbus232H + i / 2, static_cast<uint8_t>(*pins[i] | *pins[i + 1] << 4));
    setByte(w, kTypeByte232H, eepromTypeByte(eepromWords));
    return FT_OK;
}

// --- X series ---------------------------------------------------------------------

template <typename E>  // FT_EEPROM_X_SERIES, const or not
auto cbusX(E &e) {
    return std::array{&e.Cbus0, &e.Cbus1, &e.Cbus2, &e.Cbus3, &e.Cbus4, &e.Cbus5, &e.Cbus6};
}

template <typename E>
auto inverts(E &e) {
    return std::array{&e.InvertTXD, &e.InvertRXD, &e.InvertRTS, &e.InvertCTS,
                      &e.InvertDTR, &e.InvertDSR, &e.InvertDCD, &e.InvertRI};
}

void decodeX(std::span<const uint16_t> w, FT_EEPROM_X_SERIES &e) {
    const uint8_t a = byteAt(w, kChannelA), b = byteAt(w, kChannelB);
    e.BCDEnable = bit(a, kBcdEnableBit);
    e.BCDForceCbusPWREN = bit(a, kBcdPwrenBit);
    e.BCDDisableSleep = bit(a, kBcdSleepBit);
    e.RS485EchoSuppress = bit(a, kEchoSuppressBit);
    e.DriverType = driverType(a, kHighDriverBit);
    e.FT1248Cpol = bit(b, kCpolBit);
    e.FT1248Lsb = bit(b, kLsbBit);
    e.FT1248FlowControl = bit(b, kFlowControlBit);
    e.I2CDisableSchmitt = bit(b, kI2cSchmittBit);
    e.PowerSaveEnable = bit(b, kPowerSaveBit);
    readHeader(byteAt(w, kOptions), e.common);
    const auto lines = inverts(e);
    for (size_t i = 0; i < lines.size(); ++i) *lines[i] = bit(byteAt(w, kInvert), static_cast<uint8_t>(1u << i));
    const uint8_t groups = byteAt(w, kGroups);
    readGroup(groups & 0x0F, {e.ADSlowSlew, e.ADSchmittInput, e.ADDriveCurrent});
    readGroup(groups >> 4, {e.ACSlowSlew, e.ACSchmittInput, e.ACDriveCurrent});
    e.I2CSlaveAddress = w[kI2cAddressX / 2];
    e.I2CDeviceId = uint32_t{w[kI2cDeviceIdX / 2]} | uint32_t{w[kI2cDeviceIdX / 2 + 1]} << 16;
    const auto pins = cbusX(e);
    for (size_t i = 0; i < pins.size(); ++i) *pins[i] = byteAt(w, kCbusX + i);
}

FT_STATUS encodeX(const FT_EEPROM_X_SERIES &e, std::span<uint16_t> w) {
    const auto groups = groupByte(groupNibble(e.ADSlowSlew, e.ADSchmittInput, e.ADDriveCurrent),
                                  groupNibble(e.ACSlowSlew, e.ACSchmittInput, e.ACDriveCurrent));
    const auto pins = cbusX(e);
    const bool cbusValid = std::all_of(pins.begin(), pins.end(), [](const uint8_t *f) { return *f <= kMaxCbusX; });
    if (!groups || !cbusValid || !driversValid({e.DriverType}) || e.I2CSlaveAddress > kMaxI2cAddress)
        return FT_INVALID_PARAMETER;
    setByte(w, kChannelA, flag(e.BCDEnable, kBcdEnableBit) | flag(e.BCDForceCbusPWREN, kBcdPwrenBit) |
                              flag(e.BCDDisableSleep, kBcdSleepBit) | flag(e.RS485EchoSuppress, kEchoSuppressBit) |
                              driverBit(e.DriverType, kHighDriverBit));
    setByte(w, kChannelB, flag(e.FT1248Cpol, kCpolBit) | flag(e.FT1248Lsb, kLsbBit) |
                              flag(e.FT1248FlowControl, kFlowControlBit) | flag(e.I2CDisableSchmitt, kI2cSchmittBit) |
                              flag(e.PowerSaveEnable, kPowerSaveBit));
    setByte(w, kOptions, headerOptions(e.common));
    const auto lines = inverts(e);
    uint8_t invert = 0;
    for (size_t i = 0; i < lines.size(); ++i) invert |= flag(*lines[i], static_cast<uint8_t>(1u << i));
    setByte(w, kInvert, invert);
    setByte(w, kGroups, *groups);
    w[kI2cAddressX / 2] = e.I2CSlaveAddress;
    w[kI2cDeviceIdX / 2] = static_cast<uint16_t>(e.I2CDeviceId);
    w[kI2cDeviceIdX / 2 + 1] = static_cast<uint16_t>(e.I2CDeviceId >> 16);
    for (size_t i = 0; i < pins.size(); ++i) setByte(w, kCbusX + i, *pins[i]);
    return FT_OK;
}

}  // namespace

bool isHighSpeedOrX(uint32_t chipType) {
    return chipType == FT_DEVICE_2232H || chipType == FT_DEVICE_4232H || chipType == FT_DEVICE_232H ||
           chipType == FT_DEVICE_X_SERIES;
}

void decodeHighSpeed(uint32_t chipType, std::span<const uint16_t> config, EepromContents &out) {
    switch (chipType) {
        case FT_DEVICE_2232H: return decode2232H(config, out.ft2232h);
        case FT_DEVICE_4232H: return decode4232H(config, out.ft4232h);
        case FT_DEVICE_232H: return decode232H(config, out.ft232h);
        case FT_DEVICE_X_SERIES: return decodeX(config, out.xSeries);
        default: return;
    }
}

FT_STATUS encodeHighSpeed(uint32_t chipType, const EepromContents &in, size_t eepromWords,
                          std::span<uint16_t> config) {
    switch (chipType) {
        case FT_DEVICE_2232H: return encode2232H(in.ft2232h, eepromWords, config);
        case FT_DEVICE_4232H: return encode4232H(in.ft4232h, eepromWords, config);
        case FT_DEVICE_232H: return encode232H(in.ft232h, eepromWords, config);
        case FT_DEVICE_X_SERIES: return encodeX(in.xSeries, config);
        default: return FT_OK;
    }
}

}  // namespace kestrom::d2xx
