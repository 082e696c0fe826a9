#include "option_button.h"

namespace kestrom::mainwindow {

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
