// The chips' setting tables. The older chips' settings read and set the record's
// fields; the newer chips' their D2XX structure inside the contents.
#include <algorithm>
#include <cctype>
#include <type_traits>

#include "chip_settings.h"

namespace kestrom::eeprom {

namespace {

using enum SettingKind;
using d2xx::EepromContents;

constexpr uint32_t kMaxMilliamps = 500;
constexpr uint32_t kEndpointSize = 64;

// --- accessors ------------------------------------------------------------------

template <typename T>
void store(T &field, uint32_t value) {
    field = static_cast<std::remove_cvref_t<T>>(value);
}

template <auto Member>
uint32_t recordNumber(const EepromContents &c) {
    return c.fields.*Member;
}
template <auto Member>
void setRecordNumber(EepromContents &c, uint32_t value) {
    store(c.fields.*Member, value);
}

template <auto Own, auto Member>
uint32_t ownNumber(const EepromContents &c) {
    return (c.*Own).*Member;
}
template <auto Own, auto Member>
void setOwnNumber(EepromContents &c, uint32_t value) {
    store((c.*Own).*Member, value);
}

template <auto Own, auto Member>
uint32_t headerNumber(const EepromContents &c) {
    return (c.*Own).common.*Member;
}
template <auto Own, auto Member>
void setHeaderNumber(EepromContents &c, uint32_t value) {
    store((c.*Own).common.*Member, value);
}

template <auto Member>
std::string contentsText(const EepromContents &c) {
    return c.*Member;
}
template <auto Member>
void setContentsText(EepromContents &c, std::string_view text) {
    c.*Member = std::string(text);
}

// FT_EE_Read gives the first two characters of the serial number; nothing stores it.
std::string manufacturerId(const EepromContents &c) {
    return d2xx::manufacturerIdOf(c);
}

// --- the kinds of settings ---------------------------------------------------------

Setting number(const char *name, const char *meaning, SettingKind kind, uint32_t least, uint32_t greatest,
               NumberRule rule = NumberRule::Any) {
    Setting s{};
    s.name = name, s.meaning = meaning, s.kind = kind, s.least = least, s.greatest = greatest, s.rule = rule;
    return s;
}

Setting withAccess(Setting s, uint32_t (*get)(const EepromContents &),
                   void (*set)(EepromContents &, uint32_t)) {
    s.number = get;
    s.setNumber = set;
    return s;
}

template <auto Member>
Setting recordSetting(Setting s) {
    return withAccess(s, &recordNumber<Member>, &setRecordNumber<Member>);
}
template <auto Own, auto Member>
Setting ownSetting(Setting s) {
    return withAccess(s, &ownNumber<Own, Member>, &setOwnNumber<Own, Member>);
}
template <auto Own, auto Member>
Setting headerSetting(Setting s) {
    return withAccess(s, &headerNumber<Own, Member>, &setHeaderNumber<Own, Member>);
}

template <auto Member>
Setting textSetting(const char *name, const char *meaning, size_t capacity) {
    Setting s = number(name, meaning, Text, 0, uint32_t(capacity - 1));
    s.text = &contentsText<Member>;
    s.setText = &setContentsText<Member>;
    return s;
}

Setting flag(const char *name, const char *meaning) {
    return number(name, meaning, Flag, 0, 1);
}

Setting choice(const char *name, const char *meaning, std::span<const NamedValue> names,
               uint32_t allowed = 0xFFFFFFFF) {
    Setting s = number(name, meaning, Choice, 0, names.back().value);
    s.names = names;
    s.allowed = allowed;
    return s;
}

Setting chipMark(Setting s) {
    s.chipFixed = true;
    return s;
}

// --- the named values ----------------------------------------------------------------

constexpr NamedValue kCbus232R[] = {
    {FT_232R_CBUS_TXDEN, "TXDEN"},          {FT_232R_CBUS_PWRON, "PWRON"},
    {FT_232R_CBUS_RXLED, "RXLED"},          {FT_232R_CBUS_TXLED, "TXLED"},
    {FT_232R_CBUS_TXRXLED, "TXRXLED"},      {FT_232R_CBUS_SLEEP, "SLEEP"},
    {FT_232R_CBUS_CLK48, "CLK48"},          {FT_232R_CBUS_CLK24, "CLK24"},
    {FT_232R_CBUS_CLK12, "CLK12"},          {FT_232R_CBUS_CLK6, "CLK6"},
    {FT_232R_CBUS_IOMODE, "IOMODE"},        {FT_232R_CBUS_BITBANG_WR, "BITBANG_WR"},
    {FT_232R_CBUS_BITBANG_RD, "BITBANG_RD"}};

constexpr NamedValue kCbus232H[] = {
    {FT_232H_CBUS_TRISTATE, "TRISTATE"}, {FT_232H_CBUS_TXLED, "TXLED"},     {FT_232H_CBUS_RXLED, "RXLED"},
    {FT_232H_CBUS_TXRXLED, "TXRXLED"},   {FT_232H_CBUS_PWREN, "PWREN"},     {FT_232H_CBUS_SLEEP, "SLEEP"},
    {FT_232H_CBUS_DRIVE_0, "DRIVE_0"},   {FT_232H_CBUS_DRIVE_1, "DRIVE_1"}, {FT_232H_CBUS_IOMODE, "IOMODE"},
    {FT_232H_CBUS_TXDEN, "TXDEN"},       {FT_232H_CBUS_CLK30, "CLK30"},     {FT_232H_CBUS_CLK15, "CLK15"},
    {FT_232H_CBUS_CLK7_5, "CLK7_5"}};

constexpr NamedValue kCbusX[] = {{FT_X_SERIES_CBUS_TRISTATE, "TRISTATE"},
                                 {FT_X_SERIES_CBUS_TXLED, "TXLED"},
                                 {FT_X_SERIES_CBUS_RXLED, "RXLED"},
                                 {FT_X_SERIES_CBUS_TXRXLED, "TXRXLED"},
                                 {FT_X_SERIES_CBUS_PWREN, "PWREN"},
                                 {FT_X_SERIES_CBUS_SLEEP, "SLEEP"},
                                 {FT_X_SERIES_CBUS_DRIVE_0, "DRIVE_0"},
                                 {FT_X_SERIES_CBUS_DRIVE_1, "DRIVE_1"},
                                 {FT_X_SERIES_CBUS_IOMODE, "IOMODE"},
                                 {FT_X_SERIES_CBUS_TXDEN, "TXDEN"},
                                 {FT_X_SERIES_CBUS_CLK24, "CLK24"},
                                 {FT_X_SERIES_CBUS_CLK12, "CLK12"},
                                 {FT_X_SERIES_CBUS_CLK6, "CLK6"},
                                 {FT_X_SERIES_CBUS_BCD_CHARGER, "BCD_CHARGER"},
                                 {FT_X_SERIES_CBUS_BCD_CHARGER_N, "BCD_CHARGER_N"},
                                 {FT_X_SERIES_CBUS_I2C_TXE, "I2C_TXE"},
                                 {FT_X_SERIES_CBUS_I2C_RXF, "I2C_RXF"},
                                 {FT_X_SERIES_CBUS_VBUS_SENSE, "VBUS_SENSE"},
                                 {FT_X_SERIES_CBUS_BITBANG_WR, "BITBANG_WR"},
                                 {FT_X_SERIES_CBUS_BITBANG_RD, "BITBANG_RD"},
                                 {FT_X_SERIES_CBUS_TIMESTAMP, "TIMESTAMP"},
                                 {FT_X_SERIES_CBUS_KEEP_AWAKE, "KEEP_AWAKE"}};

constexpr NamedValue kDrivers[] = {{FT_DRIVER_TYPE_D2XX, "D2XX"}, {FT_DRIVER_TYPE_VCP, "VCP"}};

constexpr uint32_t valuesUpTo(uint32_t last) {
    return last >= 31 ? 0xFFFFFFFF : (1u << (last + 1)) - 1;
}
// CBUS4 of the FT232R stops at CLK6.
constexpr uint32_t kCbus4Of232R = valuesUpTo(FT_232R_CBUS_CLK6);
// Only ACBUS5, 6, 8 and 9 of the FT232H can be general-purpose I/O.
constexpr uint32_t kAcbusWithoutIo = valuesUpTo(FT_232H_CBUS_CLK7_5) & ~(1u << FT_232H_CBUS_IOMODE);

// --- the older chips: the record's fields ----------------------------------------------

#define KESTROM_RECORD(name, ...) recordSetting<&FT_PROGRAM_DATA::name>(number(#name, __VA_ARGS__))
#define KESTROM_RECORD_FLAG(name, meaning) recordSetting<&FT_PROGRAM_DATA::name>(flag(#name, meaning))
#define KESTROM_RECORD_CBUS(name, ...) recordSetting<&FT_PROGRAM_DATA::name>(choice(#name, __VA_ARGS__))

const Setting kVendorId = KESTROM_RECORD(VendorId, "USB vendor ID", Hex, 0x0001, 0xFFFF);
const Setting kProductId = KESTROM_RECORD(ProductId, "USB product ID", Hex, 0x0000, 0xFFFF);
const Setting kManufacturer = textSetting<&EepromContents::manufacturer>("Manufacturer", "manufacturer text",
                                                                         d2xx::kManufacturerCapacity);
const Setting kManufacturerId{"ManufacturerId",
                              "the first two characters of SerialNumber (not stored)",
                              Text,
                              0,
                              2,
                              NumberRule::Any,
                              {},
                              0xFFFFFFFF,
                              false,
                              nullptr,
                              nullptr,
                              &manufacturerId,
                              nullptr};
const Setting kDescription = textSetting<&EepromContents::description>(
    "Description", "product description text", d2xx::kDescriptionCapacity);
const Setting kSerialNumber = textSetting<&EepromContents::serialNumber>("SerialNumber", "serial number text",
                                                                         d2xx::kSerialNumberCapacity);
// The newer chips' texts go through FT_EEPROM_Program, whose buffers are shorter.
const Setting kManufacturerOwn = textSetting<&EepromContents::manufacturer>(
    "Manufacturer", "manufacturer text", d2xx::kChipManufacturerCapacity);
const Setting kDescriptionOwn = textSetting<&EepromContents::description>(
    "Description", "product description text", d2xx::kChipDescriptionCapacity);
const Setting kSerialNumberOwn = textSetting<&EepromContents::serialNumber>(
    "SerialNumber", "serial number text", d2xx::kChipSerialNumberCapacity);
const Setting kMaxPower =
    KESTROM_RECORD(MaxPower, "maximum bus current in mA", Decimal, 0, kMaxMilliamps, NumberRule::Even);
const Setting kPnP = KESTROM_RECORD_FLAG(PnP, "plug and play");
const Setting kSelfPowered = KESTROM_RECORD_FLAG(SelfPowered, "self powered (0: bus powered)");
const Setting kRemoteWakeup = KESTROM_RECORD_FLAG(RemoteWakeup, "remote wake-up");

const Setting kBm[] = {chipMark(KESTROM_RECORD_FLAG(Rev4, "an FT232BM-layout chip (set by the chip)")),
                       KESTROM_RECORD_FLAG(IsoIn, "isochronous in endpoint"),
                       KESTROM_RECORD_FLAG(IsoOut, "isochronous out endpoint"),
                       KESTROM_RECORD_FLAG(PullDownEnable, "pull-down in suspend"),
                       KESTROM_RECORD_FLAG(SerNumEnable, "the serial number is used"),
                       KESTROM_RECORD_FLAG(USBVersionEnable, "USBVersion is used"),
                       KESTROM_RECORD(USBVersion, "USB version, BCD", Hex, 0x0000, 0x9999, NumberRule::Bcd)};

const Setting k2232C[] = {
    chipMark(KESTROM_RECORD_FLAG(Rev5, "an FT2232C-layout chip (set by the chip)")),
    KESTROM_RECORD_FLAG(IsoInA, "channel A: isochronous in endpoint"),
    KESTROM_RECORD_FLAG(IsoInB, "channel B: isochronous in endpoint"),
    KESTROM_RECORD_FLAG(IsoOutA, "channel A: isochronous out endpoint"),
    KESTROM_RECORD_FLAG(IsoOutB, "channel B: isochronous out endpoint"),
    KESTROM_RECORD_FLAG(PullDownEnable5, "pull-down in suspend"),
    KESTROM_RECORD_FLAG(SerNumEnable5, "the serial number is used"),
    KESTROM_RECORD_FLAG(USBVersionEnable5, "USBVersion5 is used"),
    KESTROM_RECORD(USBVersion5, "USB version, BCD", Hex, 0x0000, 0x9999, NumberRule::Bcd),
    KESTROM_RECORD_FLAG(AIsHighCurrent, "channel A: high-current I/O"),
    KESTROM_RECORD_FLAG(BIsHighCurrent, "channel B: high-current I/O"),
    KESTROM_RECORD_FLAG(IFAIsFifo, "channel A: 245 FIFO (one mode at most)"),
    KESTROM_RECORD_FLAG(IFAIsFifoTar, "channel A: 245 FIFO CPU target (one mode at most)"),
    KESTROM_RECORD_FLAG(IFAIsFastSer, "channel A: fast serial (one mode at most)"),
    KESTROM_RECORD_FLAG(AIsVCP, "channel A: virtual COM port driver"),
    KESTROM_RECORD_FLAG(IFBIsFifo, "channel B: 245 FIFO (one mode at most)"),
    KESTROM_RECORD_FLAG(IFBIsFifoTar, "channel B: 245 FIFO CPU target (one mode at most)"),
    KESTROM_RECORD_FLAG(IFBIsFastSer, "channel B: fast serial (one mode at most)"),
    KESTROM_RECORD_FLAG(BIsVCP, "channel B: virtual COM port driver")};

#define KESTROM_INVERTS(FIELD)                                                                            \
    FIELD(InvertTXD, "inverted TXD"), FIELD(InvertRXD, "inverted RXD"), FIELD(InvertRTS, "inverted RTS"), \
        FIELD(InvertCTS, "inverted CTS"), FIELD(InvertDTR, "inverted DTR"),                               \
        FIELD(InvertDSR, "inverted DSR"), FIELD(InvertDCD, "inverted DCD"), FIELD(InvertRI, "inverted RI")

const Setting k232R[] = {
    KESTROM_RECORD_FLAG(UseExtOsc, "external oscillator"),
    KESTROM_RECORD_FLAG(HighDriveIOs, "high-drive I/O pins"),
    KESTROM_RECORD(EndpointSize, "endpoint size in bytes", Decimal, kEndpointSize, kEndpointSize),
    KESTROM_RECORD_FLAG(PullDownEnableR, "pull-down in suspend"),
    KESTROM_RECORD_FLAG(SerNumEnableR, "the serial number is used"),
    KESTROM_INVERTS(KESTROM_RECORD_FLAG),
    KESTROM_RECORD_CBUS(Cbus0, "CBUS0 function", kCbus232R),
    KESTROM_RECORD_CBUS(Cbus1, "CBUS1 function", kCbus232R),
    KESTROM_RECORD_CBUS(Cbus2, "CBUS2 function", kCbus232R),
    KESTROM_RECORD_CBUS(Cbus3, "CBUS3 function", kCbus232R),
    KESTROM_RECORD_CBUS(Cbus4, "CBUS4 function", kCbus232R, kCbus4Of232R),
    KESTROM_RECORD_FLAG(RIsD2XX, "D2XX driver (0: virtual COM port)")};

// --- the newer chips: their D2XX structures ---------------------------------------------

// The header's two flags that each newer chip keeps in its own structure.
template <auto Own>
const Setting *headerFlags() {
    static const Setting flags[] = {headerSetting<Own, &FT_EEPROM_HEADER::SerNumEnable>(
                                        flag("SerNumEnable", "the serial number is used")),
                                    headerSetting<Own, &FT_EEPROM_HEADER::PullDownEnable>(
                                        flag("PullDownEnable", "pull-down in suspend"))};
    return flags;
}

#define KESTROM_GROUP(FIELD, g, pins)                                \
    FIELD(g##SlowSlew, pins ": slow slew", Flag, 0, 1),              \
        FIELD(g##SchmittInput, pins ": Schmitt inputs", Flag, 0, 1), \
        FIELD(g##DriveCurrent, pins ": drive current in mA", Decimal, 4, 16, NumberRule::DriveCurrent)
#define KESTROM_DRIVER(OWN, S, name, meaning) \
    ownSetting<&EepromContents::OWN, &S::name>(choice(#name, meaning, kDrivers))

#define KESTROM_2232H(name, ...) \
    ownSetting<&EepromContents::ft2232h, &FT_EEPROM_2232H::name>(number(#name, __VA_ARGS__))
const Setting k2232H[] = {
    KESTROM_GROUP(KESTROM_2232H, AL, "channel A low byte (ADBUS)"),
    KESTROM_GROUP(KESTROM_2232H, AH, "channel A high byte (ACBUS)"),
    KESTROM_GROUP(KESTROM_2232H, BL, "channel B low byte (BDBUS)"),
    KESTROM_GROUP(KESTROM_2232H, BH, "channel B high byte (BCBUS)"),
    KESTROM_2232H(AIsFifo, "channel A: 245 FIFO (one mode at most)", Flag, 0, 1),
    KESTROM_2232H(AIsFifoTar, "channel A: 245 FIFO CPU target (one mode at most)", Flag, 0, 1),
    KESTROM_2232H(AIsFastSer, "channel A: fast serial (one mode at most)", Flag, 0, 1),
    KESTROM_2232H(BIsFifo, "channel B: 245 FIFO (one mode at most)", Flag, 0, 1),
    KESTROM_2232H(BIsFifoTar, "channel B: 245 FIFO CPU target (one mode at most)", Flag, 0, 1),
    KESTROM_2232H(BIsFastSer, "channel B: fast serial (one mode at most)", Flag, 0, 1),
    KESTROM_2232H(PowerSaveEnable, "BCBUS7 drives power saving", Flag, 0, 1),
    KESTROM_DRIVER(ft2232h, FT_EEPROM_2232H, ADriverType, "channel A: driver"),
    KESTROM_DRIVER(ft2232h, FT_EEPROM_2232H, BDriverType, "channel B: driver")};

#define KESTROM_4232H(name, ...) \
    ownSetting<&EepromContents::ft4232h, &FT_EEPROM_4232H::name>(number(#name, __VA_ARGS__))
const Setting k4232H[] = {KESTROM_GROUP(KESTROM_4232H, A, "port A pins"),
                          KESTROM_GROUP(KESTROM_4232H, B, "port B pins"),
                          KESTROM_GROUP(KESTROM_4232H, C, "port C pins"),
                          KESTROM_GROUP(KESTROM_4232H, D, "port D pins"),
                          KESTROM_4232H(ARIIsTXDEN, "port A: RI is the RS485 transmit enable", Flag, 0, 1),
                          KESTROM_4232H(BRIIsTXDEN, "port B: RI is the RS485 transmit enable", Flag, 0, 1),
                          KESTROM_4232H(CRIIsTXDEN, "port C: RI is the RS485 transmit enable", Flag, 0, 1),
                          KESTROM_4232H(DRIIsTXDEN, "port D: RI is the RS485 transmit enable", Flag, 0, 1),
                          KESTROM_DRIVER(ft4232h, FT_EEPROM_4232H, ADriverType, "port A: driver"),
                          KESTROM_DRIVER(ft4232h, FT_EEPROM_4232H, BDriverType, "port B: driver"),
                          KESTROM_DRIVER(ft4232h, FT_EEPROM_4232H, CDriverType, "port C: driver"),
                          KESTROM_DRIVER(ft4232h, FT_EEPROM_4232H, DDriverType, "port D: driver")};

#define KESTROM_232H(name, ...) \
    ownSetting<&EepromContents::ft232h, &FT_EEPROM_232H::name>(number(#name, __VA_ARGS__))
#define KESTROM_ACBUS(n, allowed)                                  \
    ownSetting<&EepromContents::ft232h, &FT_EEPROM_232H::Cbus##n>( \
        choice("Cbus" #n, "ACBUS" #n " function", kCbus232H, allowed))
const Setting k232H[] = {KESTROM_GROUP(KESTROM_232H, AC, "ACBUS pins"),
                         KESTROM_GROUP(KESTROM_232H, AD, "ADBUS pins"),
                         KESTROM_ACBUS(0, kAcbusWithoutIo),
                         KESTROM_ACBUS(1, kAcbusWithoutIo),
                         KESTROM_ACBUS(2, kAcbusWithoutIo),
                         KESTROM_ACBUS(3, kAcbusWithoutIo),
                         KESTROM_ACBUS(4, kAcbusWithoutIo),
                         KESTROM_ACBUS(5, valuesUpTo(FT_232H_CBUS_CLK7_5)),
                         KESTROM_ACBUS(6, valuesUpTo(FT_232H_CBUS_CLK7_5)),
                         KESTROM_ACBUS(7, kAcbusWithoutIo),
                         KESTROM_ACBUS(8, valuesUpTo(FT_232H_CBUS_CLK7_5)),
                         KESTROM_ACBUS(9, valuesUpTo(FT_232H_CBUS_CLK7_5)),
                         KESTROM_232H(FT1248Cpol, "FT1248: clock idles high", Flag, 0, 1),
                         KESTROM_232H(FT1248Lsb, "FT1248: least significant bit first", Flag, 0, 1),
                         KESTROM_232H(FT1248FlowControl, "FT1248: flow control", Flag, 0, 1),
                         KESTROM_232H(IsFifo, "245 FIFO (one mode at most)", Flag, 0, 1),
                         KESTROM_232H(IsFifoTar, "245 FIFO CPU target (one mode at most)", Flag, 0, 1),
                         KESTROM_232H(IsFastSer, "fast serial (one mode at most)", Flag, 0, 1),
                         KESTROM_232H(IsFT1248, "FT1248 (one mode at most)", Flag, 0, 1),
                         KESTROM_232H(PowerSaveEnable, "ACBUS9 drives power saving", Flag, 0, 1),
                         KESTROM_DRIVER(ft232h, FT_EEPROM_232H, DriverType, "driver")};

#define KESTROM_X(name, ...) \
    ownSetting<&EepromContents::xSeries, &FT_EEPROM_X_SERIES::name>(number(#name, __VA_ARGS__))
#define KESTROM_X_FLAG(name, meaning) KESTROM_X(name, meaning, Flag, 0, 1)
#define KESTROM_CBUSX(n)                                                \
    ownSetting<&EepromContents::xSeries, &FT_EEPROM_X_SERIES::Cbus##n>( \
        choice("Cbus" #n, "CBUS" #n " function", kCbusX))
const Setting kX[] = {KESTROM_GROUP(KESTROM_X, AC, "CBUS pins"),
                      KESTROM_GROUP(KESTROM_X, AD, "DBUS pins"),
                      KESTROM_CBUSX(0),
                      KESTROM_CBUSX(1),
                      KESTROM_CBUSX(2),
                      KESTROM_CBUSX(3),
                      KESTROM_CBUSX(4),
                      KESTROM_CBUSX(5),
                      KESTROM_CBUSX(6),
                      KESTROM_INVERTS(KESTROM_X_FLAG),
                      KESTROM_X_FLAG(BCDEnable, "battery charger detection"),
                      KESTROM_X_FLAG(BCDForceCbusPWREN, "battery charger detection: PWREN forced on CBUS"),
                      KESTROM_X_FLAG(BCDDisableSleep, "battery charger detection: no sleep"),
                      KESTROM_X(I2CSlaveAddress, "I2C slave address", Hex, 0, 0x7F),
                      KESTROM_X(I2CDeviceId, "I2C device ID", Hex, 0, 0xFFFFFFFF),
                      KESTROM_X_FLAG(I2CDisableSchmitt, "I2C: Schmitt inputs off"),
                      KESTROM_X_FLAG(FT1248Cpol, "FT1248: clock idles high"),
                      KESTROM_X_FLAG(FT1248Lsb, "FT1248: least significant bit first"),
                      KESTROM_X_FLAG(FT1248FlowControl, "FT1248: flow control"),
                      KESTROM_X_FLAG(RS485EchoSuppress, "RS485 echo suppression"),
                      KESTROM_X_FLAG(PowerSaveEnable, "power saving while the bus is idle"),
                      KESTROM_DRIVER(xSeries, FT_EEPROM_X_SERIES, DriverType, "driver")};

// --- the tables ---------------------------------------------------------------------------

const std::vector<const Setting *> kCommon{&kVendorId,    &kProductId,    &kManufacturer, &kManufacturerId,
                                           &kDescription, &kSerialNumber, &kMaxPower,     &kPnP,
                                           &kSelfPowered, &kRemoteWakeup};

std::vector<const Setting *> olderChip(std::span<const Setting> own) {
    std::vector<const Setting *> settings = kCommon;
    for (const Setting &s : own) settings.push_back(&s);
    return settings;
}

// The structure's header (with the texts beside the IDs), then the chip's own.
template <auto Own>
std::vector<const Setting *> newerChip(std::span<const Setting> own) {
    const Setting *header = headerFlags<Own>();
    std::vector<const Setting *> settings{&kVendorId,        &kProductId, &kManufacturerOwn, &kDescriptionOwn,
                                          &kSerialNumberOwn, &header[0],  &kMaxPower,        &kSelfPowered,
                                          &kRemoteWakeup,    &header[1]};
    for (const Setting &s : own) settings.push_back(&s);
    return settings;
}

std::vector<const Setting *> named(std::span<const Setting *const> settings,
                                   std::initializer_list<const char *> names) {
    std::vector<const Setting *> group;
    for (const char *name : names) {
        const auto at = std::find_if(settings.begin(), settings.end(),
                                     [&](const Setting *s) { return std::string_view(s->name) == name; });
        group.push_back(*at);
    }
    return group;
}

ChipTable withModes(ChipTable chip, std::initializer_list<std::initializer_list<const char *>> groups) {
    for (const auto &names : groups) chip.oneOf.push_back(named(chip.settings, names));
    return chip;
}

ChipTable olderTable(uint32_t type, const char *name, const char *shortName,
                     std::vector<const Setting *> settings) {
    return {type, name, shortName, std::move(settings), {}, false};
}

template <auto Own>
ChipTable newerTable(uint32_t type, const char *name, const char *shortName, std::span<const Setting> own) {
    return {type, name, shortName, newerChip<Own>(own), {}, true};
}

const std::vector<ChipTable> &tables() {
    static const std::vector<ChipTable> chips{
        olderTable(FT_DEVICE_AM, "FT8U232AM", "AM", kCommon),
        olderTable(FT_DEVICE_BM, "FT232BM", "BM", olderChip(kBm)),
        withModes(
            olderTable(FT_DEVICE_2232C, "FT2232C", "2232C", olderChip(k2232C)),
            {{"IFAIsFifo", "IFAIsFifoTar", "IFAIsFastSer"}, {"IFBIsFifo", "IFBIsFifoTar", "IFBIsFastSer"}}),
        olderTable(FT_DEVICE_232R, "FT232R", "232R", olderChip(k232R)),
        withModes(newerTable<&EepromContents::ft2232h>(FT_DEVICE_2232H, "FT2232H", "2232H", k2232H),
                  {{"AIsFifo", "AIsFifoTar", "AIsFastSer"}, {"BIsFifo", "BIsFifoTar", "BIsFastSer"}}),
        newerTable<&EepromContents::ft4232h>(FT_DEVICE_4232H, "FT4232H", "4232H", k4232H),
        withModes(newerTable<&EepromContents::ft232h>(FT_DEVICE_232H, "FT232H", "232H", k232H),
                  {{"IsFifo", "IsFifoTar", "IsFastSer", "IsFT1248"}}),
        newerTable<&EepromContents::xSeries>(FT_DEVICE_X_SERIES, "FT-X", "X", kX),
    };
    return chips;
}

bool sameName(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
    });
}

}  // namespace

std::span<const ChipTable> chipTables() {
    return tables();
}

const ChipTable *chipTable(uint32_t chipType) {
    for (const ChipTable &chip : tables())
        if (chip.type == chipType) return &chip;
    return nullptr;
}

std::span<const Setting *const> chipSettings(uint32_t chipType) {
    const ChipTable *chip = chipTable(chipType);
    return chip ? std::span<const Setting *const>(chip->settings) : std::span<const Setting *const>();
}

std::span<const Setting *const> commonSettings() {
    return kCommon;
}

const Setting *findSetting(uint32_t chipType, std::string_view name) {
    for (const Setting *s : chipSettings(chipType))
        if (sameName(s->name, name)) return s;
    return nullptr;
}

const Setting *findAnySetting(std::string_view name) {
    for (const ChipTable &chip : tables())
        if (const Setting *s = findSetting(chip.type, name)) return s;
    return nullptr;
}

std::optional<uint32_t> chipByName(std::string_view name) {
    for (const ChipTable &chip : tables())
        if (sameName(chip.name, name) || sameName(chip.shortName, name)) return chip.type;
    return std::nullopt;
}

std::vector<std::vector<const Setting *>> modeConflicts(uint32_t chipType, const EepromContents &contents) {
    std::vector<std::vector<const Setting *>> conflicts;
    const ChipTable *chip = chipTable(chipType);
    if (chip == nullptr) return conflicts;
    for (const auto &group : chip->oneOf) {
        std::vector<const Setting *> set;
        for (const Setting *s : group)
            if (s->number(contents) != 0) set.push_back(s);
        if (set.size() > 1) conflicts.push_back(std::move(set));
    }
    return conflicts;
}

}  // namespace kestrom::eeprom
