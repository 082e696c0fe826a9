// Printing to a PDF file, read back with poppler's pdftotext: every line, in
// order, page after page, each page laid out alike.
#include <gtest/gtest.h>

#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "print_log.h"
#include "window_fixture.h"

namespace {

struct Word {
    int page;
    double top;  // points
    QString text;
};

// Prints `lines` into a PDF file; the words read back with their pages and places.
std::vector<Word> printed(const QStringList &lines, int &linesPerPage, double *paintTop = nullptr) {
    QTemporaryDir folder;
    const QString pdf = folder.filePath(QStringLiteral("log.pdf"));
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdf);
    kestrom::output::PrintLog(printer, lines);
    linesPerPage = (printer.pageRect(QPrinter::DevicePixel).toRect().height() - 40) / 35;
    if (paintTop != nullptr) *paintTop = printer.pageLayout().paintRect(QPageLayout::Point).top();

    QProcess pdftotext;
    pdftotext.start(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf, QStringLiteral("-")});
    EXPECT_TRUE(pdftotext.waitForFinished());
    static const QRegularExpression tag(
        QString::fromLatin1(R"re(<page |<word [^>]*yMin="([\d.]+)"[^>]*>([^<]*)</word>)re"));
    std::vector<Word> words;
    int page = 0;
    for (const QRegularExpressionMatch &match :
         tag.globalMatch(QString::fromUtf8(pdftotext.readAllStandardOutput()))) {
        if (match.captured(0) == u"<page ") {
            ++page;
        } else {
            words.push_back({page, match.captured(1).toDouble(), match.captured(2)});
        }
    }
    words.push_back({page, 0, QStringLiteral("<end>")});  // carries the page count
    return words;
}

TEST(PrintTest, EveryLineInOrderPageAfterPageEachLaidOutAlikeEmptyLogOneBlankPage) {
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty()) {
        GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
    }
    QStringList lines;
    for (int i = 0; i < 200; ++i) lines << QStringLiteral("line%1").arg(i, 3, 10, QChar(u'0'));
    int perPage = 0;
    double paintTop = 0;
    std::vector<Word> words = printed(lines, perPage, &paintTop);
    ASSERT_TRUE(perPage > 10 && perPage < 150) << "the test wants several pages";
    EXPECT_EQ((200 + perPage - 1) / perPage, words.back().page);
    words.pop_back();
    ASSERT_EQ(200u, words.size());
    const double step = 35.0 * 72 / kestrom::output::kFileResolution;
    // The first line's characters start about one step below the printable area's top.
    EXPECT_GT(words[0].top, paintTop + step / 2);
    EXPECT_LT(words[0].top, paintTop + 2 * step);
    for (size_t i = 0; i < words.size(); ++i) {
        SCOPED_TRACE(i);
        const size_t first = i - i % static_cast<size_t>(perPage);  // of its page
        EXPECT_EQ(lines[static_cast<int>(i)], words[i].text);
        EXPECT_EQ(1 + static_cast<int>(i) / perPage, words[i].page);
        EXPECT_NEAR(words[first].top + step * static_cast<double>(i - first), words[i].top, 0.05);
        EXPECT_NEAR(words[0].top, words[first].top, 0.05) << "every page starts at the same place";
    }
    words = printed({}, perPage);
    ASSERT_EQ(1u, words.size());
    EXPECT_EQ(1, words.back().page);
}

}  // namespace
