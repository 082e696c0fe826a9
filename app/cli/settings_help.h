// What each chip's settings are, for people and for the shell: the help's lists
// and the names `--set` completes, all from the chip model's tables.
#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>

namespace kestrom::cli {

// Every chip's settings by name, one paragraph a chip.
QString everyChipsSettingsHelp();
// One chip's settings: name, meaning and the values each takes.
QString chipSettingsHelp(uint32_t chipType);
// The names a template or --set may give on the chip, in its table's order.
QStringList settableNames(uint32_t chipType);
// The same for every chip, each name once.
QStringList everyChipsSettableNames();
// The line a command's --help ends with where it takes or shows settings; empty
// for the others.
QString settingsHelpNote(const char *command);

}  // namespace kestrom::cli
