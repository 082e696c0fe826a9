// Every setting of one chip kind, grouped, each in the control that fits it, in a
// scroll area: the chip editor's model (the controls hold the values; nothing else
// keeps a copy of the fields).
#pragma once

#include <QScrollArea>
#include <QStringList>
#include <memory>
#include <optional>
#include <vector>

#include "field_editors.h"

class QLabel;

namespace kestrom::chipeditor {

class ChipForm : public QScrollArea {
public:
    ChipForm(uint32_t chipType, size_t eepromWords, QWidget *parent = nullptr);
    ~ChipForm() override;

    uint32_t chipType() const { return chipType_; }
    // The part's size, for the room the three texts have in it.
    void setEepromWords(size_t words);

    // Shows `contents`, which also keep what the controls do not show (the user area).
    void show(const EepromContents &contents);
    // What was shown with every control's value over it; nothing, with one line per
    // value a setting does not take, when any is refused.
    std::optional<EepromContents> contents(QStringList &problems) const;

private:
    QWidget *groupBox(const QString &caption, const std::vector<const Setting *> &settings);
    void showStringRoom();
    // What the chip makes of other settings (the manufacturer ID of the serial number).
    void showDerived();
    // What was shown with every value a control holds that its setting takes.
    EepromContents collect(QStringList &problems) const;

    uint32_t chipType_;
    size_t eepromWords_;
    EepromContents shown_;
    std::vector<std::unique_ptr<FieldEditor>> editors_;
    std::vector<FieldEditor *> derived_;  // of settings the EEPROM does not store
    QLabel *stringRoom_ = nullptr;
    bool showing_ = false;
};

}  // namespace kestrom::chipeditor
