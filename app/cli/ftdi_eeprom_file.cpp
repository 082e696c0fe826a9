#include "ftdi_eeprom_file.h"

#include <confuse.h>

#include <QHash>
#include <algorithm>
#include <array>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <memory>
#include <span>

namespace kestrom::cli {

namespace {

// What libconfuse reports while it parses one file; its callbacks carry no user data.
struct Collector {
    QString name;
    QHash<QString, std::pair<QString, int>> origins;  // option -> the file and line that set it last
    QStringList problems;
};
thread_local Collector *collector = nullptr;

// The file libconfuse works on: an included one by its name, the file itself
// (handed over as a buffer, "[buf]" to libconfuse) by the name it was given.
QString fileOf(const cfg_t *cfg) {
    const bool included = cfg->filename != nullptr && std::strcmp(cfg->filename, "[buf]") != 0;
    return included ? QString::fromLocal8Bit(cfg->filename) : collector->name;
}

void complain(cfg_t *cfg, const char *format, va_list arguments) {
    std::array<char, 512> message{};
    std::vsnprintf(message.data(), message.size(), format, arguments);
    collector->problems << QStringLiteral("%1: %2").arg(lineOrigin(fileOf(cfg), cfg->line),
                                                        QString::fromLocal8Bit(message.data()));
}

int noteWhere(cfg_t *cfg, cfg_opt_t *option) {
    collector->origins.insert(QString::fromLatin1(cfg_opt_name(option)), {fileOf(cfg), cfg->line});
    return 0;
}

// A choice among names, as the tool takes it: the name's number, or a complaint.
struct Choice {
    const char *name;
    long value;
};

int choose(cfg_t *cfg, cfg_opt_t *option, const char *value, void *result, std::span<const Choice> choices) {
    for (const Choice &choice : choices) {
        if (std::strcmp(choice.name, value) == 0) {
            *static_cast<long *>(result) = choice.value;
            return 0;
        }
    }
    cfg_error(cfg, "invalid %s option '%s'", cfg_opt_name(option), value);
    return -1;
}

// The CBUS functions of the FT232R, with the spellings of older versions of the tool.
constexpr Choice kCbusChoices[] = {
    {"TXDEN", 0},     {"PWREN", 1},    {"PWRON", 1},  {"RXLED", 2},       {"TXLED", 3},  {"TXRXLED", 4},
    {"TX_RX_LED", 4}, {"SLEEP", 5},    {"CLK48", 6},  {"CLK24", 7},       {"CLK12", 8},  {"CLK6", 9},
    {"IOMODE", 10},   {"IO_MODE", 10}, {"BB_WR", 11}, {"BITBANG_WR", 11}, {"BB_RD", 12}, {"BITBANG_RD", 12}};
// Channel types, numbered as libftdi1 numbers them.
constexpr long kUart = 0, kFifo = 1, kOpto = 2, kCpu = 4, kFt1284 = 8;
constexpr Choice kChannelChoices[] = {
    {"UART", kUart}, {"FIFO", kFifo}, {"OPTO", kOpto}, {"CPU", kCpu}, {"FT1284", kFt1284}};

int parseCbus(cfg_t *cfg, cfg_opt_t *option, const char *value, void *result) {
    return choose(cfg, option, value, result, kCbusChoices);
}

int parseChannel(cfg_t *cfg, cfg_opt_t *option, const char *value, void *result) {
    return choose(cfg, option, value, result, kChannelChoices);
}

struct OptionSpec {
    const char *name;
    cfg_type_t type;
    cfg_callback_t parse = nullptr;
};

// The options ftdi_eeprom documents, and two of its older versions'.
const OptionSpec kOptions[] = {
    {"vendor_id", CFGT_INT},
    {"product_id", CFGT_INT},
    {"self_powered", CFGT_BOOL},
    {"remote_wakeup", CFGT_BOOL},
    {"in_is_isochronous", CFGT_BOOL},
    {"out_is_isochronous", CFGT_BOOL},
    {"suspend_pull_downs", CFGT_BOOL},
    {"use_serial", CFGT_BOOL},
    {"change_usb_version", CFGT_BOOL},
    {"usb_version", CFGT_INT},
    {"default_pid", CFGT_INT},
    {"max_power", CFGT_INT},
    {"manufacturer", CFGT_STR},
    {"product", CFGT_STR},
    {"serial", CFGT_STR},
    {"eeprom_type", CFGT_INT},
    {"filename", CFGT_STR},
    {"flash_raw", CFGT_BOOL},
    {"high_current", CFGT_BOOL},
    {"cbus0", CFGT_INT, &parseCbus},
    {"cbus1", CFGT_INT, &parseCbus},
    {"cbus2", CFGT_INT, &parseCbus},
    {"cbus3", CFGT_INT, &parseCbus},
    {"cbus4", CFGT_INT, &parseCbus},
    {"cbush0", CFGT_STR},
    {"cbush1", CFGT_STR},
    {"cbush2", CFGT_STR},
    {"cbush3", CFGT_STR},
    {"cbush4", CFGT_STR},
    {"cbush5", CFGT_STR},
    {"cbush6", CFGT_STR},
    {"cbush7", CFGT_STR},
    {"cbush8", CFGT_STR},
    {"cbush9", CFGT_STR},
    {"cbusx0", CFGT_STR},
    {"cbusx1", CFGT_STR},
    {"cbusx2", CFGT_STR},
    {"cbusx3", CFGT_STR},
    {"invert_txd", CFGT_BOOL},
    {"invert_rxd", CFGT_BOOL},
    {"invert_rts", CFGT_BOOL},
    {"invert_cts", CFGT_BOOL},
    {"invert_dtr", CFGT_BOOL},
    {"invert_dsr", CFGT_BOOL},
    {"invert_dcd", CFGT_BOOL},
    {"invert_ri", CFGT_BOOL},
    {"cha_type", CFGT_INT, &parseChannel},
    {"chb_type", CFGT_INT, &parseChannel},
    {"cha_vcp", CFGT_BOOL},
    {"chb_vcp", CFGT_BOOL},
    {"chc_vcp", CFGT_BOOL},
    {"chd_vcp", CFGT_BOOL},
    {"cha_rs485", CFGT_BOOL},
    {"chb_rs485", CFGT_BOOL},
    {"chc_rs485", CFGT_BOOL},
    {"chd_rs485", CFGT_BOOL},
    {"user_data_addr", CFGT_INT},
    {"user_data_file", CFGT_STR},
    {"chip_type", CFGT_STR},
    {"BM_type_chip", CFGT_BOOL},
};

std::vector<cfg_opt_t> libconfuseOptions() {
    std::vector<cfg_opt_t> options;
    for (const OptionSpec &spec : kOptions) {
        cfg_opt_t option{};
        option.name = spec.name;
        option.type = spec.type;
        option.flags = CFGF_NODEFAULT;  // so that an option the file leaves out is not there
        option.parsecb = spec.parse;
        options.push_back(option);
    }
    cfg_opt_t include{};
    include.name = "include";
    include.type = CFGT_FUNC;
    include.func = &cfg_include;
    options.push_back(include);
    options.push_back(cfg_opt_t{});  // the end
    return options;
}

// Where an option goes on each chip. kAnyChip: every chip that has the field.
constexpr uint32_t kAnyChip = 0xFFFFFFFF;
struct Target {
    uint32_t chip;
    const char *field;
    bool inverted = false;  // the field holds the opposite of the option
};
struct Mapping {
    const char *option;
    std::vector<Target> targets;
};

const std::vector<Mapping> &mappings() {
    static const std::vector<Mapping> table{
        {"vendor_id", {{kAnyChip, "VendorId"}}},
        {"product_id", {{kAnyChip, "ProductId"}}},
        {"self_powered", {{kAnyChip, "SelfPowered"}}},
        {"remote_wakeup", {{kAnyChip, "RemoteWakeup"}}},
        {"max_power", {{kAnyChip, "MaxPower"}}},
        {"manufacturer", {{kAnyChip, "Manufacturer"}}},
        {"product", {{kAnyChip, "Description"}}},
        {"serial", {{kAnyChip, "SerialNumber"}}},
        {"in_is_isochronous", {{FT_DEVICE_BM, "IsoIn"}, {FT_DEVICE_2232C, "IsoInA"}}},
        {"out_is_isochronous", {{FT_DEVICE_BM, "IsoOut"}, {FT_DEVICE_2232C, "IsoOutA"}}},
        {"suspend_pull_downs",
         {{FT_DEVICE_BM, "PullDownEnable"},
          {FT_DEVICE_2232C, "PullDownEnable5"},
          {FT_DEVICE_232R, "PullDownEnableR"},
          {kAnyChip, "PullDownEnable"}}},
        {"use_serial",
         {{FT_DEVICE_BM, "SerNumEnable"},
          {FT_DEVICE_2232C, "SerNumEnable5"},
          {FT_DEVICE_232R, "SerNumEnableR"},
          {kAnyChip, "SerNumEnable"}}},
        {"change_usb_version", {{FT_DEVICE_BM, "USBVersionEnable"}, {FT_DEVICE_2232C, "USBVersionEnable5"}}},
        {"usb_version", {{FT_DEVICE_BM, "USBVersion"}, {FT_DEVICE_2232C, "USBVersion5"}}},
        {"high_current", {{FT_DEVICE_232R, "HighDriveIOs"}}},
        {"cbus0", {{FT_DEVICE_232R, "Cbus0"}}},
        {"cbus1", {{FT_DEVICE_232R, "Cbus1"}}},
        {"cbus2", {{FT_DEVICE_232R, "Cbus2"}}},
        {"cbus3", {{FT_DEVICE_232R, "Cbus3"}}},
        {"cbus4", {{FT_DEVICE_232R, "Cbus4"}}},
        {"invert_txd", {{kAnyChip, "InvertTXD"}}},
        {"invert_rxd", {{kAnyChip, "InvertRXD"}}},
        {"invert_rts", {{kAnyChip, "InvertRTS"}}},
        {"invert_cts", {{kAnyChip, "InvertCTS"}}},
        {"invert_dtr", {{kAnyChip, "InvertDTR"}}},
        {"invert_dsr", {{kAnyChip, "InvertDSR"}}},
        {"invert_dcd", {{kAnyChip, "InvertDCD"}}},
        {"invert_ri", {{kAnyChip, "InvertRI"}}},
        {"cha_vcp",
         {{FT_DEVICE_2232C, "AIsVCP"},
          {FT_DEVICE_232R, "RIsD2XX", true},
          {kAnyChip, "ADriverType"},
          {kAnyChip, "DriverType"}}},
        {"chb_vcp", {{FT_DEVICE_2232C, "BIsVCP"}, {kAnyChip, "BDriverType"}}},
        {"chc_vcp", {{kAnyChip, "CDriverType"}}},
        {"chd_vcp", {{kAnyChip, "DDriverType"}}},
        {"cha_rs485", {{kAnyChip, "ARIIsTXDEN"}}},
        {"chb_rs485", {{kAnyChip, "BRIIsTXDEN"}}},
        {"chc_rs485", {{kAnyChip, "CRIIsTXDEN"}}},
        {"chd_rs485", {{kAnyChip, "DRIIsTXDEN"}}},
    };
    return table;
}

// A channel type as the FT2232C's three mode flags of that channel.
struct ChannelModes {
    const char *option;
    std::array<const char *, 3> fields;  // FIFO, CPU target, fast (opto-isolated) serial
};
constexpr ChannelModes kChannels[] = {{"cha_type", {"IFAIsFifo", "IFAIsFifoTar", "IFAIsFastSer"}},
                                      {"chb_type", {"IFBIsFifo", "IFBIsFifoTar", "IFBIsFastSer"}}};

void addSetting(Template &result, const FtdiEepromOption &option, const FieldSpec &field, FieldValue value,
                QStringList &problems) {
    const QString origin = QStringLiteral("%1 (%2)").arg(option.origin, option.name);
    if (const QString problem = valueProblem(field, value); !problem.isEmpty()) {
        problems << QStringLiteral("%1: %2 sets %3: %4")
                        .arg(option.origin, option.name, QLatin1String(field.name), problem);
        return;
    }
    result.settings.push_back({&field, std::move(value), origin});
}

bool mapChannel(const FtdiEepromOption &option, uint32_t chipType, Template &result, QStringList &problems) {
    for (const ChannelModes &channel : kChannels) {
        if (option.name != QLatin1String(channel.option)) continue;
        if (chipType != FT_DEVICE_2232C) return false;
        const long modes[] = {kFifo, kCpu, kOpto};
        if (option.number != kUart &&
            std::find(std::begin(modes), std::end(modes), option.number) == std::end(modes)) {
            problems << QStringLiteral("%1: %2 = FT1284: the FT2232C's channels are UART, FIFO, OPTO or CPU")
                            .arg(option.origin, option.name);
            return true;
        }
        for (size_t i = 0; i < channel.fields.size(); ++i) {
            addSetting(result, option, *findField(chipType, QLatin1String(channel.fields[i])),
                       {option.number == modes[i] ? 1u : 0u, {}}, problems);
        }
        return true;
    }
    return false;
}

bool mapField(const FtdiEepromOption &option, uint32_t chipType, Template &result, QStringList &problems) {
    for (const Mapping &mapping : mappings()) {
        if (option.name != QLatin1String(mapping.option)) continue;
        for (const Target &target : mapping.targets) {
            const FieldSpec *field = findField(chipType, QLatin1String(target.field));
            if ((target.chip != kAnyChip && target.chip != chipType) || field == nullptr) continue;
            FieldValue value{uint32_t(option.number), option.text};
            if (option.number < 0 || option.number > long(UINT32_MAX))
                value.number = UINT32_MAX;  // refused below
            if (target.inverted) value.number = value.number == 0 ? 1 : 0;
            addSetting(result, option, *field, std::move(value), problems);
            return true;
        }
        return false;
    }
    return false;
}

}  // namespace

QByteArray withoutComments(const QByteArray &content) {
    QByteArray out = content;
    enum { Code, DoubleQuoted, SingleQuoted, LineComment, BlockComment } state = Code;
    for (qsizetype i = 0; i < out.size(); ++i) {
        const char c = out[i];
        const char next = i + 1 < out.size() ? out[i + 1] : '\0';
        const bool tokenStart = i == 0 || QByteArrayView(" \t\n=,{}(").contains(out[i - 1]);
        switch (state) {
            case Code:
                if (c == '"') state = DoubleQuoted;
                if (c == '\'') state = SingleQuoted;
                if (c == '#' || (c == '/' && next == '/' && tokenStart)) state = LineComment;
                if (c == '/' && next == '*' && tokenStart) state = BlockComment;
                break;
            case DoubleQuoted:
            case SingleQuoted:
                if (c == '\\') {
                    ++i;
                } else if (c == (state == DoubleQuoted ? '"' : '\'')) {
                    state = Code;
                }
                continue;
            case LineComment:
                if (c == '\n') state = Code;
                break;
            case BlockComment:
                if (c == '*' && next == '/') {
                    out[i] = out[i + 1] = ' ';
                    ++i;
                    state = Code;
                    continue;
                }
                break;
        }
        if ((state == LineComment || state == BlockComment) && c != '\n') out[i] = ' ';
    }
    return out;
}

std::optional<std::vector<FtdiEepromOption>> readFtdiEepromFile(const QString &name,
                                                                const QByteArray &content,
                                                                QStringList &problems) {
    Collector collected{name, {}, {}};
    collector = &collected;
    std::vector<cfg_opt_t> known = libconfuseOptions();
    const std::unique_ptr<cfg_t, decltype(&cfg_free)> cfg(cfg_init(known.data(), CFGF_NONE), &cfg_free);
    cfg_set_error_function(cfg.get(), &complain);
    for (const OptionSpec &spec : kOptions) cfg_set_validate_func(cfg.get(), spec.name, &noteWhere);
    const int parsed = cfg_parse_buf(cfg.get(), withoutComments(content).constData());
    collector = nullptr;
    if (parsed != CFG_SUCCESS || !collected.problems.isEmpty()) {
        if (collected.problems.isEmpty())
            collected.problems << QStringLiteral("%1: cannot be read").arg(name);
        problems << collected.problems;
        return std::nullopt;
    }
    std::vector<std::pair<std::pair<QString, int>, FtdiEepromOption>> found;
    for (const OptionSpec &spec : kOptions) {
        if (cfg_size(cfg.get(), spec.name) == 0) continue;
        const auto where = collected.origins.value(QString::fromLatin1(spec.name), {name, 0});
        FtdiEepromOption option{QString::fromLatin1(spec.name), 0, {}, lineOrigin(where.first, where.second)};
        if (spec.type == CFGT_INT) option.number = cfg_getint(cfg.get(), spec.name);
        if (spec.type == CFGT_BOOL) option.number = cfg_getbool(cfg.get(), spec.name) ? 1 : 0;
        if (spec.type == CFGT_STR) option.text = QString::fromUtf8(cfg_getstr(cfg.get(), spec.name));
        found.emplace_back(where, std::move(option));
    }
    // In the order the file sets them, so that what is said follows the file.
    std::stable_sort(found.begin(), found.end(),
                     [](const auto &a, const auto &b) { return a.first < b.first; });
    std::vector<FtdiEepromOption> options;
    for (auto &[where, option] : found) options.push_back(std::move(option));
    return options;
}

Template ftdiEepromTemplate(const std::vector<FtdiEepromOption> &options, uint32_t chipType,
                            QStringList &problems) {
    Template result;
    for (const FtdiEepromOption &option : options) {
        if (!mapChannel(option, chipType, result, problems) &&
            !mapField(option, chipType, result, problems)) {
            result.ignored << option.name;
        }
    }
    return result;
}

}  // namespace kestrom::cli
