#include "ftdi_eeprom_options.h"

#include "ftd2xx.h"

namespace kestrom::cli {

namespace {

// The FT232R's CBUS functions, with the spellings of older versions of the tool.
constexpr OptionChoice kCbus[] = {
    {"TXDEN", 0},     {"PWREN", 1},    {"PWRON", 1},  {"RXLED", 2},       {"TXLED", 3},  {"TXRXLED", 4},
    {"TX_RX_LED", 4}, {"SLEEP", 5},    {"CLK48", 6},  {"CLK24", 7},       {"CLK12", 8},  {"CLK6", 9},
    {"IOMODE", 10},   {"IO_MODE", 10}, {"BB_WR", 11}, {"BITBANG_WR", 11}, {"BB_RD", 12}, {"BITBANG_RD", 12}};

// The FT232H's ACBUS functions. The tool spells the second drive level "DRIVE1";
// "DRIVE_1" is taken too.
constexpr OptionChoice kCbusH[] = {{"TRISTATE", 0}, {"TXLED", 1},  {"RXLED", 2},   {"TXRXLED", 3},
                                   {"PWREN", 4},    {"SLEEP", 5},  {"DRIVE_0", 6}, {"DRIVE1", 7},
                                   {"DRIVE_1", 7},  {"IOMODE", 8}, {"TXDEN", 9},   {"CLK30", 10},
                                   {"CLK15", 11},   {"CLK7_5", 12}};

// The X series' CBUS functions.
constexpr OptionChoice kCbusX[] = {
    {"TRISTATE", 0},        {"TXLED", 1},       {"RXLED", 2},    {"TXRXLED", 3},     {"PWREN", 4},
    {"SLEEP", 5},           {"DRIVE_0", 6},     {"DRIVE1", 7},   {"DRIVE_1", 7},     {"IOMODE", 8},
    {"TXDEN", 9},           {"CLK24", 10},      {"CLK12", 11},   {"CLK6", 12},       {"BAT_DETECT", 13},
    {"BAT_DETECT_NEG", 14}, {"I2C_TXE", 15},    {"I2C_RXF", 16}, {"VBUS_SENSE", 17}, {"BB_WR", 18},
    {"BB_RD", 19},          {"TIME_STAMP", 20}, {"AWAKE", 21}};

// Drive current of the FT232H's pin group 0.
constexpr OptionChoice kDrive[] = {{"4MA", 0}, {"8MA", 1}, {"12MA", 2}, {"16MA", 3}};

// Channel types, numbered as libftdi1 numbers them.
constexpr long kUart = 0, kFifo = 1, kOpto = 2, kCpu = 4, kFt1284 = 8;
constexpr OptionChoice kChannel[] = {
    {"UART", kUart}, {"FIFO", kFifo}, {"OPTO", kOpto}, {"CPU", kCpu}, {"FT1284", kFt1284}};

using K = OptionKind;
constexpr uint32_t kBM = FT_DEVICE_BM, k2232C = FT_DEVICE_2232C, k232R = FT_DEVICE_232R;

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
        {"cbus0", K::Choice, kCbus, false, {{k232R, "Cbus0"}}},
        {"cbus1", K::Choice, kCbus, false, {{k232R, "Cbus1"}}},
        {"cbus2", K::Choice, kCbus, false, {{k232R, "Cbus2"}}},
        {"cbus3", K::Choice, kCbus, false, {{k232R, "Cbus3"}}},
        {"cbus4", K::Choice, kCbus, false, {{k232R, "Cbus4"}}},
        {"cbush0", K::Choice, kCbusH},
        {"cbush1", K::Choice, kCbusH},
        {"cbush2", K::Choice, kCbusH},
        {"cbush3", K::Choice, kCbusH},
        {"cbush4", K::Choice, kCbusH},
        {"cbush5", K::Choice, kCbusH},
        {"cbush6", K::Choice, kCbusH},
        {"cbush7", K::Choice, kCbusH},
        {"cbush8", K::Choice, kCbusH},
        {"cbush9", K::Choice, kCbusH},
        {"cbusx0", K::Choice, kCbusX},
        {"cbusx1", K::Choice, kCbusX},
        {"cbusx2", K::Choice, kCbusX},
        {"cbusx3", K::Choice, kCbusX},
        {"group0_drive", K::Choice, kDrive, true},
        {"invert_txd", K::Flag, {}, false, {{kEveryChip, "InvertTXD"}}},
        {"invert_rxd", K::Flag, {}, false, {{kEveryChip, "InvertRXD"}}},
        {"invert_rts", K::Flag, {}, false, {{kEveryChip, "InvertRTS"}}},
        {"invert_cts", K::Flag, {}, false, {{kEveryChip, "InvertCTS"}}},
        {"invert_dtr", K::Flag, {}, false, {{kEveryChip, "InvertDTR"}}},
        {"invert_dsr", K::Flag, {}, false, {{kEveryChip, "InvertDSR"}}},
        {"invert_dcd", K::Flag, {}, false, {{kEveryChip, "InvertDCD"}}},
        {"invert_ri", K::Flag, {}, false, {{kEveryChip, "InvertRI"}}},
        {"cha_type", K::Choice, kChannel, false, {{k2232C, "IFA", Conversion::ChannelMode}}},
        {"chb_type", K::Choice, kChannel, false, {{k2232C, "IFB", Conversion::ChannelMode}}},
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

std::vector<ChannelModeField> channelModeFields(const char *channel) {
    const QString prefix = QLatin1String(channel);
    return {{prefix + QStringLiteral("IsFifo"), kFifo},
            {prefix + QStringLiteral("IsFifoTar"), kCpu},
            {prefix + QStringLiteral("IsFastSer"), kOpto}};
}

bool ft2232cChannelType(long channelType) {
    return channelType == kUart || channelType == kFifo || channelType == kOpto || channelType == kCpu;
}

}  // namespace kestrom::cli
