#include "output_commands.h"

#include <QMenu>
#include <QMenuBar>

#include "log_commands.h"
#include "logo.h"
#include "print_log.h"
#include "save_log.h"
#include "shortcut_guard.h"
#include "web_page.h"

namespace kestrom::output {

OutputCommands::OutputCommands(QMainWindow &window, LoggerList &log, const OutputActions &actions)
    : QObject(&window), window_(window), log_(log) {
    setObjectName(QStringLiteral("outputCommands"));
    const auto on = [this](QAction *action, auto command) { connect(action, &QAction::triggered, this, command); };
    on(actions.copy, [this] { copySelectedLines(log_); });
    on(actions.paste, [this] { pasteClipboard(log_); });
    on(actions.cut, [this] { cutSelectedLines(log_); });
    on(actions.save, [this] { SaveLogToFile(ShowSaveDialog(&window_), log_.lines()); });
    on(actions.print, [this] { print(); });
    on(actions.setupPrinter, [this] { ShowPrinterSetup(&window_, printer()); });
    on(actions.webPage, &openWebPage);
    on(actions.about, [this] { showAbout(); });
    addAppearanceCommands(*actions.tools);
    addLogo();
    auto *guard = new ShortcutGuard({actions.copy, actions.paste, actions.cut}, this);
    if (window_.centralWidget() != nullptr) guard->guard(*window_.centralWidget());
}

// The window has no room left for the two chooser buttons without covering the
// log, so they are commands of the Tools menu, under their own names.
void OutputCommands::addAppearanceCommands(QMenu &tools) {
    tools.addSeparator();
    QAction *colour = tools.addAction(tr("Command3"));
    colour->setObjectName(QStringLiteral("Command3"));
    connect(colour, &QAction::triggered, this, [this] { appearance_.chooseBackgroundColour(window_); });
    QAction *font = tools.addAction(tr("Command4"));
    font->setObjectName(QStringLiteral("Command4"));
    connect(font, &QAction::triggered, this, [this] { appearance_.reportChosenFont(window_); });
}

// The logo sits in the menu bar's free corner, as high as the bar.
void OutputCommands::addLogo() {
    QMenuBar *bar = window_.menuBar();
    bar->setCornerWidget(new LogoLabel(QStringLiteral("Picture1"), bar, bar->sizeHint().height() - 2));
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
    if (!about_ || about_->isHidden()) about_ = new AboutBox(toolFolders_);
    about_->show();
    about_->raise();
    about_->activateWindow();
}

}  // namespace kestrom::output
