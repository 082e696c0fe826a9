#include "message_boxes.h"

#include "application_title.h"

#include <QMessageBox>

namespace kestrom::startup {

QString applicationTitle() {
    return QString::fromLatin1(platform::kApplicationTitle);
}

void QtMessageBoxes::show(MessageIcon icon, const QString &title, const QString &text) {
    const QMessageBox::Icon shown = icon == MessageIcon::Warning ? QMessageBox::Warning
                                    : icon == MessageIcon::Error ? QMessageBox::Critical
                                                                 : QMessageBox::NoIcon;
    QMessageBox box(shown, title, text, QMessageBox::Ok);
    box.exec();
}

}  // namespace kestrom::startup
