// The commands on a virtual chip, under the real USB stack (libusb and libftdi1
// against umockdev, through the virtual-chip tool): what show reads and what a
// template writes are what they are on the simulated device.
#include <gtest/gtest.h>

#include <QJsonDocument>
#include <QJsonObject>

#include "cli_run.h"

namespace {

class OnUsb : public CliTest {
protected:
    void SetUp() override {
        CliTest::SetUp();
#ifdef KESTROM_SANITIZED
        GTEST_SKIP()
            << "the virtual chip's tool runs under umockdev's preload, which the sanitizers do not allow";
#endif
    }
    // `kestrom arguments...` on one virtual chip described by `chip`.
    Outcome onChip(const QStringList &chip, const QStringList &arguments) const {
        return run(QStringLiteral(VIRTUAL_CHIP), chip + QStringList{"--", KESTROM_FILE} + arguments);
    }
    static QJsonObject object(const Outcome &outcome, const char *key) {
        return QJsonDocument::fromJson(QByteArray::fromStdString(outcome.out))
            .object()[QLatin1String(key)]
            .toObject();
    }
};

TEST_F(OnUsb, ShowReadsAndATemplateWritesOnAVirtualChipAsOnTheSimulatedOne) {
    copyAllExamples();
    useDevicesFile("ft232r.ini");
    const Outcome simulated = run({"show", "--json"});
    const Outcome usb =
        onChip({"--chip", "232R", "--image", KESTROM_EXAMPLES_DIR "/ft232r.bin"}, {"show", "--json"});
    ASSERT_EQ(0, usb.exitCode) << usb.err;
    EXPECT_EQ(object(simulated, "fields"), object(usb, "fields"));
    EXPECT_EQ(object(simulated, "eeprom"), object(usb, "eeprom"));

    const QStringList dual{"--chip", "2232C", "--words", "128"};
    const Outcome saved = onChip(dual + QStringList{"--image", KESTROM_EXAMPLES_DIR "/ft2232c.bin"},
                                 {"template", "save", "t.ini"});
    ASSERT_EQ(0, saved.exitCode) << saved.err;
    const Outcome written = onChip(dual + QStringList{"--save", "written.bin"}, {"write", "t.ini"});
    ASSERT_EQ(0, written.exitCode) << written.err;
    EXPECT_EQ(readBytes(KESTROM_EXAMPLES_DIR "/ft2232c.bin"), readBytes("written.bin"));
    EXPECT_NE(std::string::npos, written.err.find("serial driver detached 0 times")) << written.err;
}

TEST_F(OnUsb, ADeviceNodeThatRefusesTheUserNamesTheUdevRuleNotAnotherProgram) {
    const Outcome refused = onChip({"--refuse", "--image", KESTROM_EXAMPLES_DIR "/ft232bm.bin"}, {"show"});
    EXPECT_EQ(1, refused.exitCode);
    EXPECT_NE(std::string::npos,
              refused.err.find("status 3 (FT DEVICE NOT OPENED). This user may not open the "
                               "chip's USB device: install the udev rule"))
        << refused.err;
    EXPECT_EQ(std::string::npos, refused.err.find("in use")) << refused.err;
}

TEST_F(OnUsb, AnFt232hsOwnSettingsAreWrittenThroughUsbAsOnTheSimulatedChip) {
    writeBytes(
        "t.ini",
        "[template]\nchip = FT232H\nCbus0 = TXDEN\nCbus9 = IOMODE\nADDriveCurrent = 8\nDriverType = D2XX\n");
    const QStringList chip{"--chip", "232H", "--words", "128"};
    const Outcome usb = onChip(chip + QStringList{"--save", "usb.bin"}, {"write", "t.ini"});
    ASSERT_EQ(0, usb.exitCode) << usb.err;
    writeDevices("[d]\nchip = 232H\neeprom = simulated.bin\neeprom_words = 128\n");
    useDevicesFile("devices.ini");
    ASSERT_EQ(0, run({"write", "t.ini"}).exitCode);
    EXPECT_EQ(readBytes("simulated.bin"), readBytes("usb.bin"));

    const Outcome shown =
        onChip(chip + QStringList{"--image", QString::fromStdString(file("usb.bin"))}, {"show", "--json"});
    const QJsonObject fields = object(shown, "fields");
    EXPECT_EQ("TXDEN", fields["Cbus0"].toString());
    EXPECT_EQ("IOMODE", fields["Cbus9"].toString());
    EXPECT_EQ(8, fields["ADDriveCurrent"].toInt());
    EXPECT_EQ("D2XX", fields["DriverType"].toString());
}

}  // namespace
