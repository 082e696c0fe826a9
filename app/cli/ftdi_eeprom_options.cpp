#include "ftdi_eeprom_options.h"

#include "ftd2xx.h"

namespace kestrom::cli {

namespace {

// The tool's words for the CBUS functions, numbered as the tool numbers them, which
// is the D2XX numbering; the D2XX names (PWRON, DRIVE_1, BITBANG_WR ...) are taken
// from the chips' tables besides these.
// The FT232R's, with the spellings of older versions of the tool.
constexpr OptionChoice kCbus[] = {{"TXDEN", 0},    {"PWREN", 1},     {"RXLED", 2}, {"TXLED", 3},
                                  {"TXRXLED", 4},  {"TX_RX_LED", 4}, {"SLEEP", 5}, {"CLK48", 6},
                                  {"CLK24", 7},    {"CLK12", 8},     {"CLK6", 9},  {"IOMODE", 10},
                                  {"IO_MODE", 10}, {"BB_WR", 11},    {"BB_RD", 12}};

// The FT232H's ACBUS functions.
constexpr OptionChoice kCbusH[] = {{"TRISTATE", 0}, {"TXLED", 1}, {"RXLED", 2},   {"TXRXLED", 3},
                                   {"PWREN", 4},    {"SLEEP", 5}, {"DRIVE_0", 6}, {"DRIVE1", 7},
                                   {"IOMODE", 8},   {"TXDEN", 9}, {"CLK30", 10},  {"CLK15", 11},
                                   {"CLK7_5", 12}};

// The X series' CBUS functions.
constexpr OptionChoice kCbusX[] = {
    {"TRISTATE", 0},    {"TXLED", 1},    {"RXLED", 2},       {"TXRXLED", 3},     {"PWREN", 4},
    {"SLEEP", 5},       {"DRIVE_0", 6},  {"DRIVE1", 7},      {"IOMODE", 8},      {"TXDEN", 9},
    {"CLK24", 10},      {"CLK12", 11},   {"CLK6", 12},       {"BAT_DETECT", 13}, {"BAT_DETECT_NEG", 14},
    {"I2C_TXE", 15},    {"I2C_RXF", 16}, {"VBUS_SENSE", 17}, {"BB_WR", 18},      {"BB_RD", 19},
    {"TIME_STAMP", 20}, {"AWAKE", 21}};

// Drive current of the FT232H's pin group 0 (its ACBUS), as levels 0-3.
constexpr OptionChoice kDrive[] = {{"4MA", 0}, {"8MA", 1}, {"12MA", 2}, {"16MA", 3}};

// Channel types, numbered as libftdi1 numbers them.
constexpr long kFifo = 1, kOpto = 2, kCpu = 4, kFt1284 = 8;
constexpr OptionChoice kChannel[] = {
    {"UART", kUartChannel}, {"FIFO", kFifo}, {"OPTO", kOpto}, {"CPU", kCpu}, {"FT1284", kFt1284}};
constexpr ChannelMode kChannelModes[] = {
    {kFifo, "IsFifo"}, {kOpto, "IsFastSer"}, {kCpu, "IsFifoTar"}, {kFt1284, "IsFT1248"}};

using K = OptionKind;
constexpr uint32_t kBM = FT_DEVICE_BM, k2232C = FT_DEVICE_2232C, k232R = FT_DEVICE_232R;
constexpr uint32_t k232H = FT_DEVICE_232H, kX = FT_DEVICE_X_SERIES;
constexpr Conversion kModes = Conversion::ChannelMode;

FtdiEepromOptionSpec pin(const char *name, std::span<const OptionChoice> words, uint32_t chip,
                         const char *setting) {
    return {name, OptionKind::Choice, words, false, {{chip, setting}}};
}

const std::vector<FtdiEepromOptionSpec> &table() {
    static const std::vector<FtdiEepromOptionSpec> options{
        {"vendor_id", K::Number, {}, false, {{kEveryChip, "VendorId"}}},
        {"product_id", K::Number, {}, false, {{kEveryChip, "ProductId"}}},
        {"release_number", K::Number},  // the chip's own bcdDevice is always written
        {"self_powered", K::Flag, {}, false, {{kEveryChip, "SelfPowered"}}},
        {"remote_wakeup", K::Flag, {}, false, {{kEveryChip, "RemoteWakeup"}}},
        {"in_is_isochronous", K::Flag, {}, false, {{kBM, "IsoIn"}, {k2232C, "IsoInA"}}},
        {"out_is_isochronous", K::Flag, {}, false, {{kBM, "IsoOut"}, {k2232C, "IsoOutA"}}},
        {"suspend_pull_downs",
         K::Flag,
         {},
         false,
         {{kBM, "PullDownEnable"},
          {k2232C, "PullDownEnable5"},
          {k232R, "PullDownEnableR"},
          {kEveryChip, "PullDownEnable"}}},
        {"use_serial",
         K::Flag,
         {},
         false,
         {{kBM, "SerNumEnable"},
          {k2232C, "SerNumEnable5"},
          {k232R, "SerNumEnableR"},
          {kEveryChip, "SerNumEnable"}}},
        {"change_usb_version",
         K::Flag,
         {},
         false,
         {{kBM, "USBVersionEnable"}, {k2232C, "USBVersionEnable5"}}},
        {"usb_version", K::Number, {}, false, {{kBM, "USBVersion"}, {k2232C, "USBVersion5"}}},
        {"default_pid", K::Number},
        {"max_power", K::Number, {}, false, {{kEveryChip, "MaxPower"}}},
        {"manufacturer", K::Text, {}, false, {{kEveryChip, "Manufacturer"}}},
        {"product", K::Text, {}, false, {{kEveryChip, "Description"}}},
        {"serial", K::Text, {}, false, {{kEveryChip, "SerialNumber"}}},
        {"eeprom_type", K::Number},
        {"filename", K::Text},
        {"flash_raw", K::Flag},
        {"high_current", K::Flag, {}, false, {{k232R, "HighDriveIOs"}}},
        pin("cbus0", kCbus, k232R, "Cbus0"),
        pin("cbus1", kCbus, k232R, "Cbus1"),
        pin("cbus2", kCbus, k232R, "Cbus2"),
        pin("cbus3", kCbus, k232R, "Cbus3"),
        pin("cbus4", kCbus, k232R, "Cbus4"),
        pin("cbush0", kCbusH, k232H, "Cbus0"),
        pin("cbush1", kCbusH, k232H, "Cbus1"),
        pin("cbush2", kCbusH, k232H, "Cbus2"),
        pin("cbush3", kCbusH, k232H, "Cbus3"),
        pin("cbush4", kCbusH, k232H, "Cbus4"),
        pin("cbush5", kCbusH, k232H, "Cbus5"),
        pin("cbush6", kCbusH, k232H, "Cbus6"),
        pin("cbush7", kCbusH, k232H, "Cbus7"),
        pin("cbush8", kCbusH, k232H, "Cbus8"),
        pin("cbush9", kCbusH, k232H, "Cbus9"),
        pin("cbusx0", kCbusX, kX, "Cbus0"),
        pin("cbusx1", kCbusX, kX, "Cbus1"),
        pin("cbusx2", kCbusX, kX, "Cbus2"),
        pin("cbusx3", kCbusX, kX, "Cbus3"),
        {"group0_drive", K::Choice, kDrive, true, {{k232H, "ACDriveCurrent", Conversion::DriveCurrent}}},
        {"invert_txd", K::Flag, {}, false, {{kEveryChip, "InvertTXD"}}},
        {"invert_rxd", K::Flag, {}, false, {{kEveryChip, "InvertRXD"}}},
        {"invert_rts", K::Flag, {}, false, {{kEveryChip, "InvertRTS"}}},
        {"invert_cts", K::Flag, {}, false, {{kEveryChip, "InvertCTS"}}},
        {"invert_dtr", K::Flag, {}, false, {{kEveryChip, "InvertDTR"}}},
        {"invert_dsr", K::Flag, {}, false, {{kEveryChip, "InvertDSR"}}},
        {"invert_dcd", K::Flag, {}, false, {{kEveryChip, "InvertDCD"}}},
        {"invert_ri", K::Flag, {}, false, {{kEveryChip, "InvertRI"}}},
        // The first prefix whose mode flags the chip has: FT2232C, FT2232H, FT232H.
        {"cha_type",
         K::Choice,
         kChannel,
         false,
         {{kEveryChip, "IFA", kModes}, {kEveryChip, "A", kModes}, {kEveryChip, "", kModes}}},
        {"chb_type", K::Choice, kChannel, false, {{kEveryChip, "IFB", kModes}, {kEveryChip, "B", kModes}}},
        {"cha_vcp",
         K::Flag,
         {},
         false,
         {{k2232C, "AIsVCP"},
          {k232R, "RIsD2XX", Conversion::Inverted},
          {kEveryChip, "ADriverType"},
          {kEveryChip, "DriverType"}}},
        {"chb_vcp", K::Flag, {}, false, {{k2232C, "BIsVCP"}, {kEveryChip, "BDriverType"}}},
        {"chc_vcp", K::Flag, {}, false, {{kEveryChip, "CDriverType"}}},
        {"chd_vcp", K::Flag, {}, false, {{kEveryChip, "DDriverType"}}},
        {"cha_rs485", K::Flag, {}, false, {{kEveryChip, "ARIIsTXDEN"}}},
        {"chb_rs485", K::Flag, {}, false, {{kEveryChip, "BRIIsTXDEN"}}},
        {"chc_rs485", K::Flag, {}, false, {{kEveryChip, "CRIIsTXDEN"}}},
        {"chd_rs485", K::Flag, {}, false, {{kEveryChip, "DRIIsTXDEN"}}},
        {"user_data_addr", K::Number},
        {"user_data_file", K::Text},
        // Older versions of the tool.
        {"chip_type", K::Text},
        {"BM_type_chip", K::Flag},
    };
    return options;
}

}  // namespace

std::span<const FtdiEepromOptionSpec> ftdiEepromOptions() {
    return table();
}

const FtdiEepromOptionSpec *findFtdiEepromOption(const QString &name) {
    for (const FtdiEepromOptionSpec &option : table()) {
        if (name == QLatin1String(option.name)) return &option;
    }
    return nullptr;
}

QString choiceName(const FtdiEepromOptionSpec &option, long value) {
    for (const OptionChoice &choice : option.choices) {
        if (choice.value == value) return QLatin1String(choice.name);
    }
    return QString::number(value);
}

std::span<const eeprom::NamedValue> settingNames(const FtdiEepromOptionSpec &option) {
    for (const OptionTarget &target : option.targets) {
        const eeprom::Setting *setting = eeprom::findSetting(target.chip, target.field);
        if (setting != nullptr && setting->kind == eeprom::SettingKind::Choice) return setting->names;
    }
    return {};
}

std::span<const ChannelMode> channelModes() {
    return kChannelModes;
}

}  // namespace kestrom::cli
