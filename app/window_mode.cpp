#include "window_mode.h"

#include <QApplication>
#include <QTimer>

#include "libraries.h"
#include "main_window.h"
#include "startup_checks.h"

namespace kestrom {

int runWindow(int &argc, char **argv) {
    QApplication application(argc, argv);
    startup::QtMessageBoxes boxes;
    startup::StartupChecks checks(startup::programEnvironment(), boxes);
    if (!checks.run()) return 1;
    platform::Libraries &libraries = platform::programLibraries();
    // Without libromgate (or the driver it needs) there is nothing the window could do.
    if (!startup::loadRomgate(libraries.romgate, boxes)) return 1;

    mainwindow::BM window(libraries);
    window.show();
    // For the start-up benchmark: end once the window has been painted.
    if (qEnvironmentVariableIsSet("KESTROM_EXIT_AFTER_SHOW")) {
        QTimer::singleShot(0, &window, [&] {
            window.grab();
            application.quit();
        });
    }
    return application.exec();
}

}  // namespace kestrom
