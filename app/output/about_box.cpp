#include "about_box.h"

#include <QCoreApplication>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "logo.h"
#include "system_info.h"
#include "web_page.h"

namespace kestrom::output {

namespace {

QLabel *label(const char *name, const QString &text, QWidget *parent) {
    auto *label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setWordWrap(true);
    return label;
}

// A one-pixel line of `colour`.
QFrame *line(const QColor &colour, QWidget *parent) {
    auto *frame = new QFrame(parent);
    frame->setObjectName(QStringLiteral("Line1"));
    frame->setFixedHeight(1);
    frame->setAutoFillBackground(true);
    QPalette palette = frame->palette();
    palette.setColor(QPalette::Window, colour);
    frame->setPalette(palette);
    return frame;
}

QPushButton *button(const char *name, const QString &caption, QWidget *parent) {
    auto *button = new QPushButton(caption, parent);
    button->setObjectName(QString::fromLatin1(name));
    return button;
}

}  // namespace

AboutBox::AboutBox(QStringList toolFolders) : toolFolders_(std::move(toolFolders)) {
    setObjectName(QStringLiteral("About"));
    setWindowTitle(QCoreApplication::translate("AboutBox", "O aplikaci"));
    setAttribute(Qt::WA_DeleteOnClose);

    auto *details = new QVBoxLayout;
    details->addWidget(label("about1", QString(21, u' ') + QStringLiteral("Název aplikace: Kestrom"), this));
    details->addWidget(label("lblDescription", QStringLiteral("Autor: Pelmora"), this));
    details->addWidget(
        label("about1",
              QString(21, u' ') + QCoreApplication::translate("AboutBox", "Název aplikace: Kestrom"), this));
    details->addWidget(
        label("lblDescription", QCoreApplication::translate("AboutBox", "Autor: Pelmora"), this));
    details->addWidget(label("lblDescription",
                             QCoreApplication::translate("AboutBox", "Nápověda: ") +
                                 webPage().toDisplayString(QUrl::PreferLocalFile),
                             this));
    details->addStretch();

    auto *ok = button("cmdOK", QCoreApplication::translate("AboutBox", "OK"), this);
    auto *sysInfo = button("cmdSysInfo", QCoreApplication::translate("AboutBox", "&System Info..."), this);
    ok->setDefault(true);

    auto *grid = new QGridLayout(this);
    grid->addWidget(new LogoLabel(QStringLiteral("picIcon"), this), 0, 0, Qt::AlignTop);
    grid->addLayout(details, 0, 1, 1, 2);
    auto *etched = new QVBoxLayout;  // grey over white: one etched separator
    etched->setSpacing(0);
    etched->addWidget(line(QColor(128, 128, 128), this));
    etched->addWidget(line(Qt::white, this));
    grid->addLayout(etched, 1, 0, 1, 3);
    grid->addWidget(label("lblDisclaimer",
                          QCoreApplication::translate(
                              "AboutBox",
                              "Program se poskytuje tak, jak je, bez jakékoli záruky. Zápis do paměti "
                              "EEPROM může zařízení vyřadit z provozu; používáte jej na vlastní "
                              "odpovědnost."),
                          this),
                    2, 0, 2, 2);
    grid->addWidget(ok, 2, 2);
    grid->addWidget(sysInfo, 3, 2);
    grid->setColumnStretch(1, 1);
    setMinimumWidth(420);

    connect(ok, &QPushButton::clicked, this, &QWidget::close);
    connect(sysInfo, &QPushButton::clicked, this, [this] { StartSysInfo(this, toolFolders_); });
}

}  // namespace kestrom::output
