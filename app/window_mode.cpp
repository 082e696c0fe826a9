#include "window_mode.h"

#include <QApplication>
#include <QPixmap>
#include <QTimer>

#include "libraries.h"
#include "main_window.h"
#include "startup_checks.h"

namespace kestrom {

int runWindow(int &argc, char **argv) {
    QApplication application(argc, argv);
    startup::StartupChecks checks(startup::programEnvironment());
    if (!checks.run()) return 1;
    platform::Libraries &libraries = platform::programLibraries();
    // Without libromgate (or the driver it needs) there is nothing the window could do.
    if (!startup::loadRomgate(libraries.romgate)) return 1;

    mainwindow::MainWindow window(libraries);
    window.show();
    // For the start-up benchmark, the screenshot and the tests: end once the window
    // has been painted, saving the picture where KESTROM_SCREENSHOT says.
    if (qEnvironmentVariableIsSet("KESTROM_EXIT_AFTER_SHOW")) {
        QTimer::singleShot(0, &window, [&] {
            const QPixmap picture = window.grab();
            if (const QString file = qEnvironmentVariable("KESTROM_SCREENSHOT"); !file.isEmpty()) picture.save(file);
            application.quit();
        });
    }
    return application.exec();
}

}  // namespace kestrom
