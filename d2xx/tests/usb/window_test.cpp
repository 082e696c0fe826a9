// The window on a virtual chip, on Qt's offscreen platform: Read and Write go to
// the chip over USB, and a chip whose device node refuses the user gets one more
// log line after the report, naming the udev rule.
#include <QAbstractButton>
#include <QLineEdit>

#include "device_access.h"
#include "main_window.h"
#include "program_folder.h"
#include "usb_fixture.h"

namespace kestrom::virtualchip {
namespace {

class WindowOnUsb : public VirtualUsb {
protected:
    mainwindow::MainWindow &start() {
        static platform::Libraries libraries(platform::programFolder());
        window_ = std::make_unique<mainwindow::MainWindow>(libraries);
        window_->show();
        return *window_;
    }
    void TearDown() override {
        window_.reset();
        VirtualUsb::TearDown();
    }
    void click(const char *name) { window_->findChild<QAbstractButton *>(QString::fromLatin1(name))->click(); }
    QLineEdit *box(const char *name) { return window_->findChild<QLineEdit *>(QString::fromLatin1(name)); }
    QString lastLine(int back = 0) {
        const QStringList lines = window_->log().lines();
        return lines.size() > back ? lines[lines.size() - 1 - back] : QString();
    }

private:
    std::unique_ptr<mainwindow::MainWindow> window_;
};

TEST_F(WindowOnUsb, ReadAndWriteGoToTheChip) {
    VirtualChip &chip = plug({ChipKind::FT232BM, 64, example("ft232bm.bin")});
    start();
    click("read1");
    EXPECT_EQ(box("Description_")->text().toStdString(), "USB FTDI port");
    box("Description_")->setText(QStringLiteral("Written over USB"));
    click("write1");
    EXPECT_EQ(lastLine(1).toStdString(), "***  EEPROM successfully written!  ***");
    d2xx::EepromContents written;
    ASSERT_EQ(d2xx::decode(FT_DEVICE_BM, chip.eeprom(), written), FT_OK);
    EXPECT_EQ(written.description, "Written over USB");
    box("Description_")->clear();
    click("read1");
    EXPECT_EQ(box("Description_")->text().toStdString(), "Written over USB");
    EXPECT_EQ(chip.driverDetaches(), 0u);
}

TEST_F(WindowOnUsb, ARefusedDeviceNodeAddsTheUdevRuleAfterTheLinesOfTheFailure) {
    plug({ChipKind::FT232BM, 64, example("ft232bm.bin")}, FaultPlan().refuseNode());
    const WithoutFileOverride asUser;
    start();
    EXPECT_EQ(lastLine(1).toStdString(), "FTDI Device Not Find ...");
    EXPECT_EQ(lastLine().toStdString(), reports::UdevRuleHint().toStdString());
    click("eeprom_refresh");
    EXPECT_TRUE(lastLine(3).startsWith(QStringLiteral("FT_EE_READ failed --> "))) << "after the report's own lines";
    EXPECT_EQ(lastLine().toStdString(), reports::UdevRuleHint().toStdString());
}

}  // namespace
}  // namespace kestrom::virtualchip
