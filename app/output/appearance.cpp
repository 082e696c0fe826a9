#include "appearance.h"

#include <QCoreApplication>
#include <QPalette>
#include <QWidget>

namespace kestrom::output {

namespace {

// Plain containers show the window's background; every control has a look of its own.
bool isControl(const QWidget &widget) {
    return widget.metaObject() != &QWidget::staticMetaObject;
}

// Every colour role set, so that nothing is taken from the parent any more.
QPalette fixed(QPalette palette) {
    palette.setResolveMask(~QPalette::ResolveMask(0));
    return palette;
}

}  // namespace

void setBackground(QWidget &window, const QColor &colour) {
    for (QWidget *child : window.findChildren<QWidget *>()) {
        if (!isControl(*child) || child->testAttribute(Qt::WA_SetPalette)) continue;
        child->setPalette(fixed(child->palette()));
        child->setAutoFillBackground(true);  // it was drawn on the window's old colour
    }
    QPalette palette = window.palette();
    palette.setColor(QPalette::Window, colour);
    window.setPalette(palette);
}

std::optional<QColor> Appearance::ShowColorChooser(QWidget *owner) {
    return dialogs::programDialogs().chooseColour(owner, customColours_);
}

QString Appearance::ShowFontChooser(QWidget *owner) {
    QFont initial(QStringLiteral("Times New Roman"), 12, QFont::Normal, false);
    initial.setStyleHint(QFont::Serif);
    const std::optional<QFont> chosen = dialogs::programDialogs().chooseFont(owner, initial);
    return chosen ? chosen->family() : QString();
}

void Appearance::chooseBackgroundColour(QWidget &window) {
    const std::optional<QColor> colour = ShowColorChooser(&window);
    if (!colour) {
        dialogs::programDialogs().inform(&window, dialogs::MessageIcon::None,
                                         QCoreApplication::translate("Appearance", "You chose cancel"));
        return;
    }
    setBackground(window, *colour);
}

void Appearance::reportChosenFont(QWidget &window) {
    dialogs::programDialogs().inform(&window, dialogs::MessageIcon::None, ShowFontChooser(&window));
}

}  // namespace kestrom::output
