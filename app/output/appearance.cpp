#include "appearance.h"

namespace kestrom::output {

std::optional<QColor> Appearance::ShowColorChooser(QWidget *owner, Dialogs &dialogs) {
    return dialogs.chooseColour(owner, customColours_);
}

QString Appearance::ShowFontChooser(QWidget *owner, Dialogs &dialogs) {
    QFont initial(QStringLiteral("Times New Roman"), 12, QFont::Normal, false);
    initial.setStyleHint(QFont::Serif);
    const std::optional<QFont> chosen = dialogs.chooseFont(owner, initial);
    return chosen ? chosen->family() : QString();
}

void Appearance::Command3(QWidget &window, Dialogs &dialogs) {
    const std::optional<QColor> colour = ShowColorChooser(&window, dialogs);
    if (!colour) {
        dialogs.inform(&window, QMessageBox::NoIcon, QStringLiteral("You chose cancel"));
        return;
    }
    QPalette palette = window.palette();
    palette.setColor(QPalette::Window, *colour);
    window.setPalette(palette);
}

void Appearance::Command4(QWidget &window, Dialogs &dialogs) {
    dialogs.inform(&window, QMessageBox::NoIcon, ShowFontChooser(&window, dialogs));
}

}  // namespace kestrom::output
