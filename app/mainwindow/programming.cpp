// Write and Erase: the editor's fields into the EEPROM of device 0, or the EEPROM
// erased; each ends in one outcome line in the log.
#include <span>

#include "field_binding.h"
#include "main_window.h"
#include "number_text.h"
#include "write_order.h"

namespace kestrom::mainwindow {

namespace {

constexpr int32_t kFt232bm = 0;
constexpr int32_t kFt2232c = 4;
constexpr int32_t kSelectedOption = 0xFFFF;

// A toggle's value: 0 clear, 1 ticked, 2 the grey state a loaded 2 shows as.
int32_t toggleValue(const QCheckBox &box) {
    if (box.checkState() == Qt::PartiallyChecked) return 2;
    return box.isChecked() ? 1 : 0;
}

// The record's numbers are 16 bits wide: a text that reads as more (or as a
// negative number) hands over its low 16 bits, so "1FFFF" stores 0xFFFF.
int32_t boxValue(const EditorControl &control, const QString &text) {
    const int32_t number = control.form == TextForm::Decimal ? leadingDecimal(text) : BaseToNumber(text, 16);
    return number & 0xFFFF;
}

int32_t numberValue(const EditorForm &form, const EditorControl &control) {
    const QString name = QString::fromLatin1(control.objectName);
    switch (control.kind) {
        case ControlKind::Toggle:
            return toggleValue(*form.checkBox(name));
        case ControlKind::Option:
            return form.option(name)->isChecked() ? kSelectedOption : 0;
        case ControlKind::TextBox:
            break;
    }
    return boxValue(control, form.textBox(name)->text());
}

void handOver(const EditorForm &form, platform::RomgateBinding &romgate, std::span<const char *const> names) {
    for (const char *name : names) {
        const EditorControl &control = *controlNamed(name);
        const FieldAccessors &field = *accessorsFor(control.field);
        if (field.text) {
            const QByteArray text = form.textBox(QString::fromLatin1(name))->text().toUtf8();
            (romgate.*field.setText)(text.constData());
        } else {
            (romgate.*field.setNumber)(numberValue(form, control));
        }
    }
}

}  // namespace

void BM::onWrite() {
    platform::RomgateBinding &romgate = libraries_.romgate;
    const int32_t chip = romgate.FT_GetFTDevice_();
    handOver(*form_, romgate, kWriteCommon);
    if (chip == kFt232bm) handOver(*form_, romgate, kWriteBm);
    if (chip == kFt2232c) handOver(*form_, romgate, kWriteFt2232c);
    // Version 1 programs the FT2232C fields of the record as well.
    if (romgate.FT_EE_Program_(chip == kFt2232c ? 1 : 0) != 0) {
        log_->append(QStringLiteral("EE_Program FAILED: code %1").arg(romgate.FT_STATUS_()));
        return;
    }
    log_->append(QStringLiteral("***  EEPROM successfully written!  ***"));
    log_->append(QString());
}

void BM::onErase() {
    platform::RomgateBinding &romgate = libraries_.romgate;
    if (romgate.FT_EraseEE_() != 0) {
        log_->append(QStringLiteral("FT_EraseEE FAILED: code %1").arg(romgate.FT_STATUS_()));
        return;
    }
    log_->append(QStringLiteral("***  EEPROM successfully erase!  ***"));
    log_->append(QString());
}

}  // namespace kestrom::mainwindow
