// The maker's logo: a picture that opens the web page when clicked.
#pragma once

#include <QLabel>
#include <QPixmap>

namespace kestrom::output {

inline constexpr QSize kLogoSize{89, 50};

QPixmap logoPicture(QSize size = kLogoSize);

class LogoLabel : public QLabel {
public:
    // `height` below the logo's own draws it smaller.
    explicit LogoLabel(const QString &name, QWidget *parent, int height = kLogoSize.height());

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;
};

}  // namespace kestrom::output
