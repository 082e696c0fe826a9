// The way back after a change that never ended: the program died (or the chip
// lost power) between the erase and the end of the write.
#include <QCoreApplication>
#include <QDir>
#include <QLocale>

#include "dialogs.h"
#include "main_window.h"

namespace kestrom::mainwindow {

void MainWindow::offerRecovery() {
    if (recoveryDeclined_) return;
    const std::optional<safety::JournalEntry> interrupted = safety::interruptedChange(libraries_.d2xx, journal_, 0);
    if (!interrupted) return;
    const QString when = QLocale::system().toString(interrupted->started, QLocale::ShortFormat);
    if (!dialogs::programDialogs().askYesNo(
            this,
            QCoreApplication::translate("MainWindow",
                                        "\"%1\" on this %2 was interrupted on %3, and its EEPROM now reads "
                                        "blank or damaged.\n\nPut back the contents it had before?")
                .arg(interrupted->operation, safety::chipName(interrupted->device.type), when))) {
        recoveryDeclined_ = true;
        return;
    }
    QString error;
    if (!safety::putBackOldContents(libraries_.d2xx, journal_, 0, *interrupted, error)) {
        log_->append(QStringLiteral("The old contents could not be put back: %1").arg(error));
        return;
    }
    log_->append(QStringLiteral("Old contents put back from %1").arg(QDir::toNativeSeparators(interrupted->backup)));
}

}  // namespace kestrom::mainwindow
