#include "dispatcher.h"

#include <cstdio>

#include "commands.h"

namespace kestrom::cli {

namespace {

struct Command {
    const char *name;
    const char *summary;
    int (*run)(const QStringList &arguments);
};

constexpr Command kCommands[] = {
    {"list", "every device: index, chip, VID:PID, serial, description", &runList},
    {"show", "the decoded configuration of one device", &runShow},
    {"dump", "save one device's EEPROM as a raw image file", &runDump},
    {"restore", "program a raw image file into one device", &runRestore},
    {"template", "save one device's configuration as a template (template save FILE)", &runTemplate},
    {"write", "program one device from a template or an ftdi_eeprom file", &runWrite},
    {"produce", "program devices plugged one after another, each with the next serial number", &runProduce},
    {"help", "each chip's settings (help settings [CHIP]), or a command's help (help COMMAND)", &runHelp},
};

}  // namespace

std::optional<int> runSubcommand(const QStringList &arguments) {
    if (arguments.size() < 2) return std::nullopt;
    for (const Command &command : kCommands) {
        if (arguments[1] == QLatin1String(command.name)) return command.run(arguments.mid(1));
    }
    return std::nullopt;
}

QString commandsHelp() {
    QString text = QStringLiteral("\nCommands (kestrom COMMAND --help tells more):\n");
    for (const Command &command : kCommands) {
        text += QStringLiteral("  %1  %2\n")
                    .arg(QLatin1String(command.name), -8)
                    .arg(QLatin1String(command.summary));
    }
    text += QStringLiteral(
        "\nExit codes of the commands: 0 done, 1 the device failed or refused, 2 bad usage or bad input.\n");
    return text;
}

void printEveryCommandsHelp() {
    for (const Command &command : kCommands) {
        std::fputs("\n", stdout);
        std::fflush(stdout);
        command.run({QLatin1String(command.name), QStringLiteral("--help")});
    }
}

}  // namespace kestrom::cli
