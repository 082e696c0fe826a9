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
    const std::optional<safety::InterruptedChange> interrupted =
        safety::interruptedChange(libraries_.d2xx, journal_, 0);
    if (!interrupted) return;
    const safety::JournalEntry &entry = interrupted->entry;
    const QString when = QLocale::system().toString(entry.started, QLocale::ShortFormat);
    const QString serial =
        entry.device.serialNumber.isEmpty() ? QStringLiteral("none") : entry.device.serialNumber;
    // Only a chip whose words still hold that board's serial number is taken for
    // it by default: Enter must never copy one board's contents onto another.
    if (!dialogs::programDialogs().askYesNo(
            this,
            QCoreApplication::translate("MainWindow",
                                        "\"%1\" on this %2 (serial %3) was interrupted on %4, and its EEPROM "
                                        "now reads blank or damaged.\n\nPut back the contents it had before?")
                .arg(entry.operation, safety::chipName(entry.device.type), serial, when),
            !interrupted->proven)) {
        recoveryDeclined_ = true;
        return;
    }
    QString error;
    if (!safety::putBackOldContents(libraries_.d2xx, journal_, 0, entry, error)) {
        log_->append(QStringLiteral("The old contents could not be put back: %1").arg(error));
        return;
    }
    log_->append(QStringLiteral("Old contents put back from %1").arg(QDir::toNativeSeparators(entry.backup)));
}

}  // namespace kestrom::mainwindow
