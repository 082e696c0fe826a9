// Write and Erase: the editor's fields into the EEPROM of device 0, or the EEPROM
// erased; each ends in one outcome line in the log.
#include "field_binding.h"
#include "main_window.h"

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

}  // namespace

void MainWindow::onWrite() {
    platform::RomgateBinding &romgate = libraries_.romgate;
    const int32_t chip = romgate.FT_GetFTDevice_();
    handOver(*form_, romgate, ControlGroup::Common);
    if (chip == FT_DEVICE_BM) handOver(*form_, romgate, ControlGroup::Bm);
    if (chip == FT_DEVICE_2232C) handOver(*form_, romgate, ControlGroup::Ft2232c);
    if (romgate.FT_EE_Program_(chip == FT_DEVICE_2232C ? kRecordVersionFt2232c : kRecordVersionPlain) != ROMGATE_OK) {
        log_->append(QStringLiteral("EE_Program FAILED: code %1").arg(romgate.FT_STATUS_()));
        return;
    }
    log_->append(QStringLiteral("***  EEPROM successfully written!  ***"));
    log_->append(QString());
}

void MainWindow::onErase() {
    platform::RomgateBinding &romgate = libraries_.romgate;
    if (romgate.FT_EraseEE_() != ROMGATE_OK) {
        log_->append(QStringLiteral("FT_EraseEE FAILED: code %1").arg(romgate.FT_STATUS_()));
        return;
    }
    log_->append(QStringLiteral("***  EEPROM successfully erase!  ***"));
    log_->append(QString());
}

}  // namespace kestrom::mainwindow
