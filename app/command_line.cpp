#include "command_line.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <cstdio>

#include "dispatcher.h"
#include "report_mode.h"

namespace kestrom {

namespace {

constexpr int kUsageError = 2;

void print(FILE *stream, const QString &text) {
    std::fputs(text.toUtf8().constData(), stream);
    std::fflush(stream);
}

int usageError(const QString &problem) {
    print(stderr, QStringLiteral("kestrom: %1\nTry 'kestrom --help' for more information.\n").arg(problem));
    return kUsageError;
}

}  // namespace

int runCommandLine(const QStringList &arguments) {
    if (const std::optional<int> exitCode = cli::runSubcommand(arguments)) return *exitCode;
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Reads and programs the configuration EEPROM of FTDI USB chips.\n"
                       "Without arguments it opens its window. With --report it prints the EEPROM\n"
                       "report of device 0 and opens no window;\n"
                       "the exit code is 0 when the device answered, 1 when it did not.\n"
                       "Usage: kestrom [options], or kestrom COMMAND [options] for the commands below."));
    // Qt's own help option would add a --help-all about Qt's options, which a command
    // line without a window does not take.
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Displays help on commandline options."));
    const QCommandLineOption helpAll(QStringLiteral("help-all"),
                                     QStringLiteral("Displays this help and the help of every command."));
    parser.addOptions({help, helpAll});
    const QCommandLineOption version = parser.addVersionOption();
    const QCommandLineOption report(QStringLiteral("report"),
                                    QStringLiteral("Print the EEPROM text report and hex dump of device 0."));
    const QCommandLineOption noText(
        QStringLiteral("no-text"),
        QStringLiteral("With --report: leave out the text part (no EEPROM read)."));
    const QCommandLineOption noBinary(QStringLiteral("no-binary"),
                                      QStringLiteral("With --report: leave out the hex dump."));
    parser.addOptions({report, noText, noBinary});

    if (!parser.parse(arguments)) return usageError(parser.errorText());
    if (parser.isSet(help) || parser.isSet(helpAll)) {
        print(stdout, parser.helpText() + cli::commandsHelp());
        if (parser.isSet(helpAll)) cli::printEveryCommandsHelp();
        return 0;
    }
    if (parser.isSet(version)) {
        print(stdout, QStringLiteral("%1 %2\n").arg(QCoreApplication::applicationName(),
                                                    QCoreApplication::applicationVersion()));
        return 0;
    }
    if (!parser.positionalArguments().isEmpty()) {
        const QString first = parser.positionalArguments().first();
        return usageError(arguments.value(1) == first ? QStringLiteral("unknown command '%1'.").arg(first)
                                                      : QStringLiteral("unexpected argument '%1'.").arg(first));
    }
    if (!parser.isSet(report)) {
        if (parser.isSet(noText) || parser.isSet(noBinary)) {
            return usageError(QStringLiteral("--no-text and --no-binary go with --report."));
        }
        return usageError(QStringLiteral("nothing to do; without arguments the program opens its window."));
    }
    return printReport({.textInfo = !parser.isSet(noText), .binaryInfo = !parser.isSet(noBinary)});
}

}  // namespace kestrom
