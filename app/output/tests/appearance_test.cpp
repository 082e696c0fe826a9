// The appearance choosers: the background colour, the custom colours kept for
// the run, and the face name reported.
#include "appearance.h"

#include <gtest/gtest.h>

#include "queued_dialogs.h"
#include "window_fixture.h"

TEST(AppearanceTest, ColourBecomesTheBackgroundFontOnlyReportsItsFace) {
    QWidget window;
    const QFont font = window.font();
    QueuedDialogs dialogs;
    kestrom::output::Appearance appearance;
    kestrom::dialogs::CustomColours offered{};
    dialogs.inColourDialog = [&](kestrom::dialogs::CustomColours &custom) {
        offered = custom;
        custom[3] = qRgb(1, 2, 3);  // defined by the user in this dialog
    };
    dialogs.colourAnswers = {QColor(Qt::red), std::nullopt};
    appearance.chooseBackgroundColour(window);
    EXPECT_EQ(QColor(Qt::red), window.palette().color(QPalette::Window));
    EXPECT_EQ(qRgb(0, 0, 0), offered[3]) << "all black at start";
    appearance.chooseBackgroundColour(window);
    EXPECT_EQ(qRgb(1, 2, 3), offered[3]) << "offered again in the next dialog";
    EXPECT_EQ(QColor(Qt::red), window.palette().color(QPalette::Window)) << "cancel keeps the colour";

    dialogs.fontAnswers = {QFont(QStringLiteral("Courier New"), 14, QFont::Bold), std::nullopt};
    appearance.reportChosenFont(window);
    EXPECT_EQ(u"Times New Roman", dialogs.lastInitialFont.family());
    EXPECT_EQ(12, dialogs.lastInitialFont.pointSize());
    appearance.reportChosenFont(window);
    EXPECT_EQ(font, window.font());

    EXPECT_EQ((std::vector<QString>{"You chose cancel", "Courier New", ""}), dialogs.messageTexts());
    for (const auto &message : dialogs.messages) EXPECT_EQ(u"***  Kestrom  ***", message.title);
}
