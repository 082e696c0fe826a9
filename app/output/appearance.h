// The two appearance choosers of the Tools menu: the window's background colour,
// and a font whose face name is only reported.
#pragma once

#include "dialogs.h"

namespace kestrom::output {

// `colour` becomes the background of `window` and of its plain containers; its
// controls (frames, boxes, buttons, the log, the menus) keep their own look.
void setBackground(QWidget &window, const QColor &colour);

class Appearance {
public:
    // The chosen colour; nothing when cancelled. Custom colours carry over to the next call.
    std::optional<QColor> ShowColorChooser(QWidget *owner);
    // The chosen face name; empty when cancelled.
    QString ShowFontChooser(QWidget *owner);

    // The chosen colour becomes `window`'s background; Cancel says "You chose cancel".
    void chooseBackgroundColour(QWidget &window);
    // Shows the chosen face name (empty on Cancel) and changes nothing.
    void reportChosenFont(QWidget &window);

private:
    dialogs::CustomColours customColours_ = [] {
        dialogs::CustomColours black;
        black.fill(qRgb(0, 0, 0));
        return black;
    }();
};

}  // namespace kestrom::output
