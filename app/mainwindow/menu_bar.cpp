// The menu bar: every item carries its name; the actions of the log, saving,
// printing and the About box go to the output commands as typed pointers.
#include <QCoreApplication>
#include <QMenuBar>

#include "main_window.h"

namespace kestrom::mainwindow {

namespace {

// Captions are marked with QT_TRANSLATE_NOOP and shown in the user's language.
QString translated(const char *caption) {
    return QCoreApplication::translate("MainWindow", caption);
}

QMenu *addMenu(QMenuBar &bar, const char *name, const char *caption) {
    QMenu *menu = bar.addMenu(translated(caption));
    menu->setObjectName(QString::fromLatin1(name));
    return menu;
}

QAction *addItem(QMenu &menu, const char *name, const char *caption, const char *shortcut = nullptr) {
    QAction *action = menu.addAction(translated(caption));
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

    QMenu &file = *addMenu(bar, "file", QT_TRANSLATE_NOOP("MainWindow", "&File"));
    actions.save = addItem(file, "save", QT_TRANSLATE_NOOP("MainWindow", "&Save Log ..."), "Ctrl+S");
    connect(addItem(file, "saveImage", QT_TRANSLATE_NOOP("MainWindow", "Save EEPROM Image ...")),
            &QAction::triggered, this, &MainWindow::onSaveImage);
    connect(addItem(file, "programImage", QT_TRANSLATE_NOOP("MainWindow", "Program EEPROM Image ...")),
            &QAction::triggered, this, &MainWindow::onProgramImage);
    addSeparator(file, "line1");
    actions.setupPrinter = addItem(file, "mnuSetupPrinter", QT_TRANSLATE_NOOP("MainWindow", "Setup Printer"));
    actions.print = addItem(file, "mnuPrinter", QT_TRANSLATE_NOOP("MainWindow", "Print"), "Ctrl+P");
    addSeparator(file, "line2");
    connect(addItem(file, "exit", QT_TRANSLATE_NOOP("MainWindow", "Exit"), "Ctrl+Q"), &QAction::triggered,
            this, &QWidget::close);

    QMenu &edit = *addMenu(bar, "edit", QT_TRANSLATE_NOOP("MainWindow", "&Edit"));
    actions.copy = addItem(edit, "copy", QT_TRANSLATE_NOOP("MainWindow", "&Copy"), "Ctrl+C");
    actions.paste = addItem(edit, "Paste", QT_TRANSLATE_NOOP("MainWindow", "Paste"), "Ctrl+V");
    actions.cut = addItem(edit, "Cut", QT_TRANSLATE_NOOP("MainWindow", "Cut"), "Ctrl+X");

    actions.tools = addMenu(bar, "tools", QT_TRANSLATE_NOOP("MainWindow", "&Tools"));
    addItem(*actions.tools, "options",
            QT_TRANSLATE_NOOP("MainWindow", "&Options ..."));  // does nothing, as designed
    chipSettingsAction_ = addItem(*actions.tools, "chipSettings",
                                  QT_TRANSLATE_NOOP("MainWindow", "Chip &Settings ..."), "Ctrl+K");
    connect(chipSettingsAction_, &QAction::triggered, this, &MainWindow::openChipSettings);

    QMenu &help = *addMenu(bar, "help", QT_TRANSLATE_NOOP("MainWindow", "&Help"));
    actions.webPage =
        addItem(help, "Pelmora_on_the_Web", QT_TRANSLATE_NOOP("MainWindow", "&Pelmora on the Web"), "Ctrl+H");
    addSeparator(help, "line3");
    addItem(help, "update", QT_TRANSLATE_NOOP("MainWindow", "&Update"));  // does nothing, as designed
    addSeparator(help, "line4");
    actions.about = addItem(help, "about_", QT_TRANSLATE_NOOP("MainWindow", "&About"), "Ctrl+B");
    return actions;
}

}  // namespace kestrom::mainwindow
