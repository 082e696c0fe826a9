// The menu bar: every item carries its name; the actions of the log, saving,
// printing and the About box are connected where those live.
#include <QMenuBar>

#include "main_window.h"

namespace kestrom::mainwindow {

namespace {

struct Item {
    const char *name;
    const char *caption;  // null for a separator
    const char *shortcut;
};

struct Menu {
    const char *name;
    const char *caption;
    std::initializer_list<Item> items;
};

}  // namespace

void BM::buildMenus() {
    const Menu menus[] = {
        {"file",
         "&File",
         {{"save", "&Save Log ...", "Ctrl+S"},
          {"line1", nullptr, nullptr},
          {"mnuSetupPrinter", "Setup Printer", nullptr},
          {"mnuPrinter", "Print", "Ctrl+P"},
          {"line2", nullptr, nullptr},
          {"exit", "Exit", "Ctrl+Q"}}},
        {"edit", "&Edit", {{"copy", "&Copy", "Ctrl+C"}, {"Paste", "Paste", "Ctrl+V"}, {"Cut", "Cut", "Ctrl+X"}}},
        {"tools", "&Tools", {{"options", "&Options ...", nullptr}}},
        {"help",
         "&Help",
         {{"Pelmora_on_the_Web", "&Pelmora on the Web", "Ctrl+H"},
          {"line3", nullptr, nullptr},
          {"update", "&Update", nullptr},
          {"line4", nullptr, nullptr},
          {"about_", "&About", "Ctrl+B"}}},
    };
    for (const Menu &menu : menus) {
        QMenu *bar = menuBar()->addMenu(QString::fromLatin1(menu.caption));
        bar->setObjectName(QString::fromLatin1(menu.name));
        for (const Item &item : menu.items) {
            QAction *action = item.caption ? bar->addAction(QString::fromLatin1(item.caption)) : bar->addSeparator();
            action->setObjectName(QString::fromLatin1(item.name));
            if (item.shortcut) action->setShortcut(QKeySequence(QString::fromLatin1(item.shortcut)));
        }
    }
    connect(findChild<QAction *>(QStringLiteral("exit")), &QAction::triggered, this, &QWidget::close);
}

}  // namespace kestrom::mainwindow
