// The upper part of the main window: the field editor in its three groups, the
// source selector, the commands and the report options. Every control carries
// its name as its objectName and its caption as its accessible name.
#pragma once

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QWidget>
#include <array>

#include "editor_controls.h"
#include "option_button.h"

namespace kestrom::mainwindow {

template <ControlKind Kind>
struct WidgetOfKind;
template <>
struct WidgetOfKind<ControlKind::TextBox> {
    using type = QLineEdit;
};
template <>
struct WidgetOfKind<ControlKind::Toggle> {
    using type = QCheckBox;
};
template <>
struct WidgetOfKind<ControlKind::Option> {
    using type = OptionButton;
};
// The widget type of a field's control.
template <Field F>
using ControlOf = typename WidgetOfKind<kindOf(F)>::type;

// The controls beside the field editor.
struct EditorCommands {
    QPushButton *read = nullptr;
    QPushButton *write = nullptr;
    QPushButton *erase = nullptr;
    QPushButton *refresh = nullptr;
    OptionButton *device = nullptr;    // the source selector: the editor shows the device
    OptionButton *defaults = nullptr;  // or the built-in defaults
    QCheckBox *autoUpdate = nullptr;
    QCheckBox *textInfo = nullptr;  // the report options
    QCheckBox *binaryInfo = nullptr;
};

class EditorForm : public QWidget {
public:
    explicit EditorForm(QWidget *parent = nullptr);

    template <Field F>
    ControlOf<F> *control() const {
        return static_cast<ControlOf<F> *>(controls_[size_t(F)]);
    }
    QWidget *widget(Field field) const { return controls_[size_t(field)]; }
    // The toggle that heads a chip group (Rev4 or Rev5).
    QCheckBox *chipToggle(ControlGroup group) const {
        return group == ControlGroup::Bm ? control<Field::Rev4>() : control<Field::Rev5>();
    }
    const EditorCommands &commands() const { return commands_; }

    // A field's value as the record takes it: a toggle 0, 1 or 2 (grey), an option
    // 0xFFFF when selected, a number box the low 16 bits of its number.
    int32_t recordValue(Field field) const;
    QString text(Field field) const;
    // The other way round: a record value or a text into the field's control.
    void setRecordValue(Field field, int32_t value);
    void setText(Field field, const QString &text);

private:
    QWidget *createEditorControl(const EditorControl &control);
    QWidget *framed(Field field, const QString &caption = QString());
    QWidget *commandColumn();
    QWidget *commonGroup();
    QWidget *bmGroup();
    QWidget *ft2232cGroup();

    std::array<QWidget *, kFieldCount> controls_{};
    EditorCommands commands_;
};

}  // namespace kestrom::mainwindow
