// Opens the main window offscreen on the devices FTD2XX_SIM names and clicks
// Write (or Erase, with the argument "erase"): for tests whose device ends the
// process in the middle, as a power cut would.
#include <QAbstractButton>
#include <QApplication>

#include "libraries.h"
#include "main_window.h"

int main(int argc, char **argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    kestrom::mainwindow::MainWindow window(kestrom::platform::programLibraries());
    const bool erase = argc > 1 && QByteArray(argv[1]) == "erase";
    window.findChild<QAbstractButton *>(erase ? QStringLiteral("eeprom_erase") : QStringLiteral("write1"))->click();
    return 0;
}
