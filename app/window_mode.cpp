#include "window_mode.h"

#include <QApplication>
#include <QDir>
#include <QIcon>
#include <QLocale>
#include <QPixmap>
#include <QTimer>
#include <QTranslator>

#include "libraries.h"
#include "main_window.h"
#include "program_folder.h"
#include "startup_checks.h"
#include "ui_language.h"

namespace kestrom {

namespace {

// The desktop file names the program by its application ID, and so does the icon.
void presentAs(const char *applicationId) {
    QGuiApplication::setDesktopFileName(QString::fromLatin1(applicationId));
    QIcon icon;
    for (const QString &size : QDir(QStringLiteral(":/icons")).entryList(QDir::Dirs)) {
        icon.addFile(QStringLiteral(":/icons/%1/%2.png").arg(size, QLatin1String(applicationId)));
    }
    QGuiApplication::setWindowIcon(icon);
}

}  // namespace

int runWindow(int &argc, char **argv) {
    QApplication application(argc, argv);
    presentAs(KESTROM_APP_ID);
    QTranslator english;
    startup::installTranslation(english, QLocale::system().uiLanguages(), platform::programFolder());
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
            if (const QString file = qEnvironmentVariable("KESTROM_SCREENSHOT"); !file.isEmpty())
                picture.save(file);
            application.quit();
        });
    }
    return application.exec();
}

}  // namespace kestrom
