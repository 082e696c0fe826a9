// The main window started on each example device and driven by name.
#include <QAbstractButton>
#include <QAccessible>
#include <QClipboard>
#include <QGuiApplication>
#include <QScreen>
#include <QSettings>
#include <QTest>

#include "window_fixture.h"

namespace {

struct StartCase {
    const char *example;  // empty: no device
    const char *caption;
    bool rev4;  // enabled and ticked
    bool rev5;
    const char *maxPower;  // the defaults' column shows here
    const char *firstLineAfterHeader;
};

}  // namespace

TEST_F(WindowTest, StartNamesTheChipFillsTheDefaultsAndReports) {
    const StartCase cases[] = {
        {"ft232bm", "Device FTU232BM ...", true, false, "50", "Number Device: 1"},
        {"ft2232c", "Device FT2232C ...", false, true, "99", "Number Device: 1"},
        {"ft232r", "Device FT_DEVICE_232R ...", false, false, "00", "Number Device: 1"},
        {"ft8u232am", "Device FT8U232AM ...", false, false, "45", "Number Device: 1"},
        {"two-devices", "Device FTU232BM ...", true, false, "50", "Number Device: 2"},
        {"", "FTDI Device Not Find ...", false, false, "00", "FTDI Device Not Find ..."},
    };
    for (const StartCase &c : cases) {
        SCOPED_TRACE(*c.example ? c.example : "no device");
        start(c.example);
        EXPECT_EQ(QString::fromLatin1(c.caption), window().windowTitle());
        EXPECT_EQ(c.rev4, enabled("Rev4"));
        EXPECT_EQ(c.rev4, ticked("Rev4"));
        EXPECT_EQ(c.rev5, enabled("Rev5"));
        EXPECT_EQ(c.rev5, ticked("Rev5"));
        EXPECT_EQ(c.rev4, enabled("iso_in")) << "the FT2xxBM group follows its box";
        EXPECT_EQ(c.rev5, enabled("IFAIsFifo")) << "the FT2232C group follows its box";
        EXPECT_EQ(c.rev5, ticked("IFAIsFifo"));
        EXPECT_EQ(QString::fromLatin1(c.maxPower), text("max_power"));
        const bool device = *c.example != '\0';
        EXPECT_EQ(device, ticked("default"));
        EXPECT_FALSE(window().timer().isActive());

        const QStringList log = logLines();
        ASSERT_GE(log.size(), 8);
        EXPECT_EQ(QStringLiteral("                         Obsah paměti EEPROM ...."), log[2]);
        EXPECT_EQ(QString::fromLatin1(c.firstLineAfterHeader), log[7]);
        if (device) {
            EXPECT_EQ(QString(94, u'*'), log.last());
        } else {
            EXPECT_EQ(8, log.size()) << "the header and one line, nothing more";
        }
    }
}

TEST_F(WindowTest, ReadFillsTheEditorFromTheEeprom) {
    start("ft2232c");
    click("read1");
    EXPECT_TRUE(ticked("device1"));
    EXPECT_FALSE(ticked("default"));
    const std::pair<const char *, const char *> afterRead[] = {
        {"manufactuer", "FTDI"},       {"Text6", "QV"},      {"Description_", "USB FTDI dual port"},
        {"serial_number", "QV000002"}, {"VendorID", "0403"}, {"ProductID", "6010"}};
    for (auto [box, shown] : afterRead) EXPECT_EQ(QString::fromLatin1(shown), text(box)) << box;
    EXPECT_EQ(u"100", text("max_power")) << "three digits although only two can be typed";
    EXPECT_TRUE(ticked("AIsVCP"));
    EXPECT_TRUE(ticked("IFBIsFifo"));
    EXPECT_FALSE(ticked("IFAIsFifo") || ticked("IFAIsFifoTar") || ticked("IFAIsFastSer")) << "set A holds nothing";
    EXPECT_TRUE(ticked("Rev5")) << "identification runs after the fields";
    EXPECT_FALSE(enabled("Rev4"));
    EXPECT_TRUE(enabled("write1"));
}

TEST_F(WindowTest, ReadThatFailsKeepsTheEditorAndLogsNothing) {
    for (const char *broken : {"", "fail.FT_EE_Read = 11"}) {
        SCOPED_TRACE(*broken ? broken : "device unplugged");
        start("ft232bm");
        find<QLineEdit>("manufactuer")->setText(QStringLiteral("typed"));
        replug(*broken ? std::string("[bm]\nchip = BM\neeprom = ft232bm.bin\n") + broken + "\n" : "");
        const qsizetype lines = logLines().size();
        click("read1");
        EXPECT_EQ(u"typed", text("manufactuer"));
        EXPECT_FALSE(enabled("device1"));
        EXPECT_EQ(lines, logLines().size());
        EXPECT_EQ(*broken ? QStringLiteral("Device FTU232BM ...") : QStringLiteral("FTDI Device Not Find ..."),
                  window().windowTitle());
    }
}

// Stopping auto update through Default is covered with the tick's tests.
TEST_F(WindowTest, DefaultWithNoDeviceFillsZerosAndBlanks) {
    start("ft232bm");
    click("read1");
    replug("");  // unplugged: the defaults of no chip
    click("default");
    EXPECT_TRUE(ticked("default"));
    for (const char *box : {"VendorID", "ProductID", "Text5"}) EXPECT_EQ(u"0000", text(box)) << box;
    EXPECT_EQ(u"00", text("max_power"));
    EXPECT_EQ(u" ", text("manufactuer"));
    EXPECT_FALSE(ticked("plug_and_play"));
}

TEST_F(WindowTest, ChipBoxesEnableTheirGroupsAndKeepValues) {
    start("ft232bm");
    find<QCheckBox>("iso_in")->setChecked(true);
    click("Rev4");
    EXPECT_FALSE(enabled("iso_in"));
    EXPECT_FALSE(enabled("Text5"));
    EXPECT_TRUE(ticked("iso_in"));
    click("Rev4");
    EXPECT_TRUE(enabled("Text5"));
    EXPECT_TRUE(ticked("iso_in"));

    start("ft2232c");
    click("IFAIsFastSer");
    EXPECT_TRUE(ticked("IFAIsFastSer"));
    EXPECT_FALSE(ticked("IFAIsFifo"));
    EXPECT_TRUE(ticked("IFBIsFifo")) << "set B is a set of its own";
    click("IFAIsFastSer");
    EXPECT_TRUE(ticked("IFAIsFastSer")) << "a click never empties a set";
}

TEST_F(WindowTest, KeyFiltersOfProductIdAndMaxPower) {
    start("ft232bm");
    auto *product = find<QLineEdit>("ProductID");
    product->clear();
    QTest::keyClicks(product, QStringLiteral("a-gx1f"));
    QTest::keyClick(product, Qt::Key_Return);
    EXPECT_EQ(u"A1F", product->text());
    QTest::keyClick(product, Qt::Key_Backspace);
    EXPECT_EQ(u"A1", product->text());

    auto *power = find<QLineEdit>("max_power");
    power->clear();
    QTest::keyClicks(power, QStringLiteral("5a.-93"));
    EXPECT_EQ(u"59", power->text()) << "letters, points and signs dropped; two digits at most";

    auto *vendor = find<QLineEdit>("VendorID");
    vendor->clear();
    QTest::keyClicks(vendor, QStringLiteral("-1zzz"));
    EXPECT_EQ(u"-1zz", vendor->text()) << "no filter, four characters";

    // Keys that type nothing, and shortcuts, keep their job in a filtered box.
    window().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window()));
    product->setText(QStringLiteral("6001"));
    product->setFocus();
    for (Qt::Key key : {Qt::Key_Home, Qt::Key_Delete, Qt::Key_Right, Qt::Key_Backspace, Qt::Key_End}) {
        QTest::keyClick(product, key);
    }
    QTest::keyClicks(product, QStringLiteral("b"));
    EXPECT_EQ(u"01B", product->text());
    QTest::keyClick(product, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(product, QStringLiteral("7"));
    EXPECT_EQ(u"7", product->text()) << "Ctrl+A selected the text, the digit replaced it";
    QTest::keyClick(product, Qt::Key_Tab);
    EXPECT_FALSE(product->hasFocus()) << "Tab moves on to the next field";
    EXPECT_EQ(u"7", product->text());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_TRUE(product->hasFocus()) << "and Shift+Tab back";
    power->setText(QStringLiteral("90"));
    power->setFocus();
    for (Qt::Key key : {Qt::Key_Home, Qt::Key_Delete}) QTest::keyClick(power, key);
    EXPECT_EQ(u"0", power->text());
    QTest::keyClick(power, Qt::Key_Tab);
    EXPECT_FALSE(power->hasFocus());
}

TEST_F(WindowTest, SettingsRoundTripAndFirstRun) {
    start("ft232bm");
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    EXPECT_NEAR(screen.center().x(), window().geometry().center().x(), 2) << "first run: centred";
    EXPECT_TRUE(ticked("text_info"));
    EXPECT_TRUE(ticked("binary_info"));
    window().move(30, 45);
    find<QCheckBox>("binary_info")->setChecked(false);
    window().resize(window().width(), window().height() + 60);
    window().close();

    QSettings settings(QStringLiteral("Pelmora"), QStringLiteral("Vantorel"));
    EXPECT_EQ(45 * 15, settings.value("x").toInt()) << "x is the top edge, in twips";
    EXPECT_EQ(30 * 15, settings.value("y").toInt());
    EXPECT_EQ(1, settings.value("text_info").toInt());
    EXPECT_EQ(0, settings.value("binary_info").toInt());
    EXPECT_EQ(window().height() * 15, settings.value("Height").toInt());

    settings.remove("binary_info");
    settings.setValue("text_info", 0);
    settings.setValue("Height", 100);
    settings.sync();
    start("ft232bm");
    EXPECT_EQ(QPoint(30, 45), window().pos());
    EXPECT_FALSE(ticked("binary_info")) << "binary_info takes text_info's state when missing";
    EXPECT_EQ(7020 / 15, window().height());
    EXPECT_EQ(2790 / 15, window().log().height());
    EXPECT_EQ(7 + 2, logLines().size()) << "neither report part: an empty line and the stars";
}

TEST_F(WindowTest, ResizeKeepsTheWidthAndGivesTheHeightToTheLog) {
    start("ft232bm");
    window().show();
    window().resize(900, 700);
    EXPECT_EQ(10215 / 15, window().width());
    EXPECT_EQ(700, window().height());
    EXPECT_EQ(700 - 4230 / 15, window().log().height());
    EXPECT_EQ(3720 / 15, window().log().y());
    window().resize(600, 100);
    EXPECT_EQ(7020 / 15, window().height());
    EXPECT_EQ(2790 / 15, window().log().height());
}

TEST_F(WindowTest, PositionWhollyOffScreenOpensCentredAnyOtherIsKept) {
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    for (auto [left, top, kept] : {std::tuple{-5000, 40, false}, {screen.right() + 10, 0, false},
                                   {screen.right() - 20, screen.bottom() - 20, true}}) {
        QSettings settings(QStringLiteral("Pelmora"), QStringLiteral("Vantorel"));
        settings.setValue("y", left * 15);
        settings.setValue("x", top * 15);
        settings.sync();
        start("ft232bm");
        if (kept) {
            EXPECT_EQ(QPoint(left, top), window().pos());
        } else {
            EXPECT_TRUE(screen.intersects(window().frameGeometry())) << left;
        }
    }
}

TEST_F(WindowTest, ScreenReadersGetEveryCaptionAndTheLogLines) {
    start("ft232bm");
    const std::pair<const char *, const char *> names[] = {
        {"VendorID", "VendorID"},       {"max_power", "Max Power (mA)"},     {"Text6", "ManufacturerID"},
        {"Text5", "FT2xxBM USB Version"}, {"USBVersion5", "FT2232C USB Version"}, {"IFAIsFifoTar", "FIFO CPU target A"},
        {"read1", "Read"},              {"auto_detekce", "Auto Update"},     {"Rev4", "FT2xxBM"}};
    for (auto [control, name] : names) {
        QAccessibleInterface *a11y = QAccessible::queryAccessibleInterface(find(control));
        ASSERT_NE(nullptr, a11y) << control;
        EXPECT_EQ(QString::fromUtf8(name), a11y->text(QAccessible::Name)) << control;
    }
    QAccessibleInterface *list = QAccessible::queryAccessibleInterface(&window().log());
    ASSERT_NE(nullptr, list);
    bool found = false;
    for (int i = 0; i < list->childCount(); ++i) {
        found |= list->child(i)->text(QAccessible::Name) == u"Number Device: 1";
    }
    EXPECT_TRUE(found) << "the log's lines are readable";
}

// Radio buttons to a screen reader, with their checked state, whatever selects them.
TEST_F(WindowTest, OptionButtonsAreAnnouncedAsRadioButtonsWithTheirState) {
    const char *options[] = {"device1",      "default",   "IFAIsFifo",    "IFAIsFifoTar",
                             "IFAIsFastSer", "IFBIsFifo", "IFBIsFifoTar", "IFBIsFastSer"};
    const auto announced = [&](const char *when) {
        SCOPED_TRACE(when);
        for (const char *name : options) {
            QAccessibleInterface *a11y = QAccessible::queryAccessibleInterface(find(name));
            ASSERT_NE(nullptr, a11y) << name;
            EXPECT_EQ(QAccessible::RadioButton, a11y->role()) << name;
            EXPECT_TRUE(a11y->state().checkable) << name;
            EXPECT_EQ(ticked(name), bool(a11y->state().checked)) << name;
        }
    };
    start("ft2232c");
    announced("at start");
    click("read1");
    EXPECT_TRUE(ticked("device1"));
    announced("after Read");
    click("default");
    announced("after Default");
    QAccessible::queryAccessibleInterface(find("IFAIsFastSer"))->actionInterface()->doAction(
        QAccessibleActionInterface::toggleAction());
    EXPECT_TRUE(ticked("IFAIsFastSer")) << "the screen reader's toggle selects";
    EXPECT_FALSE(ticked("IFAIsFifo"));
    click("IFAIsFastSer");
    EXPECT_TRUE(ticked("IFAIsFastSer")) << "and a click never clears";
    announced("after a click");
}

// Write hands over a chip group only for its own chip, so no other chip may show one editable.
TEST_F(WindowTest, ChipGroupsAreEditableExactlyWhenTheirToggleIsTicked) {
    const char *bmGroup[] = {"int_do_serno", "int_pden", "int_usb_ver", "iso_in", "iso_out", "Text5"};
    const char *ft2232cGroup[] = {"IsoInA", "IFAIsFifo", "AIsVCP", "IFBIsFastSer", "PullDownEnable5", "USBVersion5"};
    const auto consistent = [&](const std::string &chip, const char *when) {
        SCOPED_TRACE(chip + when);
        for (const char *name : bmGroup) EXPECT_EQ(ticked("Rev4"), enabled(name)) << name;
        for (const char *name : ft2232cGroup) EXPECT_EQ(ticked("Rev5"), enabled(name)) << name;
        EXPECT_EQ(chip == "0", enabled("Rev4") || ticked("Rev4"));
        EXPECT_EQ(chip == "4", enabled("Rev5") || ticked("Rev5"));
    };
    for (int code = 0; code <= 10; ++code) {
        const std::string chip = code == 10 ? "none" : std::to_string(code);
        copyAllExamples();
        if (code == 10) {
            start();
        } else {
            writeDevices("[d]\nchip = " + chip + "\neeprom = " + (code == 4 ? "ft2232c.bin" : "ft232bm.bin") +
                         "\neeprom_words = " + (code == 4 ? "128" : "64") + "\n");
            start("devices");
        }
        consistent(chip, " at start");
        click("read1");
        consistent(chip, " after Read");
        click("default");
        consistent(chip, " after Default");
    }
}

TEST_F(WindowTest, PasteOverTheLimitInsertsWhatFits) {
    start("ft232bm");
    auto *manufacturer = find<QLineEdit>("manufactuer");
    QGuiApplication::clipboard()->setText(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZ!"));  // 27
    manufacturer->setText(QStringLiteral("ab"));
    manufacturer->setCursorPosition(1);
    manufacturer->paste();
    EXPECT_EQ(QStringLiteral("aABCDEFGHIJKLMNOPQRSTUb"), manufacturer->text()) << "23 characters, as typed";
    EXPECT_EQ(22, manufacturer->cursorPosition());
    manufacturer->paste();
    EXPECT_EQ(23, manufacturer->text().size()) << "a full box takes nothing more";
    manufacturer->selectAll();
    manufacturer->paste();
    EXPECT_EQ(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVW"), manufacturer->text()) << "a selection is replaced";

    auto *power = find<QLineEdit>("max_power");
    power->setText(QStringLiteral("100"));  // set by the program: longer than typing allows
    power->end(false);
    QTest::keyClicks(power, QStringLiteral("5"));
    EXPECT_EQ(u"100", power->text());
}
