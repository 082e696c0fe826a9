// The subcommands, one file each. Each takes its arguments with its own name
// first and answers the exit code.
#pragma once

#include <QStringList>

namespace kestrom::cli {

int runList(const QStringList &arguments);
int runShow(const QStringList &arguments);
int runDump(const QStringList &arguments);
int runRestore(const QStringList &arguments);
int runTemplate(const QStringList &arguments);
int runWrite(const QStringList &arguments);
int runProduce(const QStringList &arguments);
int runHelp(const QStringList &arguments);

}  // namespace kestrom::cli
