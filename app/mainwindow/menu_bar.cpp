// The menu bar: every item carries its name; the actions of the log, saving,
// printing and the About box go to the output commands as typed pointers.
#include <QMenuBar>

#include "main_window.h"

namespace kestrom::mainwindow {

namespace {

QMenu *addMenu(QMenuBar &bar, const char *name, const char *caption) {
    QMenu *menu = bar.addMenu(QString::fromLatin1(caption));
    menu->setObjectName(QString::fromLatin1(name));
    return menu;
}

QAction *addItem(QMenu &menu, const char *name, const char *caption, const char *shortcut = nullptr) {
    QAction *action = menu.addAction(QString::fromLatin1(caption));
    action->setObjectName(QString::fromLatin1(name));
    if (shortcut != nullptr) action->setShortcut(QKeySequence(QString::fromLatin1(shortcut)));
    return action;
}

void addSeparator(QMenu &menu, const char *name) {
    menu.addSeparator()->setObjectName(QString::fromLatin1(name));
}

}  // namespace

output::OutputActions MainWindow::buildMenus() {
    output::OutputActions actions;
    QMenuBar &bar = *menuBar();

    QMenu &file = *addMenu(bar, "file", "&File");
    actions.save = addItem(file, "save", "&Save Log ...", "Ctrl+S");
    connect(addItem(file, "saveImage", "Save EEPROM Image ..."), &QAction::triggered, this, &MainWindow::onSaveImage);
    connect(addItem(file, "programImage", "Program EEPROM Image ..."), &QAction::triggered, this,
            &MainWindow::onProgramImage);
    addSeparator(file, "line1");
    actions.setupPrinter = addItem(file, "mnuSetupPrinter", "Setup Printer");
    actions.print = addItem(file, "mnuPrinter", "Print", "Ctrl+P");
    addSeparator(file, "line2");
    connect(addItem(file, "exit", "Exit", "Ctrl+Q"), &QAction::triggered, this, &QWidget::close);

    QMenu &edit = *addMenu(bar, "edit", "&Edit");
    actions.copy = addItem(edit, "copy", "&Copy", "Ctrl+C");
    actions.paste = addItem(edit, "Paste", "Paste", "Ctrl+V");
    actions.cut = addItem(edit, "Cut", "Cut", "Ctrl+X");

    actions.tools = addMenu(bar, "tools", "&Tools");
    addItem(*actions.tools, "options", "&Options ...");  // does nothing, as designed

    QMenu &help = *addMenu(bar, "help", "&Help");
    actions.webPage = addItem(help, "Pelmora_on_the_Web", "&Pelmora on the Web", "Ctrl+H");
    addSeparator(help, "line3");
    addItem(help, "update", "&Update");  // does nothing, as designed
    addSeparator(help, "line4");
    actions.about = addItem(help, "about_", "&About", "Ctrl+B");
    return actions;
}

}  // namespace kestrom::mainwindow
