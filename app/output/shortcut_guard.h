// Keeps the Edit menu's shortcuts for the log while a text field has the focus:
// a field would otherwise take Ctrl+C, Ctrl+V and Ctrl+X for its own text.
#pragma once

#include <QAction>
#include <QList>
#include <QPointer>

namespace kestrom::output {

class ShortcutGuard : public QObject {
public:
    ShortcutGuard(QList<QPointer<QAction>> actions, QObject *parent);
    // Guards every widget below `root`.
    void guard(QWidget &root);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QList<QPointer<QAction>> actions_;
};

}  // namespace kestrom::output
