// The window in the user's language: English for every language but Czech, its
// own texts under Czech and the C locale, and the log the same in all of them.
#include "ui_language.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QLocale>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTranslator>

#include "output_commands.h"
#include "window_fixture.h"

using kestrom::startup::installTranslation;
using kestrom::startup::wantsEnglish;

namespace {

const QString kOverwriteInCzech = QStringLiteral("Soubor už existuje. Chcete soubor přepsat?");
const QString kOverwriteInEnglish = QStringLiteral("The file already exists. Do you want to overwrite it?");

}  // namespace

class LanguageTest : public WindowTest {
protected:
    // What the window shows and logs in `language`: the overwrite question, the
    // About box's caption and the log's header.
    struct Shown {
        QString question;
        QString aboutCaption;
        QByteArray logHeader;
    };
    Shown showIn(const QString &language) {
        QTranslator translator;
        installTranslation(translator, {language}, kestrom::platform::programFolder());
        started_ ? startAgain() : start("ft232bm");
        started_ = true;
        QFile(folder_.filePath(QStringLiteral("log.txt"))).open(QIODevice::WriteOnly);
        dialogs.questions.clear();
        dialogs.saveAnswers.push_back(
            kestrom::dialogs::SaveDialogChoice{folder_.filePath(QStringLiteral("log.txt")), 0});
        find<QAction>("save")->trigger();
        find<QAction>("about_")->trigger();
        auto *about = window().findChild<kestrom::output::OutputCommands *>()->aboutBox();
        // The header's time line keeps its form; its digits move on with the clock.
        QStringList header = logLines().mid(0, 7);
        if (header.size() == 7)
            header[4].replace(QRegularExpression(QStringLiteral("[0-9]")), QStringLiteral("#"));
        Shown shown{dialogs.questions.empty() ? QString() : dialogs.questions.front(), about->windowTitle(),
                    header.join(u'\n').toUtf8()};
        about->close();
        QCoreApplication::removeTranslator(&translator);
        return shown;
    }

private:
    QTemporaryDir folder_;
    bool started_ = false;
};

TEST_F(LanguageTest, EnglishDialogsAndTheSameLogInEveryLanguage) {
    const Shown czech = showIn(QStringLiteral("cs-CZ"));
    const Shown english = showIn(QStringLiteral("en-US"));
    const Shown german = showIn(QStringLiteral("de-DE"));
    const Shown plain = showIn(QStringLiteral("C"));
    EXPECT_EQ(kOverwriteInCzech, czech.question);
    EXPECT_EQ(kOverwriteInCzech, plain.question);
    EXPECT_EQ(kOverwriteInEnglish, english.question);
    EXPECT_EQ(kOverwriteInEnglish, german.question);
    EXPECT_EQ(u"O aplikaci", czech.aboutCaption);
    EXPECT_EQ(u"About", english.aboutCaption);

    EXPECT_EQ(7, czech.logHeader.count('\n') + 1);
    EXPECT_TRUE(czech.logHeader.contains("Obsah pam\xc4\x9bti EEPROM")) << czech.logHeader.toStdString();
    for (const Shown *other : {&english, &german, &plain}) EXPECT_EQ(czech.logHeader, other->logHeader);
}

// As Qt reads the system's language: EXPECT_ENGLISH says what the environment
// the test was started in (LANG, LANGUAGE) asks for.
TEST(SystemLanguage, ChoosesEnglishOnlyOutsideCzechAndTheCLocale) {
    if (qEnvironmentVariableIsEmpty("EXPECT_ENGLISH")) GTEST_SKIP() << "run by CTest in a chosen locale";
    const QStringList languages = QLocale::system().uiLanguages();
    EXPECT_EQ(qEnvironmentVariable("EXPECT_ENGLISH") == u"1", wantsEnglish(languages))
        << languages.join(u',').toStdString();
}

TEST(SystemLanguage, EnglishWithoutItsFileLeavesTheOwnTexts) {
    QTemporaryDir empty;
    QTranslator translator;
    EXPECT_FALSE(installTranslation(translator, {QStringLiteral("en-GB")}, empty.path().toStdString()));
    EXPECT_TRUE(translator.isEmpty());
}
