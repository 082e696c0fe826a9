// Every dialog and message box the output commands show, behind one interface
// so that tests can answer them.
#pragma once

#include <QColor>
#include <QFont>
#include <QMessageBox>
#include <QStringList>
#include <array>
#include <memory>
#include <optional>

class QPrinter;

namespace kestrom::output {


inline constexpr int kCustomColourCount = 16;
using CustomColours = std::array<QRgb, kCustomColourCount>;

struct SaveDialogSetup {
    QString title;
    QStringList filters;  // the first one is preselected
    QString folder;       // empty: the dialog's own choice
};

struct SaveDialogChoice {
    QString path;
    int filter = 0;  // index into SaveDialogSetup::filters
};

class Dialogs {
public:
    virtual ~Dialogs() = default;

    // Nothing when cancelled.
    virtual std::optional<SaveDialogChoice> saveFile(QWidget *owner, const SaveDialogSetup &setup) = 0;
    // Yes and No, the information icon, the application title; true on Yes.
    virtual bool askYesNo(QWidget *owner, const QString &text) = 0;
    // OK only, the application title; `detail` is a second, smaller text.
    virtual void inform(QWidget *owner, QMessageBox::Icon icon, const QString &text,
                        const QString &detail = {}) = 0;
    // Shows and takes back `custom`; nothing when cancelled.
    virtual std::optional<QColor> chooseColour(QWidget *owner, CustomColours &custom) = 0;
    virtual std::optional<QFont> chooseFont(QWidget *owner, const QFont &initial) = 0;
    // Changes `printer` only on OK.
    virtual bool setupPrinter(QWidget *owner, QPrinter &printer) = 0;
};

std::shared_ptr<Dialogs> makeQtDialogs();

}  // namespace kestrom::output
