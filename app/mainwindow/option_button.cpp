#include "option_button.h"

#include <QAccessibleWidget>

namespace kestrom::mainwindow {

namespace {

// Qt announces a checkable button that is not auto-exclusive as a check box. Our
// sets keep their own exclusion (so the program can clear an option), yet a
// screen reader must hear a radio button with its checked state.
class AccessibleOption : public QAccessibleWidget {
public:
    explicit AccessibleOption(OptionButton *option) : QAccessibleWidget(option, QAccessible::RadioButton) {}

    QString text(QAccessible::Text t) const override {
        QString text = QAccessibleWidget::text(t);
        if (t == QAccessible::Name && text.isEmpty()) text = option()->text().remove(u'&');
        return text;
    }

    QAccessible::State state() const override {
        QAccessible::State state = QAccessibleWidget::state();
        state.checkable = true;
        state.checked = option()->isChecked();
        return state;
    }

    QStringList actionNames() const override {
        QStringList names = QAccessibleWidget::actionNames();
        if (option()->isEnabled()) names.prepend(toggleAction());
        return names;
    }
    void doAction(const QString &name) override {
        if (name != toggleAction()) return QAccessibleWidget::doAction(name);
        if (option()->isEnabled()) option()->click();
    }

private:
    OptionButton *option() const { return static_cast<OptionButton *>(widget()); }
};

QAccessibleInterface *accessibleOption(const QString &, QObject *object) {
    auto *option = dynamic_cast<OptionButton *>(object);
    return option != nullptr ? new AccessibleOption(option) : nullptr;
}

}  // namespace

OptionButton::OptionButton(const QString &caption, QWidget *parent) : QRadioButton(parent) {
    static const bool installed = (QAccessible::installFactory(accessibleOption), true);
    (void)installed;
    // Only now, fully made, may assistive technology ask for its interface.
    setText(caption);
}

void OptionButton::nextCheckState() {
    if (!isChecked()) setChecked(true);
}

void OptionSet::add(OptionButton *option) {
    option->setAutoExclusive(false);
    options_.push_back(option);
    connect(option, &QAbstractButton::toggled, this, [this, option](bool selected) {
        if (!selected) return;
        for (OptionButton *other : options_) {
            if (other != option) other->setChecked(false);
        }
    });
}

}  // namespace kestrom::mainwindow
