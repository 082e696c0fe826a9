// The main window's output commands: the Edit menu on the log, Save Log, Print
// and Setup Printer, the appearance choosers, the web page and the About box.
#pragma once

#include <QAction>
#include <QMainWindow>
#include <QMenu>
#include <QPointer>
#include <QPrinter>
#include <memory>

#include "about_box.h"
#include "appearance.h"
#include "logger_list.h"

namespace kestrom::output {

// The menu items the output commands serve, made by the window's menus.
struct OutputActions {
    QAction *save = nullptr;
    QAction *setupPrinter = nullptr;
    QAction *print = nullptr;
    QAction *copy = nullptr;
    QAction *paste = nullptr;
    QAction *cut = nullptr;
    QAction *webPage = nullptr;
    QAction *about = nullptr;
    QMenu *tools = nullptr;  // gets the two appearance choosers
};

class OutputCommands : public QObject {
    Q_OBJECT

public:
    OutputCommands(QMainWindow &window, LoggerList &log, const OutputActions &actions);

    // Tests choose where the information tool is looked for.
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
    void addAppearanceCommands(QMenu &tools);
    void addLogo();

    QMainWindow &window_;
    LoggerList &log_;
    QStringList toolFolders_;
    std::unique_ptr<QPrinter> printer_;
    Appearance appearance_;
    QPointer<AboutBox> about_;
};

}  // namespace kestrom::output
