// The dialogs as Qt shows them.
#include <QColorDialog>
#include <QFileDialog>
#include <QFontDialog>
#include <QMessageBox>
#include <QPrintDialog>

#include "application_title.h"
#include "dialogs.h"

namespace kestrom::dialogs {

namespace {

QMessageBox::Icon shownIcon(MessageIcon icon) {
    switch (icon) {
        case MessageIcon::Information: return QMessageBox::Information;
        case MessageIcon::Warning: return QMessageBox::Warning;
        case MessageIcon::Error: return QMessageBox::Critical;
        case MessageIcon::None: break;
    }
    return QMessageBox::NoIcon;
}

class QtDialogs final : public Dialogs {
public:
    std::optional<SaveDialogChoice> saveFile(QWidget *owner, const SaveDialogSetup &setup) override {
        QFileDialog dialog(owner, setup.title, setup.folder);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        // The overwrite question is the program's own, asked after the dialog.
        dialog.setOption(QFileDialog::DontConfirmOverwrite);
        dialog.setNameFilters(setup.filters);
        if (!setup.filters.isEmpty()) dialog.selectNameFilter(setup.filters.first());
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
        const qsizetype filter = setup.filters.indexOf(dialog.selectedNameFilter());
        return SaveDialogChoice{dialog.selectedFiles().first(),
                                static_cast<int>(std::max<qsizetype>(filter, 0))};
    }

    std::optional<QString> openFile(QWidget *owner, const SaveDialogSetup &setup) override {
        QFileDialog dialog(owner, setup.title, setup.folder);
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
        dialog.setNameFilters(setup.filters);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
        return dialog.selectedFiles().first();
    }

    bool askYesNo(QWidget *owner, const QString &text, bool noByDefault) override {
        QMessageBox box(QMessageBox::Information, applicationTitle(), text, QMessageBox::Yes | QMessageBox::No,
                        owner);
        box.setDefaultButton(noByDefault ? QMessageBox::No : QMessageBox::Yes);
        return box.exec() == QMessageBox::Yes;
    }

    void inform(QWidget *owner, MessageIcon icon, const QString &text, const QString &detail,
                const QString &title) override {
        QMessageBox box(shownIcon(icon), title.isEmpty() ? applicationTitle() : title, text, QMessageBox::Ok,
                        owner);
        box.setInformativeText(detail);
        box.exec();
    }

    std::optional<QColor> chooseColour(QWidget *owner, CustomColours &custom) override {
        for (int i = 0; i < kCustomColourCount; ++i) QColorDialog::setCustomColor(i, QColor::fromRgb(custom[i]));
        // Qt's own dialog: a platform one may not offer the custom colours.
        const QColor chosen = QColorDialog::getColor(Qt::black, owner, QString(), QColorDialog::DontUseNativeDialog);
        if (!chosen.isValid()) return std::nullopt;
        for (int i = 0; i < kCustomColourCount; ++i) custom[i] = QColorDialog::customColor(i).rgb();
        return chosen;
    }

    std::optional<QFont> chooseFont(QWidget *owner, const QFont &initial) override {
        bool ok = false;
        const QFont font = QFontDialog::getFont(&ok, initial, owner);
        if (!ok) return std::nullopt;
        return font;
    }

    bool setupPrinter(QWidget *owner, QPrinter &printer) override {
        QPrintDialog dialog(&printer, owner);
        return dialog.exec() == QDialog::Accepted;
    }
};

QtDialogs qtDialogs;
Dialogs *current = &qtDialogs;

}  // namespace

QString applicationTitle() {
    return QString::fromLatin1(platform::kApplicationTitle);
}

Dialogs &programDialogs() {
    return *current;
}

DialogsInPlace::DialogsInPlace(Dialogs &dialogs) : previous_(current) {
    current = &dialogs;
}

DialogsInPlace::~DialogsInPlace() {
    current = previous_;
}

}  // namespace kestrom::dialogs
