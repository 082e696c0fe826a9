// The one dispatcher of kestrom's subcommands: `kestrom list`, `kestrom show`, ...
#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace kestrom::cli {

// Runs the subcommand `arguments` name after the program's name and answers its
// exit code; nothing when they name no subcommand.
std::optional<int> runSubcommand(const QStringList &arguments);

// The subcommands and what each does, for the program's --help.
QString commandsHelp();
// Each subcommand's own --help, one after another, on standard output.
void printEveryCommandsHelp();

}  // namespace kestrom::cli
