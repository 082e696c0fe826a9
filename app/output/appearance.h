// The colour and font choosers of Command3 and Command4.
#pragma once

#include "dialogs.h"

namespace kestrom::output {

// `colour` becomes the background of `window` and of its plain containers; its
// controls (frames, boxes, buttons, the log, the menus) keep their own look.
void setBackground(QWidget &window, const QColor &colour);

class Appearance {
public:
    // The chosen colour; nothing when cancelled. Custom colours carry over to the next call.
    std::optional<QColor> ShowColorChooser(QWidget *owner, Dialogs &dialogs);
    // The chosen face name; empty when cancelled.
    QString ShowFontChooser(QWidget *owner, Dialogs &dialogs);

    // The chosen colour becomes `window`'s background.
    void Command3(QWidget &window, Dialogs &dialogs);
    // Reports the chosen face name and changes nothing.
    void Command4(QWidget &window, Dialogs &dialogs);

private:
    CustomColours customColours_ = [] {
        CustomColours black;
        black.fill(qRgb(0, 0, 0));
        return black;
    }();
};

}  // namespace kestrom::output
