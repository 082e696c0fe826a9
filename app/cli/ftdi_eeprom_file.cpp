#include "ftdi_eeprom_file.h"

#include <confuse.h>
#include <strings.h>

#include <QHash>
#include <algorithm>
#include <array>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <span>

#include "ftdi_eeprom_options.h"
#include "template_source.h"

namespace kestrom::cli {

namespace {

// What libconfuse reports while it parses one file; its callbacks carry no user data.
struct Collector {
    QString name;
    QHash<QString, std::pair<QString, int>> origins;  // option -> the file and line that set it last
    QStringList problems;
    bool refusedByLibconfuse = false;  // besides what Kestrom refuses itself
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
    collector->refusedByLibconfuse = true;
    collector->problems << QStringLiteral("%1: %2").arg(lineOrigin(fileOf(cfg), cfg->line),
                                                        QString::fromLocal8Bit(message.data()));
}

int noteWhere(cfg_t *cfg, cfg_opt_t *option) {
    collector->origins.insert(QString::fromLatin1(cfg_opt_name(option)), {fileOf(cfg), cfg->line});
    return 0;
}

// A Choice option's value, as the tool takes it, or by the name templates give it
// (any case): the name's number, or a complaint.
int parseChoice(cfg_t *cfg, cfg_opt_t *option, const char *value, void *result) {
    const FtdiEepromOptionSpec *spec = findFtdiEepromOption(QString::fromLatin1(cfg_opt_name(option)));
    for (const OptionChoice &choice : spec->choices) {
        const bool same =
            spec->anyCase ? strcasecmp(choice.name, value) == 0 : std::strcmp(choice.name, value) == 0;
        if (same) {
            *static_cast<long *>(result) = choice.value;
            return 0;
        }
    }
    for (const eeprom::NamedValue &named : settingNames(*spec)) {
        if (strcasecmp(named.name, value) == 0) {
            *static_cast<long *>(result) = long(named.value);
            return 0;
        }
    }
    cfg_error(cfg, "invalid %s option '%s'", cfg_opt_name(option), value);
    return -1;
}

// include("file"): the file is read as the file itself is, so that a folder, a
// missing file or text Kestrom does not take is said as such, naming the file
// (libconfuse would say only that its scanner failed), before libconfuse reads it.
int includeFile(cfg_t *cfg, cfg_opt_t *option, int argc, const char **argv) noexcept {
    try {
        if (argc == 1 && argv[0] != nullptr) {
            const std::unique_ptr<char, decltype(&std::free)> expanded(cfg_tilde_expand(argv[0]), &std::free);
            const QString file = QString::fromLocal8Bit(expanded ? expanded.get() : argv[0]);
            QStringList problems;
            if (!readTemplateText(file, problems)) {
                const QString where =
                    QStringLiteral("%1: include(\"%2\")")
                        .arg(lineOrigin(fileOf(cfg), cfg->line), QString::fromLocal8Bit(argv[0]));
                for (const QString &problem : problems)
                    collector->problems << where + QStringLiteral(": ") + problem;
                return 1;
            }
        }
        return cfg_include(cfg, option, argc, argv);
    } catch (...) {  // called from C: nothing may escape
        return 1;
    }
}

cfg_type_t libconfuseType(OptionKind kind) {
    switch (kind) {
        case OptionKind::Flag:
            return CFGT_BOOL;
        case OptionKind::Text:
            return CFGT_STR;
        case OptionKind::Number:
        case OptionKind::Choice:
            return CFGT_INT;
    }
    return CFGT_NONE;
}

std::vector<cfg_opt_t> libconfuseOptions() {
    std::vector<cfg_opt_t> options;
    for (const FtdiEepromOptionSpec &spec : ftdiEepromOptions()) {
        cfg_opt_t option{};
        option.name = spec.name;
        option.type = libconfuseType(spec.kind);
        option.flags = CFGF_NODEFAULT;  // so that an option the file leaves out is not there
        if (spec.kind == OptionKind::Choice) option.parsecb = &parseChoice;
        options.push_back(option);
    }
    cfg_opt_t include{};
    include.name = "include";
    include.type = CFGT_FUNC;
    include.func = &includeFile;
    options.push_back(include);
    options.push_back(cfg_opt_t{});  // the end
    return options;
}

// The option's value as the file may say it: a choice by the tool's word.
QString writtenValue(const FtdiEepromOptionSpec &spec, const FtdiEepromOption &option) {
    switch (spec.kind) {
        case OptionKind::Text:
            return QStringLiteral("\"%1\"").arg(option.text);
        case OptionKind::Flag:
            return option.number != 0 ? QStringLiteral("true") : QStringLiteral("false");
        case OptionKind::Choice:
            return choiceName(spec, option.number);
        case OptionKind::Number:
            break;
    }
    return QString::number(option.number);
}

// The tool's words for the values `field` takes, where the option has words for
// them (the FT232H's ACBUS0 takes no IOMODE); otherwise the field's own.
QString allowedWords(const FtdiEepromOptionSpec &spec, const FieldSpec &field) {
    if (spec.kind != OptionKind::Choice || field.kind != FieldKind::Choice) return allowedValues(field);
    QStringList words;
    for (const OptionChoice &choice : spec.choices) {
        const bool first = choiceName(spec, choice.value) == QLatin1String(choice.name);
        if (first && valueProblem(field, {uint32_t(choice.value), {}}).isEmpty())
            words << QLatin1String(choice.name);
    }
    return words.join(u' ');
}

void addSetting(Template &result, const FtdiEepromOption &option, const FieldSpec &field, FieldValue value,
                QStringList &problems) {
    const QString origin = QStringLiteral("%1 (%2)").arg(option.origin, option.name);
    if (const QString problem = valueProblem(field, value); !problem.isEmpty()) {
        const FtdiEepromOptionSpec &spec = *findFtdiEepromOption(option.name);
        const bool listed = problem.startsWith(u"allowed: ");
        problems << QStringLiteral("%1: %2 = %3 sets %4: %5")
                        .arg(option.origin, option.name, writtenValue(spec, option),
                             QLatin1String(field.name),
                             listed ? QStringLiteral("allowed: ") + allowedWords(spec, field) : problem);
        return;
    }
    result.settings.push_back({&field, std::move(value), origin});
}

// A channel type as the mode flags of the channel whose flags start with `prefix`,
// one set at most; false when the chip has no such channel.
bool setChannelModes(const FtdiEepromOption &option, const QString &prefix, uint32_t chipType,
                     Template &result, QStringList &problems) {
    const FtdiEepromOptionSpec &spec = *findFtdiEepromOption(option.name);
    std::vector<std::pair<const FieldSpec *, long>> modes;
    QStringList types{choiceName(spec, kUartChannel)};
    for (const ChannelMode &mode : channelModes()) {
        if (const FieldSpec *field = findField(chipType, prefix + QLatin1String(mode.flag))) {
            modes.emplace_back(field, mode.channelType);
            types << choiceName(spec, mode.channelType);
        }
    }
    if (modes.empty()) return false;
    const bool known =
        option.number == kUartChannel ||
        std::any_of(modes.begin(), modes.end(), [&](const auto &m) { return m.second == option.number; });
    if (!known) {
        const QString last = types.takeLast();
        problems << QStringLiteral("%1: %2 = %3: the %4 takes %5 or %6")
                        .arg(option.origin, option.name, writtenValue(spec, option),
                             QLatin1String(eeprom::chipTable(chipType)->name),
                             types.join(QStringLiteral(", ")), last);
        return true;
    }
    for (const auto &[field, channelType] : modes)
        addSetting(result, option, *field, {option.number == channelType ? 1u : 0u, {}}, problems);
    return true;
}

// Sets the field `target` names, when the chip has it; false when it has not.
bool setTarget(const FtdiEepromOption &option, const OptionTarget &target, uint32_t chipType,
               Template &result, QStringList &problems) {
    if (target.chip != kEveryChip && target.chip != chipType) return false;
    if (target.conversion == Conversion::ChannelMode)
        return setChannelModes(option, QLatin1String(target.field), chipType, result, problems);
    const FieldSpec *field = findField(chipType, QLatin1String(target.field));
    if (field == nullptr) return false;
    FieldValue value{uint32_t(option.number), option.text};
    if (option.number < 0 || option.number > long(UINT32_MAX)) value.number = UINT32_MAX;  // refused below
    if (target.conversion == Conversion::Inverted) value.number = value.number == 0 ? 1 : 0;
    if (target.conversion == Conversion::DriveCurrent) value.number = (value.number + 1) * 4;
    addSetting(result, option, *field, std::move(value), problems);
    return true;
}

// A file that asks for its raw image to be programmed as it is: that is what
// restore does, with its checks; refused here so that nothing else is written.
void refuseRawFlash(const std::vector<FtdiEepromOption> &options, QStringList &problems) {
    const auto named = [&](const char *name) {
        return std::find_if(options.begin(), options.end(), [&](const FtdiEepromOption &option) {
            return option.name == QLatin1String(name);
        });
    };
    const auto raw = named("flash_raw");
    if (raw == options.end() || raw->number == 0) return;
    const auto image = named("filename");
    const QString file =
        image != options.end() && !image->text.isEmpty() ? image->text : QStringLiteral("FILE");
    problems << QStringLiteral(
                    "%1: flash_raw = true asks for the raw image %2 to be programmed as it is: "
                    "program it with 'kestrom restore %2'")
                    .arg(raw->origin, file);
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
    Collector collected{name, {}, {}, false};
    collector = &collected;
    std::vector<cfg_opt_t> known = libconfuseOptions();
    const std::unique_ptr<cfg_t, decltype(&cfg_free)> cfg(cfg_init(known.data(), CFGF_NONE), &cfg_free);
    cfg_set_error_function(cfg.get(), &complain);
    for (const FtdiEepromOptionSpec &spec : ftdiEepromOptions())
        cfg_set_validate_func(cfg.get(), spec.name, &noteWhere);
    const int parsed = cfg_parse_buf(cfg.get(), withoutComments(content).constData());
    collector = nullptr;
    if (parsed != CFG_SUCCESS || !collected.problems.isEmpty()) {
        if (collected.problems.isEmpty()) {
            collected.problems << QStringLiteral("%1: cannot be read").arg(name);
            collected.refusedByLibconfuse = true;
        }
        if (collected.refusedByLibconfuse) {
            // Often a template that lost its section: say how the file was taken.
            problems << QStringLiteral(
                            "%1 was read as a configuration file of libftdi1's ftdi_eeprom, as it does not "
                            "start with a [template] section")
                            .arg(name);
        }
        problems << collected.problems;
        return std::nullopt;
    }
    std::vector<std::pair<std::pair<QString, int>, FtdiEepromOption>> found;
    for (const FtdiEepromOptionSpec &spec : ftdiEepromOptions()) {
        if (cfg_size(cfg.get(), spec.name) == 0) continue;
        const auto where = collected.origins.value(QString::fromLatin1(spec.name), {name, 0});
        FtdiEepromOption option{QString::fromLatin1(spec.name), 0, {}, lineOrigin(where.first, where.second)};
        switch (spec.kind) {
            case OptionKind::Flag:
                option.number = cfg_getbool(cfg.get(), spec.name) ? 1 : 0;
                break;
            case OptionKind::Text:
                option.text = QString::fromUtf8(cfg_getstr(cfg.get(), spec.name));
                break;
            case OptionKind::Number:
            case OptionKind::Choice:
                option.number = cfg_getint(cfg.get(), spec.name);
                break;
        }
        found.emplace_back(where, std::move(option));
    }
    // In the order the file sets them, so that what is said follows the file.
    std::stable_sort(found.begin(), found.end(),
                     [](const auto &a, const auto &b) { return a.first < b.first; });
    std::vector<FtdiEepromOption> options;
    for (auto &[where, option] : found) options.push_back(std::move(option));
    const qsizetype before = problems.size();
    refuseRawFlash(options, problems);
    if (problems.size() > before) return std::nullopt;
    return options;
}

Template ftdiEepromTemplate(const std::vector<FtdiEepromOption> &options, uint32_t chipType,
                            QStringList &problems) {
    Template result;
    for (const FtdiEepromOption &option : options) {
        const FtdiEepromOptionSpec *spec = findFtdiEepromOption(option.name);
        const auto set = [&](const OptionTarget &target) {
            return setTarget(option, target, chipType, result, problems);
        };
        if (spec == nullptr || std::none_of(spec->targets.begin(), spec->targets.end(), set)) {
            result.ignored << option.name;
        }
    }
    return result;
}

}  // namespace kestrom::cli
