// Dialogs answered by a test: each dialog takes the next queued answer (none
// queued: Cancel, or No), and every message is kept for checking. In place of
// the program's dialogs for as long as it lives.
#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

#include "dialogs.h"

class QueuedDialogs : public kestrom::dialogs::Dialogs {
public:
    struct Message {
        kestrom::dialogs::MessageIcon icon;
        QString title;  // as shown: the application title when none was given
        QString text;
        QString detail;
    };

    std::deque<std::optional<kestrom::dialogs::SaveDialogChoice>> saveAnswers;
    std::deque<std::optional<QString>> openAnswers;
    std::deque<bool> yesNoAnswers;
    std::deque<std::optional<QColor>> colourAnswers;
    std::deque<std::optional<QFont>> fontAnswers;
    // Each answers one printer setup: changes the printer and says whether it was OK.
    std::deque<std::function<bool(QPrinter &)>> printerAnswers;
    // Runs in every yes/no question before it is answered, as events the question's own
    // loop would handle while it is open.
    std::function<void()> inQuestion;
    // Runs in every colour dialog, as a user defining custom colours there.
    std::function<void(kestrom::dialogs::CustomColours &)> inColourDialog;

    std::vector<Message> messages;
    std::vector<QString> questions;
    std::vector<bool> questionsWithNoByDefault;
    kestrom::dialogs::SaveDialogSetup lastSaveSetup;
    QFont lastInitialFont;

    std::vector<QString> messageTexts() const {
        std::vector<QString> texts;
        for (const Message &message : messages) texts.push_back(message.text);
        return texts;
    }

    std::optional<kestrom::dialogs::SaveDialogChoice> saveFile(
        QWidget *, const kestrom::dialogs::SaveDialogSetup &setup) override {
        lastSaveSetup = setup;
        return next(saveAnswers, std::optional<kestrom::dialogs::SaveDialogChoice>());
    }
    std::optional<QString> openFile(QWidget *, const kestrom::dialogs::SaveDialogSetup &setup) override {
        lastSaveSetup = setup;
        return next(openAnswers, std::optional<QString>());
    }
    bool askYesNo(QWidget *, const QString &text, bool noByDefault) override {
        questions.push_back(text);
        questionsWithNoByDefault.push_back(noByDefault);
        if (inQuestion) inQuestion();
        return next(yesNoAnswers, false);
    }
    void inform(QWidget *, kestrom::dialogs::MessageIcon icon, const QString &text, const QString &detail,
                const QString &title) override {
        messages.push_back({icon, title.isEmpty() ? kestrom::dialogs::applicationTitle() : title, text, detail});
    }
    std::optional<QColor> chooseColour(QWidget *, kestrom::dialogs::CustomColours &custom) override {
        if (inColourDialog) inColourDialog(custom);
        return next(colourAnswers, std::optional<QColor>());
    }
    std::optional<QFont> chooseFont(QWidget *, const QFont &initial) override {
        lastInitialFont = initial;
        return next(fontAnswers, std::optional<QFont>());
    }
    bool setupPrinter(QWidget *, QPrinter &printer) override {
        const auto answer = next(printerAnswers, std::function<bool(QPrinter &)>());
        return answer && answer(printer);
    }

private:
    template <typename Answer>
    static Answer next(std::deque<Answer> &queue, Answer none) {
        Answer answer = std::move(none);
        if (!queue.empty()) {
            std::swap(answer, queue.front());
            queue.pop_front();
        }
        return answer;
    }

    kestrom::dialogs::DialogsInPlace inPlace_{*this};
};
