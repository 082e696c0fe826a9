// The upper part of the main window: the field editor in its three groups, the
// source selector, the commands and the report options. Every control carries
// its name as its objectName and its caption as its accessible name.
#pragma once

#include <QCheckBox>
#include <QLineEdit>
#include <QMap>
#include <QPushButton>
#include <QWidget>

#include "editor_controls.h"
#include "option_button.h"

namespace kestrom::mainwindow {

class EditorForm : public QWidget {
public:
    explicit EditorForm(QWidget *parent = nullptr);

    QWidget *control(const QString &name) const { return controls_.value(name); }
    QLineEdit *textBox(const QString &name) const { return qobject_cast<QLineEdit *>(control(name)); }
    QCheckBox *checkBox(const QString &name) const { return qobject_cast<QCheckBox *>(control(name)); }
    OptionButton *option(const QString &name) const { return dynamic_cast<OptionButton *>(control(name)); }
    QPushButton *button(const QString &name) const { return qobject_cast<QPushButton *>(control(name)); }

    // An editor control's value as the record takes it, and the other way round.
    void setValue(const EditorControl &control, int32_t value);
    void setText(const EditorControl &control, const QString &text);

private:
    QWidget *createEditorControl(const EditorControl &control);
    template <typename Widget>
    Widget *add(Widget *widget, const QString &name, const QString &accessibleName);
    QWidget *framed(const QString &name, const QString &caption = QString());
    QWidget *commandColumn();
    QWidget *commonGroup();
    QWidget *bmGroup();
    QWidget *ft2232cGroup();

    QMap<QString, QWidget *> controls_;
};

}  // namespace kestrom::mainwindow
