// Kestrom: reads and programs the configuration EEPROM of FTDI USB chips.
#include <QCoreApplication>

#include "command_line.h"
#include "window_mode.h"

int main(int argc, char **argv) {
    // No arguments: the window. Anything else is for the command line, which needs no display.
    if (argc <= 1) return kestrom::runWindow(argc, argv);
    QCoreApplication application(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("kestrom"));
    QCoreApplication::setApplicationVersion(QStringLiteral(KESTROM_VERSION));
    return kestrom::runCommandLine(QCoreApplication::arguments());
}
