#include "shortcut_guard.h"

#include <QKeyEvent>
#include <QWidget>

namespace kestrom::output {

ShortcutGuard::ShortcutGuard(QList<QPointer<QAction>> actions, QObject *parent)
    : QObject(parent), actions_(std::move(actions)) {}

void ShortcutGuard::guard(QWidget &root) {
    for (QWidget *widget : root.findChildren<QWidget *>()) widget->installEventFilter(this);
}

// A widget claims a shortcut by accepting its override event; refusing it on the
// widget's behalf lets the menu's action run instead.
bool ShortcutGuard::eventFilter(QObject *watched, QEvent *event) {
    if (event->type() != QEvent::ShortcutOverride) return QObject::eventFilter(watched, event);
    const QKeySequence pressed(static_cast<QKeyEvent *>(event)->keyCombination());
    for (const QPointer<QAction> &action : actions_) {
        if (action && action->isEnabled() && action->shortcut() == pressed) {
            event->ignore();
            return true;
        }
    }
    return false;
}

}  // namespace kestrom::output
