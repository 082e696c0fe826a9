// Dialogs answered by the test, with what they were shown kept for checking.
#pragma once

#include <functional>
#include <vector>

#include "dialogs.h"

struct ScriptedDialogs : kestrom::output::Dialogs {
    struct Message {
        QString text;
        QString detail;
    };

    std::optional<kestrom::output::SaveDialogChoice> saveChoice;
    kestrom::output::SaveDialogSetup saveSetup;
    bool answerYes = false;
    int questions = 0;
    std::vector<Message> messages;
    std::optional<QColor> colour;
    std::function<void(kestrom::output::CustomColours &)> onColourDialog;
    std::optional<QFont> font;
    QFont initialFont;

    std::optional<kestrom::output::SaveDialogChoice> saveFile(
        QWidget *, const kestrom::output::SaveDialogSetup &setup) override {
        saveSetup = setup;
        return saveChoice;
    }
    bool askYesNo(QWidget *, const QString &text) override {
        ++questions;
        EXPECT_EQ(QStringLiteral("Soubor už existuje. Chcete soubor přepsat?"), text);
        return answerYes;
    }
    void inform(QWidget *, QMessageBox::Icon, const QString &text, const QString &detail) override {
        messages.push_back({text, detail});
    }
    std::optional<QColor> chooseColour(QWidget *, kestrom::output::CustomColours &custom) override {
        if (onColourDialog) onColourDialog(custom);
        return colour;
    }
    std::optional<QFont> chooseFont(QWidget *, const QFont &initial) override {
        initialFont = initial;
        return font;
    }
    std::function<bool(QPrinter &)> onPrinterSetup;  // answers OK when it returns true
    bool setupPrinter(QWidget *, QPrinter &printer) override { return onPrinterSetup && onPrinterSetup(printer); }
};
