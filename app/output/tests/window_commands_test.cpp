// The output commands in the real window: the Edit shortcuts wherever the focus
// is, the menu items, the web page and the About box.
#include <gtest/gtest.h>

#include <QClipboard>
#include <QDesktopServices>
#include <QLabel>
#include <QMenuBar>
#include <QProcess>
#include <QRegularExpression>
#include <map>
#include <QTemporaryDir>

#include "output_commands.h"
#include "queued_dialogs.h"
#include "web_page.h"
#include "window_fixture.h"

namespace {

class UrlRecorder : public QObject {
    Q_OBJECT

public:
    QList<QUrl> opened;

public slots:
    void open(const QUrl &url) { opened << url; }
};

class OutputWindowTest : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        start("ft232bm");
    }
    kestrom::output::OutputCommands &commands() {
        return *window().findChild<kestrom::output::OutputCommands *>();
    }
    void trigger(const char *action) { find<QAction>(action)->trigger(); }
    template <typename Widget = QWidget>
    Widget *inAbout(const char *name) {
        return commands().aboutBox()->findChild<Widget *>(QString::fromLatin1(name));
    }

    QTemporaryDir folder;
};

TEST_F(OutputWindowTest, EditShortcutsActOnTheLogWhereverTheFocusIs) {
    QApplication::setActiveWindow(&window());
    auto &log = window().log();
    auto *field = find<QLineEdit>("manufactuer");
    field->setFocus();
    field->selectAll();
    log.item(2)->setSelected(true);
    const int lines = log.count();

    QTest::keyClick(field, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(log.item(2)->text() + QStringLiteral("\r\n"), QGuiApplication::clipboard()->text());
    QTest::keyClick(field, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(lines + 1, log.count());
    QTest::keyClick(field, Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(lines, log.count()) << "the selected line cut";
    EXPECT_EQ(u"FTDI", field->text()) << "the field's own text untouched";
}

TEST_F(OutputWindowTest, MenuCommandsSaveChooseAndPrintOnOnePrinter) {
    dialogs.saveAnswers.push_back(kestrom::dialogs::SaveDialogChoice{folder.filePath(QStringLiteral("log")), 0});
    trigger("save");
    QFile saved(folder.filePath(QStringLiteral("log.txt")));
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_EQ(logLines().join(QStringLiteral("\r\n")) + QStringLiteral("\r\n"),
              QString::fromUtf8(saved.readAll()));

    dialogs.colourAnswers.push_back(QColor(Qt::red));
    trigger("Command3");
    EXPECT_EQ(QColor(Qt::red), window().palette().color(QPalette::Window));
    dialogs.fontAnswers.push_back(QFont(QStringLiteral("Courier New")));
    trigger("Command4");
    EXPECT_EQ(std::vector<QString>{QStringLiteral("Courier New")}, dialogs.messageTexts());

    // The printer chosen once is the one every later Print uses.
    dialogs.printerAnswers.push_back([&](QPrinter &printer) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(folder.filePath(QStringLiteral("log.pdf")));
        return true;
    });
    trigger("mnuSetupPrinter");
    for (int print = 0; print < 2; ++print) {
        QFile::remove(folder.filePath(QStringLiteral("log.pdf")));
        trigger("mnuPrinter");
        EXPECT_GT(QFile(folder.filePath(QStringLiteral("log.pdf"))).size(), 1000) << print;
    }
    dialogs.printerAnswers.push_back([](QPrinter &) { return false; });  // Cancel
    trigger("mnuSetupPrinter");
    QFile::remove(folder.filePath(QStringLiteral("log.pdf")));
    trigger("mnuPrinter");
    EXPECT_TRUE(QFile::exists(folder.filePath(QStringLiteral("log.pdf")))) << "Cancel keeps the printer";
}

// Qt keeps a printer whose job failed to start active, refusing every later setting.
TEST_F(OutputWindowTest, AFailedPrintLeavesThePrinterUsable) {
    const QString pdf = folder.filePath(QStringLiteral("after.pdf"));
    for (const QString &failing : {QString(), folder.filePath(QStringLiteral("missing/folder/log.pdf"))}) {
        SCOPED_TRACE(failing.toStdString());
        QPrinter &printer = commands().printer();
        printer.setOutputFormat(QPrinter::PdfFormat);  // as Qt has it with no printer installed
        printer.setOutputFileName(failing);
        printer.setPageOrientation(QPageLayout::Landscape);
        trigger("mnuPrinter");
        EXPECT_EQ(QPageLayout::Landscape, commands().printer().pageLayout().orientation()) << "settings kept";
        dialogs.printerAnswers.push_back([&](QPrinter &chosen) {
            chosen.setOutputFormat(QPrinter::PdfFormat);  // "Print to File (PDF)"
            chosen.setOutputFileName(pdf);
            return chosen.outputFileName() == pdf;
        });
        QFile::remove(pdf);
        trigger("mnuSetupPrinter");
        trigger("mnuPrinter");
        QProcess pdftotext;
        pdftotext.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
        ASSERT_TRUE(pdftotext.waitForFinished());
        // Runs of blanks are the PDF reader's guess: compare the visible characters, in order.
        const auto visible = [](QString text) { return text.remove(QRegularExpression(QStringLiteral("\\s"))); };
        const QString printed = visible(QString::fromUtf8(pdftotext.readAllStandardOutput()));
        EXPECT_TRUE(printed.startsWith(visible(logLines().join(QString())))) << printed.toStdString();
    }
}

TEST_F(OutputWindowTest, TheBackgroundColourIsTheWindowsOnlyControlsKeepTheirLook) {
    const char *controls[] = {"Rev4", "IFAIsFifo", "read1", "bm_group", "rev5_ft2232c", "manufactuer_frame"};
    std::map<std::string, QColor> before;
    for (const char *name : controls) before[name] = find(name)->palette().color(QPalette::Window);
    dialogs.colourAnswers = {QColor(Qt::red), QColor(Qt::blue)};
    trigger("Command3");
    trigger("Command3");
    EXPECT_EQ(QColor(Qt::blue), window().palette().color(QPalette::Window));
    EXPECT_EQ(QColor(Qt::blue), find("central")->palette().color(QPalette::Window)) << "the window's own area";
    const QImage shot = window().grab().toImage();
    for (const char *name : controls) {
        QWidget *control = find(name);
        EXPECT_EQ(before[name], control->palette().color(QPalette::Window)) << name;
        const QPoint corner = control->mapTo(&window(), QPoint(2, 2));
        EXPECT_NE(QColor(Qt::blue), shot.pixelColor(corner * shot.devicePixelRatio())) << name << " painted";
    }
    EXPECT_NE(QColor(Qt::blue), window().menuBar()->palette().color(QPalette::Window));
}

TEST_F(OutputWindowTest, OneModelessAboutBoxAllThreeLinksOpenTheHelpPage) {
    UrlRecorder recorder;
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &recorder, "open");
    trigger("Pelmora_on_the_Web");
    QTest::mouseClick(window().menuBar()->findChild<QWidget *>(QStringLiteral("Picture1")), Qt::LeftButton);
    trigger("about_");
    QPointer<kestrom::output::AboutBox> about = commands().aboutBox();
    QTest::mouseClick(inAbout("picIcon"), Qt::LeftButton);
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
    EXPECT_EQ(QList<QUrl>(3, kestrom::output::webPage()), recorder.opened);
    QFile page(kestrom::output::webPage().toLocalFile());
    ASSERT_TRUE(page.open(QIODevice::ReadOnly)) << "the help page is a local file that exists";
    const QString help = QString::fromUtf8(page.readAll());
    for (const char *topic : {"install-udev-rule.sh", "FTD2XX_SIM", "kestrom --report", "FTD2XX_VIDPID"}) {
        EXPECT_TRUE(help.contains(QLatin1String(topic))) << topic;
    }

    trigger("about_");
    EXPECT_EQ(about, commands().aboutBox()) << "a second About shows the same box";
    EXPECT_TRUE(about->isVisible() && !about->isModal());
    EXPECT_EQ(u"O aplikaci", about->windowTitle());
    EXPECT_EQ(QString(21, u' ') + QStringLiteral("Název aplikace: Kestrom"),
              inAbout<QLabel>("about1")->text());
    QTest::mouseClick(inAbout("cmdOK"), Qt::LeftButton);
    EXPECT_TRUE(QTest::qWaitFor([&] { return about.isNull(); }));
    trigger("about_");
    ASSERT_TRUE(commands().aboutBox());
    EXPECT_TRUE(commands().aboutBox()->isVisible()) << "made afresh";
    commands().aboutBox()->close();
}

TEST_F(OutputWindowTest, SystemInfoStartsAKnownToolOrSaysItIsUnavailable) {
    const auto systemInfo = [&](const char *tool, const QByteArray &script) {
        {
            QFile file(folder.filePath(QString::fromLatin1(tool)));
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(script);
            file.setPermissions(file.permissions() | QFileDevice::ExeOwner);
        }  // closed: a file open for writing cannot be run
        commands().setToolFolders({folder.path()});
        trigger("about_");
        QTest::mouseClick(inAbout("cmdSysInfo"), Qt::LeftButton);
        commands().aboutBox()->close();
    };
    systemInfo("not-a-tool", "");
    systemInfo("kinfocenter", "#!/nonexistent/interpreter\n");  // does not start
    const QString marker = folder.filePath(QStringLiteral("started"));
    systemInfo("hardinfo", "#!/bin/sh\ntouch '" + marker.toUtf8() + "'\n");
    EXPECT_TRUE(QTest::qWaitFor([&] { return QFile::exists(marker); }));
    EXPECT_EQ(std::vector<QString>(2, QStringLiteral("System Information Is Unavailable At This Time")),
              dialogs.messageTexts());
}

}  // namespace

#include "window_commands_test.moc"
