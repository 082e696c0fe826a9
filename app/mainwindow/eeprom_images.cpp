// File > Save EEPROM Image and Program EEPROM Image: device 0's raw words to a
// file, and a checked image file back onto the chip, backed up and verified.
#include <QCoreApplication>
#include <QDir>

#include "dialogs.h"
#include "eeprom_codec.h"
#include "image_check.h"
#include "main_window.h"
#include "tick_pause.h"

namespace kestrom::mainwindow {

namespace {

QStringList imageFilters() {
    return {QCoreApplication::translate("MainWindow", "EEPROM images (*.bin)"),
            QCoreApplication::translate("MainWindow", "All Files (*)")};
}

QString hex4(uint32_t value) { return QStringLiteral("%1").arg(value & 0xFFFF, 4, 16, QChar(u'0')).toUpper(); }

QString imageSummary(uint32_t type, const std::vector<uint16_t> &image) {
    d2xx::EepromContents contents;
    if (d2xx::decode(type, image, contents) != FT_OK)
        return QCoreApplication::translate("MainWindow", "a blank EEPROM");
    return QCoreApplication::translate(
               "MainWindow",
               "VendorID %1, ProductID %2\nManufacturer \"%3\"\nDescription \"%4\"\nSerial Number \"%5\"")
        .arg(hex4(contents.fields.VendorId), hex4(contents.fields.ProductId),
             QString::fromStdString(contents.manufacturer), QString::fromStdString(contents.description),
             QString::fromStdString(contents.serialNumber));
}

}  // namespace

void MainWindow::onSaveImage() {
    safety::ChipWords chip;
    if (const FT_STATUS status = safety::readChipWords(libraries_.d2xx, 0, chip); status != FT_OK) {
        log_->append(QStringLiteral("The EEPROM could not be read: status %1").arg(status));
        return;
    }
    const std::optional<dialogs::SaveDialogChoice> choice = dialogs::programDialogs().saveFile(
        this, {QCoreApplication::translate("MainWindow", "Save EEPROM Image"), imageFilters(), QString()});
    if (!choice || choice->path.trimmed().isEmpty()) return;
    QString path = choice->path.trimmed();
    if (choice->filter == 0 && !path.endsWith(QLatin1String(".bin"), Qt::CaseInsensitive)) path += QLatin1String(".bin");
    QString error;
    if (!safety::writeImageFile(path, chip.words, error)) {
        dialogs::programDialogs().inform(this, dialogs::MessageIcon::Warning,
                                         QCoreApplication::translate("MainWindow", "Soubor nejde uložit."),
                                         QDir::toNativeSeparators(path) + u'\n' + error);
        return;
    }
    log_->append(QStringLiteral("EEPROM image saved: %1 (%2 words)").arg(QDir::toNativeSeparators(path)).arg(chip.words.size()));
}

void MainWindow::onProgramImage() {
    const TickPause pause(timer_);
    const std::optional<QString> path = dialogs::programDialogs().openFile(
        this, {QCoreApplication::translate("MainWindow", "Program EEPROM Image"), imageFilters(), QString()});
    if (!path) return;
    const std::optional<std::vector<uint16_t>> image = safety::BackupStore::load(*path);
    if (!image) {
        log_->append(QStringLiteral("The image %1 cannot be read.").arg(QDir::toNativeSeparators(*path)));
        return;
    }
    changeSafely(
        QStringLiteral("Program EEPROM Image"),
        [&] {
            FT_STATUS closed = FT_OK;
            const FT_STATUS status = safety::writeChipWords(libraries_.d2xx, 0, *image, closed);
            if (status != FT_OK) {
                log_->append(QStringLiteral("Programming the image FAILED: code %1").arg(status));
                return false;
            }
            if (closed != FT_OK)
                log_->append(QStringLiteral("Closing the device failed afterwards: code %1").arg(closed));
            log_->append(
                QStringLiteral("***  EEPROM image programmed: %1  ***").arg(QDir::toNativeSeparators(*path)));
            log_->append(QString());
            return true;
        },
        [&](const safety::ChipWords &chip) {
            size_t partWords = chip.words.size();
            if (d2xx::isBlank(chip.words)) safety::probeBlankPartSize(libraries_.d2xx, 0, partWords);
            if (const QString refusal = safety::checkImage(*image, chip.identity.type, partWords).reason; !refusal.isEmpty()) {
                log_->append(QStringLiteral("The image was not programmed: %1.").arg(refusal));
                return false;
            }
            return dialogs::programDialogs().askYesNo(
                this,
                QCoreApplication::translate("MainWindow", "Program the %1 with this image?\n\n%2")
                    .arg(safety::chipName(chip.identity.type), imageSummary(chip.identity.type, *image)),
                true);
        },
        *image);
}

}  // namespace kestrom::mainwindow
