#include "key_filter.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <algorithm>

namespace kestrom::mainwindow {

namespace {

// Only keys that type text go through the filter. Tab, Delete, Return, Escape and the
// like send control characters and keep their job, and so do shortcuts: Ctrl, Alt or
// Meta held, unless Ctrl and Alt together, which is how AltGr types on Windows.
bool typesText(const QKeyEvent &key) {
    const Qt::KeyboardModifiers held = key.modifiers();
    const bool altGr = (held & Qt::ControlModifier) && (held & Qt::AltModifier);
    if (!altGr && (held & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))) return false;
    const QString text = key.text();
    return !text.isEmpty() && std::all_of(text.begin(), text.end(), [](QChar c) { return c.isPrint(); });
}

}  // namespace

bool KeyFilterHook::eventFilter(QObject *watched, QEvent *event) {
    if (event->type() != QEvent::KeyPress) return false;
    auto *box = qobject_cast<QLineEdit *>(watched);
    const auto &key = *static_cast<QKeyEvent *>(event);
    if (box == nullptr || !typesText(key)) return false;
    QString passed;
    for (const QChar typed : key.text()) {
        if (const char16_t kept = filter_(typed.unicode()); kept != 0) passed += QChar(kept);
    }
    if (passed == key.text()) return false;
    if (!passed.isEmpty()) box->insert(passed);
    return true;
}

}  // namespace kestrom::mainwindow
