// Command3 and Command4: the background colour, the custom colours kept for the
// run, and the face name reported.
#include "appearance.h"

#include <gtest/gtest.h>

#include "scripted_dialogs.h"
#include "window_fixture.h"

TEST(AppearanceTest, ColourBecomesTheBackgroundFontOnlyReportsItsFace) {
    QWidget window;
    const QFont font = window.font();
    ScriptedDialogs dialogs;
    kestrom::output::Appearance appearance;
    kestrom::output::CustomColours offered{};
    dialogs.onColourDialog = [&](kestrom::output::CustomColours &custom) {
        offered = custom;
        custom[3] = qRgb(1, 2, 3);  // defined by the user in this dialog
    };
    dialogs.colour = QColor(Qt::red);
    appearance.Command3(window, dialogs);
    EXPECT_EQ(QColor(Qt::red), window.palette().color(QPalette::Window));
    EXPECT_EQ(qRgb(0, 0, 0), offered[3]) << "all black at start";
    dialogs.colour.reset();
    appearance.Command3(window, dialogs);
    EXPECT_EQ(qRgb(1, 2, 3), offered[3]) << "offered again in the next dialog";
    EXPECT_EQ(QColor(Qt::red), window.palette().color(QPalette::Window)) << "cancel keeps the colour";

    dialogs.font = QFont(QStringLiteral("Courier New"), 14, QFont::Bold);
    appearance.Command4(window, dialogs);
    EXPECT_EQ(u"Times New Roman", dialogs.initialFont.family());
    EXPECT_EQ(12, dialogs.initialFont.pointSize());
    dialogs.font.reset();
    appearance.Command4(window, dialogs);
    EXPECT_EQ(font, window.font());

    std::vector<QString> texts;
    for (const auto &message : dialogs.messages) texts.push_back(message.text);
    EXPECT_EQ((std::vector<QString>{"You chose cancel", "Courier New", ""}), texts);
}
