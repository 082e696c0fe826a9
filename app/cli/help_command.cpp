// `kestrom help settings [CHIP]`: each chip's settings from the chip model's
// tables; `kestrom help COMMAND`: that command's --help. The hidden `--names`
// prints the names --set takes on the chip, one a line, for the shell's completion:
// the chip named, else the device's (device 0 by default), else every chip's.
#include <algorithm>

#include "cli_common.h"
#include "commands.h"
#include "device_text.h"
#include "dispatcher.h"
#include "record_fields.h"
#include "settings_help.h"

namespace kestrom::cli {

namespace {

const QString kNames = QStringLiteral("names");

// The chip type of the device the options choose; nothing when it does not answer.
std::optional<uint32_t> connectedChip(const Arguments &args) {
    int exitCode = kDone;
    const std::optional<Arguments::ChosenDevice> device = args.chooseDevice(exitCode);
    if (!device) return std::nullopt;
    safety::ChipIdentity identity;
    if (readIdentity(*device->d2xx, device->index, identity) != FT_OK) return std::nullopt;
    return identity.type;
}

int printNames(const Arguments &args, std::optional<uint32_t> chip) {
    if (!chip) chip = connectedChip(args);
    const QStringList names = chip ? settableNames(*chip) : QStringList();
    printOut((names.isEmpty() ? everyChipsSettableNames() : names).join(u'\n') + u'\n');
    return kDone;
}

int settingsHelp(Arguments &args, const QStringList &given) {
    std::optional<uint32_t> chip;
    if (given.size() > 1) {
        chip = chipByName(given[1]);
        if (!chip) {
            return args.usageError(
                QStringLiteral("no chip is named '%1': the chips are %2").arg(given[1], knownChipNames()));
        }
    }
    if (args.parser().isSet(kNames)) return printNames(args, chip);
    const QCommandLineParser &p = args.parser();
    if (!chip && (p.isSet(QStringLiteral("device")) || p.isSet(QStringLiteral("serial")))) {
        chip = connectedChip(args);
        if (!chip) return kDeviceFailed;
    }
    const QString text = chip ? chipSettingsHelp(*chip) : everyChipsSettingsHelp();
    if (text.isEmpty()) {
        return args.failure(kDeviceFailed,
                            QStringLiteral("Kestrom does not know the settings of the device's chip"));
    }
    printOut(text);
    return kDone;
}

}  // namespace

int runHelp(const QStringList &arguments) {
    Arguments args("help", "settings [CHIP] [--device N | --serial S] | COMMAND",
                   "Names each chip's settings, as templates, --set and show name them; with CHIP (such as\n"
                   "FT232H) or a device, that chip's settings, what each means and the values it takes.\n"
                   "'kestrom help COMMAND' is 'kestrom COMMAND --help'.");
    args.addDeviceOptions();
    QCommandLineOption names(kNames, QStringLiteral("Only the names --set takes, one a line."));
    names.setFlags(QCommandLineOption::HiddenFromHelp);
    args.parser().addOption(names);
    // Up to two words: a topic, and the chip of the settings.
    args.parser().parse(arguments);
    const QStringList topics{QStringLiteral("settings|COMMAND"), QStringLiteral("CHIP")};
    const qsizetype count = std::min<qsizetype>(args.parser().positionalArguments().size(), 2);
    if (const std::optional<int> done = args.parse(arguments, topics.mid(0, count))) return *done;
    const QStringList given = args.positional();
    if (given.isEmpty()) {
        printOut(args.helpText() + commandsHelp());
        return kDone;
    }
    if (given[0] == u"settings") return settingsHelp(args, given);
    if (given.size() == 1) {
        if (const std::optional<int> code =
                runSubcommand({QStringLiteral("kestrom"), given[0], QStringLiteral("--help")}))
            return *code;
    }
    return args.usageError(QStringLiteral("'%1' is neither settings nor a command").arg(given.join(u' ')));
}

}  // namespace kestrom::cli
