// The main window's output commands: the Edit menu on the log, Save Log, Print
// and Setup Printer, the colour and font choosers, the web page and the About box.
#pragma once

#include <QMainWindow>
#include <QPointer>
#include <QPrinter>
#include <memory>

#include "about_box.h"
#include "appearance.h"
#include "dialogs.h"
#include "logger_list.h"

namespace kestrom::output {

class OutputCommands : public QObject {
    Q_OBJECT

public:
    OutputCommands(QMainWindow &window, LoggerList &log);

    // Tests answer the dialogs and choose where the information tool is looked for.
    void setDialogs(std::shared_ptr<Dialogs> dialogs) { dialogs_ = std::move(dialogs); }
    void setToolFolders(QStringList folders) { toolFolders_ = std::move(folders); }

    // The current printer: the system's default until Setup Printer changes it;
    // kept, with its settings, as long as the window.
    QPrinter &printer();
    // Prints the log; a job that fails leaves the printer usable.
    void print();
    // Shows the one About box, making it first if need be.
    void showAbout();
    AboutBox *aboutBox() const { return about_; }

private:
    void addAppearanceCommands();
    void addLogo();
    void guardEditShortcuts();

    QMainWindow &window_;
    LoggerList &log_;
    std::shared_ptr<Dialogs> dialogs_;
    QStringList toolFolders_;
    std::unique_ptr<QPrinter> printer_;
    Appearance appearance_;
    QPointer<AboutBox> about_;
};

// Made once, by the main window, after its menus and controls exist.
void connectOutputCommands(QMainWindow &window, LoggerList &log);

}  // namespace kestrom::output
