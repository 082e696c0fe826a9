#include "output_commands.h"

#include <QMenu>
#include <QMenuBar>
#include <functional>

#include "log_commands.h"
#include "logo.h"
#include "print_log.h"
#include "save_log.h"
#include "shortcut_guard.h"
#include "web_page.h"

namespace kestrom::output {

OutputCommands::OutputCommands(QMainWindow &window, LoggerList &log)
    : QObject(&window), window_(window), log_(log), dialogs_(makeQtDialogs()) {
    setObjectName(QStringLiteral("outputCommands"));
    addAppearanceCommands();
    addLogo();
    const auto on = [this](const char *name, std::function<void()> command) {
        if (QAction *action = window_.findChild<QAction *>(QString::fromLatin1(name))) {
            connect(action, &QAction::triggered, this, std::move(command));
        }
    };
    on("copy", [this] { copySelectedLines(log_); });
    on("Paste", [this] { pasteClipboard(log_); });
    on("Cut", [this] { cutSelectedLines(log_); });
    on("save", [this] { SaveLogToFile(ShowSaveDialog(&window_, *dialogs_), log_.lines(), *dialogs_); });
    on("mnuPrinter", [this] { print(); });
    on("mnuSetupPrinter", [this] { ShowPrinterSetup(&window_, printer(), *dialogs_); });
    on("Command3", [this] { appearance_.Command3(window_, *dialogs_); });
    on("Command4", [this] { appearance_.Command4(window_, *dialogs_); });
    on("Pelmora_on_the_Web", &openWebPage);
    on("about_", [this] { showAbout(); });
    guardEditShortcuts();
}

// The window has no room left for the two chooser buttons without covering the
// log, so they are commands of the Tools menu, under their own names.
void OutputCommands::addAppearanceCommands() {
    QMenu *tools = window_.findChild<QMenu *>(QStringLiteral("tools"));
    if (tools == nullptr) return;
    tools->addSeparator();
    for (const char *name : {"Command3", "Command4"}) {
        tools->addAction(QString::fromLatin1(name))->setObjectName(QString::fromLatin1(name));
    }
}

// The logo sits in the menu bar's free corner, as high as the bar.
void OutputCommands::addLogo() {
    QMenuBar *bar = window_.menuBar();
    bar->setCornerWidget(new LogoLabel(QStringLiteral("Picture1"), bar, bar->sizeHint().height() - 2));
}

void OutputCommands::guardEditShortcuts() {
    QList<QPointer<QAction>> actions;
    for (const char *name : {"copy", "Paste", "Cut"}) {
        actions << window_.findChild<QAction *>(QString::fromLatin1(name));
    }
    auto *guard = new ShortcutGuard(actions, this);
    if (window_.centralWidget() != nullptr) guard->guard(*window_.centralWidget());
}

QPrinter &OutputCommands::printer() {
    // Made on first use: finding the default printer may take a moment.
    if (!printer_) printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
    return *printer_;
}

void OutputCommands::print() {
    PrintLog(printer(), log_.lines());
    if (printer_->printerState() != QPrinter::Idle) printer_ = PrinterLike(*printer_);
}

void OutputCommands::showAbout() {
    // A closed box is hidden until it is deleted: never show that one again.
    if (!about_ || about_->isHidden()) about_ = new AboutBox(dialogs_, toolFolders_);
    about_->show();
    about_->raise();
    about_->activateWindow();
}

void connectOutputCommands(QMainWindow &window, LoggerList &log) {
    new OutputCommands(window, log);
}

}  // namespace kestrom::output
