// The program's command line: --report and its options, --help, --version.
#pragma once

#include <QStringList>

namespace kestrom {

// Runs what `arguments` (the program's name first) ask for and answers the exit
// code; 2 for a command line that cannot be understood.
int runCommandLine(const QStringList &arguments);

}  // namespace kestrom
