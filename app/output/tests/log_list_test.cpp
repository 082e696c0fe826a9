// The log list on its own: the clipboard commands, the keys and the line limit.
#include <gtest/gtest.h>

#include <QClipboard>
#include <QGuiApplication>
#include <QTest>

#include "log_commands.h"
#include "window_fixture.h"

namespace {

using kestrom::output::kMaxLogLines;

class LogListTest : public ::testing::Test {
protected:
    void SetUp() override { clipboard()->setText(QStringLiteral("before")); }
    static QClipboard *clipboard() { return QGuiApplication::clipboard(); }
    void select(std::initializer_list<int> rows) {
        for (int row : rows) log.item(row)->setSelected(true);
    }

    kestrom::output::LoggerList log;
};

TEST_F(LogListTest, CopyAndCutTakeTheSelectionCutNeverTheFirstLine) {
    kestrom::output::copySelectedLines(log);
    kestrom::output::cutSelectedLines(log);
    log.appendLines({"", "A", "y", "B", "C"});
    kestrom::output::copySelectedLines(log);
    kestrom::output::cutSelectedLines(log);
    EXPECT_EQ(u"before", clipboard()->text()) << "empty log or no selection: the clipboard keeps its text";
    EXPECT_EQ(5, log.count());

    select({0, 1, 3, 4});
    kestrom::output::copySelectedLines(log);
    EXPECT_EQ(u"\r\nA\r\nB\r\nC\r\n", clipboard()->text());
    kestrom::output::pasteClipboard(log);
    EXPECT_EQ((QStringList{"", "A", "y", "B", "C", "", "A", "B", "C"}), log.lines());

    kestrom::output::cutSelectedLines(log);
    EXPECT_EQ((QStringList{"", "y", "", "A", "B", "C"}), log.lines());
    log.selectAll();
    kestrom::output::cutSelectedLines(log);
    EXPECT_EQ(QStringList{QString()}, log.lines()) << "every line selected: only the first remains";
}

TEST_F(LogListTest, PasteBreaksLinesAtCrLfCrAndLfAndKeepsTheLastPiece) {
    const std::pair<QString, QStringList> cases[] = {
        {QStringLiteral("A\rB\nC\r\n"), {"A", "B", "C"}},
        {QStringLiteral("A\r\n\r\nB\r\n"), {"A", "", "B"}},
        {QStringLiteral("A\r\nB"), {"A", "B"}},
        {QStringLiteral("one line"), {"one line"}},
        {QStringLiteral("A\r"), {"A"}},
        {QStringLiteral("A\n"), {"A"}},
        {QStringLiteral(" A \0B"), {" A "}},
        {QString(), {}},
    };
    for (const auto &[text, lines] : cases) {
        SCOPED_TRACE(text.toStdString());
        log.clear();
        text.isEmpty() ? clipboard()->clear() : clipboard()->setText(text);
        kestrom::output::pasteClipboard(log);
        EXPECT_EQ(lines, log.lines());
    }
}

TEST_F(LogListTest, KeysClearTheLogOrLeaveCopyPasteCutToTheMenu) {
    log.show();
    for (auto modifiers : {Qt::NoModifier, Qt::ShiftModifier, Qt::ControlModifier}) {
        for (Qt::Key key : {Qt::Key_Backspace, Qt::Key_Delete}) {
            log.appendLines(QStringList(100, QStringLiteral("report")));
            log.setCurrentRow(50);
            QTest::keyClick(&log, key, modifiers);
            ASSERT_EQ(7, log.count()) << "cleared and a fresh header, whatever the modifiers";
            EXPECT_EQ(QString(80, u'*'), log.item(5)->text());
        }
    }
    // Left to itself the list would copy its current line.
    log.appendLines({QStringLiteral("copied?"), QStringLiteral("cat"), QStringLiteral("vat")});
    log.setCurrentRow(7);
    for (Qt::Key key : {Qt::Key_C, Qt::Key_V, Qt::Key_X}) QTest::keyClick(&log, key, Qt::ControlModifier);
    EXPECT_EQ(u"before", clipboard()->text());
    EXPECT_EQ(7, log.currentRow());

    QKeyEvent shifted(QEvent::KeyPress, Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
    QCoreApplication::sendEvent(&log, &shifted);
    EXPECT_FALSE(shifted.isAccepted()) << "Ctrl+Shift+C is not the list's to consume";
    QTest::keyClick(&log, Qt::Key_V);
    EXPECT_EQ(9, log.currentRow()) << "plain letters are the list's own: typing moves to a line";
}

TEST_F(LogListTest, PastTheLimitTheOldestLinesAfterTheHeaderMakeRoom) {
    log.clearLog();
    const QStringList header = log.lines();
    QStringList body;
    for (int i = 0; i <= kMaxLogLines - 7; ++i) body << QString::number(i);
    log.appendLines(body.mid(0, kMaxLogLines - 7));
    log.append(body.last());
    const auto expectKept = [&](const QString &firstAfterHeader, const QString &last) {
        ASSERT_EQ(kMaxLogLines, log.count());
        EXPECT_EQ(header, log.lines().mid(0, 7));
        EXPECT_EQ(firstAfterHeader, log.item(7)->text());
        EXPECT_EQ(last, log.item(kMaxLogLines - 1)->text());
    };
    expectKept(QStringLiteral("1"), body.last());
    log.appendLines(body + body);  // more than the log can hold at all
    expectKept(QStringLiteral("1"), body.last());
}

}  // namespace
