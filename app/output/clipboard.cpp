#include "clipboard.h"

#include <QClipboard>
#include <QGuiApplication>

namespace kestrom::output {

namespace {

QClipboard *systemClipboard() {
    // QGuiApplication::clipboard() would only warn without a GUI application.
    if (qobject_cast<QGuiApplication *>(QCoreApplication::instance()) == nullptr) return nullptr;
    return QGuiApplication::clipboard();
}

}  // namespace

ClipboardResult ClipboardPutText(const QString &text) {
    if (text.isEmpty()) return ClipboardResult::EmptyText;
    QClipboard *clipboard = systemClipboard();
    if (clipboard == nullptr) return ClipboardResult::Unavailable;
    clipboard->setText(text);
    return ClipboardResult::Placed;
}

QString ClipboardGetText() {
    const QClipboard *clipboard = systemClipboard();
    if (clipboard == nullptr) return {};
    const QString text = clipboard->text();
    const qsizetype nul = text.indexOf(QChar(0));
    return nul < 0 ? text : text.left(nul);
}

}  // namespace kestrom::output
