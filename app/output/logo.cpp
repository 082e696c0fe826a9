#include "logo.h"

#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

#include "web_page.h"

namespace kestrom::output {

// A chip with its pins beside the maker's name, on a dark teal plate. Drawn in
// proportion to the height; the name takes the width that is left.
QPixmap logoPicture(QSize size) {
    const qreal h = size.height();
    QPixmap picture(size);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0x1d, 0x5c, 0x63));
    painter.drawRoundedRect(QRectF(0.5, 0.5, size.width() - 1, h - 1), h * 0.12, h * 0.12);

    const QColor gold(0xf2, 0xb1, 0x34);
    painter.setBrush(gold);
    for (int pin = 0; pin < 4; ++pin)
        painter.drawRect(QRectF(h * (0.18 + pin * 0.1), h * 0.2, h * 0.04, h * 0.6));
    painter.setBrush(QColor(0x20, 0x20, 0x20));
    painter.drawRoundedRect(QRectF(h * 0.12, h * 0.28, h * 0.44, h * 0.44), h * 0.04, h * 0.04);
    painter.setBrush(gold);
    painter.drawEllipse(QPointF(h * 0.22, h * 0.38), h * 0.036, h * 0.036);

    const QRectF name(h * 0.62, 0, size.width() - h * 0.62 - 2, h);
    QFont font;
    font.setPixelSize(std::max(1, qRound(std::min(h * 0.6, name.width() / 4.2))));
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(name, Qt::AlignCenter, QStringLiteral("Pelmora"));
    return picture;
}

LogoLabel::LogoLabel(const QString &name, QWidget *parent, int height) : QLabel(parent) {
    setObjectName(name);
    // Below its own height the logo grows relatively wider, so the name stays readable.
    setPixmap(height < kLogoSize.height() ? logoPicture(QSize(qRound(height * 3.6), height)) : logoPicture());
    setFixedSize(pixmap().size());
    setCursor(Qt::PointingHandCursor);
    setToolTip(webPage().toString());
    setAccessibleName(QStringLiteral("Pelmora"));
}

void LogoLabel::mouseReleaseEvent(QMouseEvent *event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) openWebPage();
    QLabel::mouseReleaseEvent(event);
}

}  // namespace kestrom::output
