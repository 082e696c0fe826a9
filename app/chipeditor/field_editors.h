// One control per setting, the one that fits its kind: a check box for a flag, a
// drop-down of the pin's functions or the chip's drive currents, a hex or decimal
// box that takes only digits, a text box with the room left; and an option set for
// the modes of one channel, of which one at most is set. Each control carries its
// setting's name as objectName and accessible name, and its meaning as accessible
// description.
#pragma once

#include <QString>
#include <functional>
#include <memory>
#include <vector>

#include "chip_settings.h"

class QWidget;

namespace kestrom::chipeditor {

using d2xx::EepromContents;
using eeprom::Setting;

class FieldEditor {
public:
    virtual ~FieldEditor() = default;

    // The control, and the caption of its row (empty: the control names itself).
    virtual QWidget *widget() const = 0;
    virtual QString caption() const { return {}; }
    // Shows what `contents` hold.
    virtual void show(const EepromContents &contents) = 0;
    // Sets what the control holds into `contents`; false, with the reason naming
    // the setting, for a value the setting does not take. A setting the chip sets
    // itself, or the EEPROM does not store, sets nothing.
    virtual bool take(EepromContents &contents, QString &problem) const = 0;
};

// The control of one setting, shown with `caption`; `edited` runs whenever the
// user changes it.
std::unique_ptr<FieldEditor> settingEditor(const Setting &setting, const QString &caption,
                                           const std::function<void()> &edited);

// An option set of the modes of one channel: a button for each, and one for none
// of them (named `noneName`: UART).
std::unique_ptr<FieldEditor> modeEditor(const std::vector<const Setting *> &modes, const QString &noneName,
                                        const std::function<void()> &edited);

// What people call a setting in `group`: its meaning with its first letter
// capital, without the channel the group already names.
QString settingCaption(const Setting &setting, const QString &group);

// The bytes a text box still has, for its caption.
QString roomText(qsizetype used, qsizetype room);

}  // namespace kestrom::chipeditor
