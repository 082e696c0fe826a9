// Every dialog and message box the program shows, behind one seam: production
// code asks programDialogs(); a test puts its own answers in place while it runs.
#pragma once

#include <QColor>
#include <QFont>
#include <QString>
#include <QStringList>
#include <array>
#include <optional>

class QPrinter;
class QWidget;

namespace kestrom::dialogs {

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

enum class MessageIcon { None, Information, Warning, Error };

class Dialogs {
public:
    virtual ~Dialogs() = default;

    // Nothing when cancelled.
    virtual std::optional<SaveDialogChoice> saveFile(QWidget *owner, const SaveDialogSetup &setup) = 0;
    // An existing file to open; nothing when cancelled.
    virtual std::optional<QString> openFile(QWidget *owner, const SaveDialogSetup &setup) = 0;
    // Yes and No, the information icon, the application title; true on Yes. With
    // `noByDefault` Enter answers No: for questions whose Yes is hard to undo.
    virtual bool askYesNo(QWidget *owner, const QString &text, bool noByDefault = false) = 0;
    // OK only. An empty `title` is the application title; `detail` is a second, smaller text.
    virtual void inform(QWidget *owner, MessageIcon icon, const QString &text, const QString &detail = {},
                        const QString &title = {}) = 0;
    // Shows and takes back `custom`; nothing when cancelled.
    virtual std::optional<QColor> chooseColour(QWidget *owner, CustomColours &custom) = 0;
    virtual std::optional<QFont> chooseFont(QWidget *owner, const QFont &initial) = 0;
    // Changes `printer` only on OK; true on OK.
    virtual bool setupPrinter(QWidget *owner, QPrinter &printer) = 0;
};

// The caption of every message box that has no title of its own.
QString applicationTitle();

// Qt's own dialogs, unless a test has put others in their place.
Dialogs &programDialogs();

// While it lives, `dialogs` answers in place of Qt's (tests only); the previous
// ones come back when it ends.
class DialogsInPlace {
public:
    explicit DialogsInPlace(Dialogs &dialogs);
    ~DialogsInPlace();
    DialogsInPlace(const DialogsInPlace &) = delete;
    DialogsInPlace &operator=(const DialogsInPlace &) = delete;

private:
    Dialogs *previous_;
};

}  // namespace kestrom::dialogs
