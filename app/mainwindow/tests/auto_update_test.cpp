// Auto update driven tick by tick while devices are plugged, unplugged and swapped
// by editing the devices file.
#include "editor_controls.h"
#include "window_fixture.h"

namespace {

const char *const kBm = "[bm]\nchip = BM\neeprom = ft232bm.bin\n";
const char *const kFt2232c = "[dual]\nchip = 2232C\neeprom = ft2232c.bin\neeprom_words = 128\n";

}  // namespace

class AutoUpdateTest : public WindowTest {
protected:
    void tick() { window().tick(); }
    QString caption() { return window().windowTitle(); }
    // Every editor control and the four commands greyed, as while no device answers.
    bool allGreyed() {
        bool greyed = true;
        for (const auto &control : kestrom::mainwindow::editorControls()) {
            greyed &= !enabled(control.objectName);
        }
        for (const char *command : {"write1", "eeprom_erase", "eeprom_refresh", "default"}) {
            greyed &= !enabled(command);
        }
        return greyed;
    }
};

TEST_F(AutoUpdateTest, FollowsPluggingUnpluggingAndAnotherDevice) {
    start();  // nothing plugged
    click("auto_detekce");
    EXPECT_TRUE(window().timer().isActive());
    EXPECT_FALSE(enabled("read1"));
    tick();
    EXPECT_TRUE(allGreyed());
    EXPECT_TRUE(enabled("auto_detekce"));

    replug(kFt2232c);
    tick();
    EXPECT_EQ(u"Device FT2232C ...", caption());
    EXPECT_TRUE(enabled("write1") && enabled("VendorID") && enabled("Rev5") && enabled("IsoInA"));
    EXPECT_FALSE(enabled("Rev4") || enabled("iso_in"));
    EXPECT_EQ(u" ", text("manufactuer")) << "the EEPROM is read on the next tick";
    tick();
    EXPECT_EQ(u"USB FTDI dual port", text("Description_"));
    EXPECT_EQ(u"100", text("max_power"));

    find<QLineEdit>("max_power")->setText(QStringLiteral("12"));
    tick();
    EXPECT_EQ(u"100", text("max_power")) << "a wanted read overwrites what was typed";

    replug("");
    tick();
    EXPECT_TRUE(allGreyed());
    EXPECT_EQ(u"FTDI Device Not Find ...", caption());
    EXPECT_FALSE(enabled("device1"));
    EXPECT_TRUE(enabled("auto_detekce"));
    tick();
    EXPECT_TRUE(allGreyed()) << "and on every tick while it stays away";

    replug(kBm);
    tick();
    EXPECT_EQ(u"Device FTU232BM ...", caption());
    EXPECT_TRUE(enabled("Rev4") && ticked("Rev4") && enabled("iso_in"));
    EXPECT_FALSE(enabled("Rev5") || enabled("IsoInA"));
    tick();
    EXPECT_EQ(u"USB FTDI port", text("Description_"));

    replug(kFt2232c);  // swapped between two ticks
    tick();
    EXPECT_EQ(u"Device FT2232C ...", caption());
    EXPECT_EQ(u"USB FTDI dual port", text("Description_"));
}

TEST_F(AutoUpdateTest, AnUnreadableEepromIsNotReadAgainUntilTheIdChanges) {
    start("ft232bm");
    replug(std::string(kBm) + "fail.FT_EE_Read = 11\n");
    find<QLineEdit>("manufactuer")->setText(QStringLiteral("typed"));
    click("auto_detekce");  // selects Device, whose read fails
    EXPECT_FALSE(enabled("device1"));
    tick();

    replug(kBm);  // readable now, same ID
    tick();
    tick();
    EXPECT_EQ(u"typed", text("manufactuer"));
    EXPECT_FALSE(enabled("device1"));

    replug(std::string(kBm) + "id = 0x04036015\n");
    tick();
    EXPECT_TRUE(enabled("device1"));
    EXPECT_EQ(u"typed", text("manufactuer"));
    tick();
    EXPECT_EQ(u"FTDI", text("manufactuer"));
}

TEST_F(AutoUpdateTest, DefaultOrUncheckingStopsIt) {
    start("ft232bm");
    click("auto_detekce");
    tick();
    EXPECT_EQ(u"90", text("max_power"));
    click("default");
    EXPECT_FALSE(ticked("auto_detekce"));
    EXPECT_FALSE(window().timer().isActive());
    EXPECT_TRUE(enabled("read1"));
    EXPECT_TRUE(ticked("default"));
    EXPECT_FALSE(ticked("device1"));
    EXPECT_EQ(u"50", text("max_power")) << "the FT232BM's defaults, not its EEPROM";
    EXPECT_TRUE(ticked("Rev4"));

    click("auto_detekce");
    EXPECT_EQ(u"90", text("max_power")) << "selecting Device reads the EEPROM";
    find<QLineEdit>("max_power")->setText(QStringLiteral("12"));
    click("auto_detekce");
    EXPECT_FALSE(window().timer().isActive());
    EXPECT_TRUE(enabled("read1"));
    EXPECT_EQ(u"12", text("max_power")) << "Device was selected already: nothing read";
}

TEST_F(AutoUpdateTest, ClosingTheWindowStopsItWhileTheAboutBoxStaysOpen) {
    start("ft232bm");
    click("auto_detekce");
    find<QAction>("about_")->trigger();
    window().close();
    EXPECT_FALSE(window().timer().isActive());
    for (QWidget *top : QApplication::topLevelWidgets()) {
        if (top->objectName() == u"About") top->close();
    }
}
