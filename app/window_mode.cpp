#include "window_mode.h"

#include <QApplication>
#include <QMessageBox>

#include "libraries.h"
#include "main_window.h"

namespace kestrom {

int runWindow(int &argc, char **argv) {
    QApplication application(argc, argv);
    platform::Libraries &libraries = platform::programLibraries();
    if (!libraries.romgate.load()) {
        // Without libromgate (or the driver it needs) there is nothing the window could do.
        QMessageBox::critical(nullptr, QString(), QString::fromStdString(libraries.romgate.message()));
        return 1;
    }
    mainwindow::BM window(libraries);
    window.show();
    return application.exec();
}

}  // namespace kestrom
