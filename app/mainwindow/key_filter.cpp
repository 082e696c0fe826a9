#include "key_filter.h"

#include <QKeyEvent>
#include <QLineEdit>

namespace kestrom::mainwindow {

bool KeyFilterHook::eventFilter(QObject *watched, QEvent *event) {
    if (event->type() != QEvent::KeyPress) return false;
    auto *box = qobject_cast<QLineEdit *>(watched);
    const QString typed = static_cast<QKeyEvent *>(event)->text();
    if (box == nullptr || typed.size() != 1) return false;  // keys that type nothing keep their job
    const char16_t key = typed.at(0).unicode();
    const char16_t passed = filter_(key);
    if (passed == key) return false;
    if (passed != 0) box->insert(QString(QChar(passed)));
    return true;
}

}  // namespace kestrom::mainwindow
