// Write and Erase: the editor's fields into the EEPROM of device 0, or the EEPROM
// erased; each backed up first and ending in one outcome line in the log.
#include <QCoreApplication>
#include <QDir>

#include "dialogs.h"
#include "eeprom_codec.h"
#include "field_binding.h"
#include "main_window.h"
#include "tick_pause.h"

namespace kestrom::mainwindow {

namespace {

// The record's version: 1 carries the FT2232C fields as well.
constexpr int32_t kRecordVersionFt2232c = 1;
constexpr int32_t kRecordVersionPlain = 0;

void handOver(const EditorForm &form, platform::RomgateBinding &romgate, ControlGroup group) {
    for (const EditorControl *control : writeOrder(group)) {
        const FieldAccessors &field = accessorsFor(control->field);
        if (field.text) {
            (romgate.*field.setText)(form.text(control->field).toUtf8().constData());
        } else {
            (romgate.*field.setNumber)(form.recordValue(control->field));
        }
    }
}

// What the library's one open read, handed on to the Write that runs in it.
struct ProgramInOneOpen {
    std::function<bool(const ROMGATE_CHIP &)> before;
    bool read = false;  // the chip was read: a preliminary failure is then the erase's
    std::optional<ROMGATE_CHIP> after;
};

int32_t ROMGATE_CALL beforeProgram(void *context, const ROMGATE_CHIP *chip) {
    auto &program = *static_cast<ProgramInOneOpen *>(context);
    program.read = true;
    try {
        return program.before(*chip) ? 0 : 1;
    } catch (...) {
        return 1;  // nothing crosses the library; nothing is written
    }
}

void ROMGATE_CALL afterProgram(void *context, const ROMGATE_CHIP *chip) {
    static_cast<ProgramInOneOpen *>(context)->after = *chip;
}

safety::ChipWords chipWords(platform::D2xxBinding &d2xx, const ROMGATE_CHIP &chip) {
    safety::ChipIdentity identity;
    identity.type = chip.type;
    identity.id = chip.id;
    identity.serialNumber = QString::fromUtf8(chip.serial);
    identity.description = QString::fromUtf8(chip.description);
    safety::locate(d2xx, 0, identity);
    return safety::chipWordsOf(std::move(identity), chip.words);
}

QString vidPid(uint32_t vendor, uint32_t product) {
    return QStringLiteral("%1:%2").arg(vendor, 4, 16, QChar(u'0')).arg(product, 4, 16, QChar(u'0')).toUpper();
}

}  // namespace

void MainWindow::changeSafely(const QString &operation, const std::function<bool()> &change,
                              const std::function<bool(const safety::ChipWords &)> &allowed,
                              const std::optional<std::vector<uint16_t>> &after) {
    safety::SafeChange safe(libraries_.d2xx, backups_, journal_);
    bool opened = false;
    const FT_STATUS read = safe.readDevice(0, &opened);
    // A device that does not open cannot be changed either: the change says why.
    if (!opened) {
        change();
        return;
    }
    if (read != FT_OK) {
        logNoBackup(read);
        return;
    }
    if (allowed && !allowed(safe.before())) return;
    if (!backUp(safe, operation, after)) return;
    // The library opens the chip again to change it: another program may have
    // written it since it was read and backed up.
    QString error;
    if (!safe.stillAsRead(error)) {
        log_->append(QStringLiteral("Nothing was written: %1.").arg(error));
        return;
    }
    safe.finish(change());
}

bool MainWindow::backUp(safety::SafeChange &safe, const QString &operation,
                        const std::optional<std::vector<uint16_t>> &after) {
    eepromWords_ = safe.before().words.size();
    chipType_ = safe.before().identity.type;
    QString error;
    if (!safe.begin(operation, error, after)) {
        log_->append((safe.backup().isEmpty()
                          ? QStringLiteral("No backup of the EEPROM could be made (%1): nothing was written.")
                          : QStringLiteral("The change could not be entered in the journal (%1): nothing was "
                                           "written."))
                         .arg(error));
        return false;
    }
    log_->append(QStringLiteral("EEPROM backup: %1").arg(QDir::toNativeSeparators(safe.backup())));
    return true;
}

void MainWindow::logNoBackup(FT_STATUS read) {
    log_->append(QStringLiteral("No backup of the EEPROM could be made (reading it failed with status %1): "
                                "nothing was written.")
                     .arg(read));
}

bool MainWindow::newIdsAgreed() {
    const int32_t current = libraries_.romgate.FT_GetDeviceID_();
    const auto vendor = uint32_t(form_->recordValue(Field::VendorId));
    const auto product = uint32_t(form_->recordValue(Field::ProductId));
    if (current < 0 || (uint32_t(current) == (vendor << 16 | product))) return true;
    return dialogs::programDialogs().askYesNo(
        this,
        QCoreApplication::translate(
            "MainWindow",
            "The device will come back with the USB IDs %1 instead of %2. Kestrom and the "
            "serial driver find it only if they know these IDs (FTD2XX_VIDPID, the udev "
            "rule).\n\nWrite the new IDs?")
            .arg(vidPid(vendor, product), vidPid(uint32_t(current) >> 16, uint32_t(current) & 0xFFFF)),
        true);
}

// The three texts as string descriptors: two bytes of header and two a UTF-16 unit.
bool MainWindow::textsFit(const safety::ChipWords &chip) {
    const std::optional<size_t> room = d2xx::stringRoom(chip.identity.type, chip.words.size());
    if (!room) return true;  // a layout the driver itself judges
    size_t needed = 0;
    for (Field field : {Field::Manufacturer, Field::Description, Field::SerialNumber}) {
        needed += 2 + 2 * size_t(form_->text(field).size());
    }
    if (needed <= *room) return true;
    log_->append(QStringLiteral("The texts do not fit this EEPROM: %1 bytes too many. Nothing was written.")
                     .arg(needed - *room));
    return false;
}

// The backup and the journal entry are made from the words the library reads in
// the open it then erases and programs the chip in, before the erase: nothing else
// can open the chip in between, and the chip is read once.
void MainWindow::onWrite() {
    const TickPause pause(timer_);
    if (!newIdsAgreed()) return;
    platform::RomgateBinding &romgate = libraries_.romgate;
    const int32_t chip = romgate.FT_GetFTDevice_();
    handOver(*form_, romgate, ControlGroup::Common);
    if (chip == FT_DEVICE_BM) handOver(*form_, romgate, ControlGroup::Bm);
    if (chip == FT_DEVICE_2232C) handOver(*form_, romgate, ControlGroup::Ft2232c);

    safety::SafeChange safe(libraries_.d2xx, backups_, journal_);
    ProgramInOneOpen program;
    program.before = [&](const ROMGATE_CHIP &read) {
        safe.takeRead(0, chipWords(libraries_.d2xx, read));
        return textsFit(safe.before()) && backUp(safe, QStringLiteral("Write"));
    };
    const int32_t result =
        romgate.FT_EE_ProgramInOneOpen_(chip == FT_DEVICE_2232C ? kRecordVersionFt2232c : kRecordVersionPlain,
                                        beforeProgram, afterProgram, &program);
    if (result == ROMGATE_PRELIMINARY_FAILED && !program.read) {
        logNoBackup(FT_STATUS(romgate.FT_STATUS_()));
    } else if (result != ROMGATE_REFUSED) {
        if (result == ROMGATE_OK) {
            log_->append(QStringLiteral("***  EEPROM successfully written!  ***"));
            log_->append(QString());
        } else {
            log_->append(QStringLiteral("EE_Program FAILED: code %1").arg(romgate.FT_STATUS_()));
        }
        const std::optional<safety::ChipWords> now =
            program.after ? std::optional(chipWords(libraries_.d2xx, *program.after)) : std::nullopt;
        safe.finish(result == ROMGATE_OK, now ? &*now : nullptr);
    }
    showTextRoom();
}

void MainWindow::onErase() {
    const TickPause pause(timer_);
    platform::RomgateBinding &romgate = libraries_.romgate;
    changeSafely(QStringLiteral("Erase"), [&] {
        if (romgate.FT_EraseEE_() != ROMGATE_OK) {
            log_->append(QStringLiteral("FT_EraseEE FAILED: code %1").arg(romgate.FT_STATUS_()));
            return false;
        }
        log_->append(QStringLiteral("***  EEPROM successfully erase!  ***"));
        log_->append(QString());
        return true;
    });
}

void MainWindow::learnPart() {
    safety::ChipWords chip;
    if (safety::readChipWords(libraries_.d2xx, 0, chip) != FT_OK) return;
    eepromWords_ = chip.words.size();
    chipType_ = chip.identity.type;
}

void MainWindow::showTextRoom() {
    const std::optional<size_t> room = d2xx::stringRoom(chipType_, eepromWords_);
    size_t used = 0;
    for (Field field : {Field::Manufacturer, Field::Description, Field::SerialNumber}) {
        used += 2 + 2 * size_t(form_->text(field).size());
    }
    const QString tip =
        !room ? QString()
        : used <= *room
            ? QCoreApplication::translate(
                  "MainWindow",
                  "Manufacturer, Description and Serial Number: %1 of %2 bytes left in this EEPROM")
                  .arg(*room - used)
                  .arg(*room)
            : QCoreApplication::translate(
                  "MainWindow",
                  "Manufacturer, Description and Serial Number: %1 bytes too many for this EEPROM")
                  .arg(used - *room);
    for (Field field : {Field::Manufacturer, Field::Description, Field::SerialNumber})
        form_->widget(field)->setToolTip(tip);
}

}  // namespace kestrom::mainwindow
