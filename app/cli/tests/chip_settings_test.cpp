// Every chip's own settings through the command line on simulated chips: a template
// written to a blank chip shows as it said and decodes so in libftdi1, a saved
// template edited on one line changes that setting alone, and values a pin or chip
// does not take are refused before anything is written.
#include <gtest/gtest.h>

#include <QJsonDocument>
#include <QJsonObject>
#include <functional>

#include "cli_run.h"
#include "ftdi_oracle.h"

namespace {

using kestrom::d2xx::oracle::Settings;
namespace oracle = kestrom::d2xx::oracle;

struct Line {
    const char *text;  // as the template says it
    const char *key;
    QJsonValue shown;                               // in show --json
    std::function<bool(const Settings &)> decoded;  // what libftdi1 reads; null: libftdi1 does not read it
};

struct ChipKind {
    const char *kind;  // of the devices file
    const char *name;  // of the template
    uint32_t type;
    int words;
};

struct Chip : ChipKind {
    std::vector<Line> lines;
    Line edit;  // replaces lines[0] in the saved template
};

std::vector<Chip> chips() {
    using S = const Settings &;
    return {
        {{"232R", "FT232R", FT_DEVICE_232R, 64},
         {{"Cbus0 = IOMODE", "Cbus0", "IOMODE", [](S s) { return s.cbus[0] == 10; }},
          {"InvertRTS = 1", "InvertRTS", true, [](S s) { return (s.invert & 0x04) != 0; }},
          {"HighDriveIOs = 1", "HighDriveIOs", true, [](S s) { return s.highDrive == 1; }},
          {"RIsD2XX = 1", "RIsD2XX", true, [](S s) { return s.channelAVcp == 0; }}},
         {"Cbus0 = CLK12", "Cbus0", "CLK12", [](S s) { return s.cbus[0] == 8; }}},
        {{"2232H", "FT2232H", FT_DEVICE_2232H, 128},
         {{"AIsFifo = 1", "AIsFifo", true, [](S s) { return s.channelAMode == oracle::kFifo245; }},
          {"BIsFastSer = 1", "BIsFastSer", true, [](S s) { return s.channelBMode == oracle::kFastSerial; }},
          {"ADriverType = D2XX", "ADriverType", "D2XX", [](S s) { return s.channelAVcp == 0; }},
          {"BDriverType = 1", "BDriverType", "VCP", [](S s) { return s.channelBVcp == 1; }},
          {"BHDriveCurrent = 16", "BHDriveCurrent", 16, [](S s) { return s.drive[3] == 3; }},
          {"ALSchmittInput = 1", "ALSchmittInput", true, [](S s) { return s.schmitt[0] == 1; }},
          {"PowerSaveEnable = 1", "PowerSaveEnable", true, [](S s) { return s.suspendDbus7 == 1; }}},
         {"AIsFifo = 0", "AIsFifo", false, [](S s) { return s.channelAMode == oracle::kUart; }}},
        {{"4232H", "FT4232H", FT_DEVICE_4232H, 128},
         {{"CRIIsTXDEN = 1", "CRIIsTXDEN", true, [](S s) { return s.rs485[2] == 1; }},
          {"DDriverType = D2XX", "DDriverType", "D2XX", [](S s) { return s.channelDVcp == 0; }},
          {"ADriverType = VCP", "ADriverType", "VCP", [](S s) { return s.channelAVcp == 1; }},
          {"BDriveCurrent = 12", "BDriveCurrent", 12, [](S s) { return s.drive[1] == 2; }},
          {"DSlowSlew = 1", "DSlowSlew", true, [](S s) { return s.slew[3] == 1; }}},
         {"CRIIsTXDEN = 0", "CRIIsTXDEN", false, [](S s) { return s.rs485[2] == 0; }}},
        {{"232H", "FT232H", FT_DEVICE_232H, 128},
         {{"Cbus0 = TXDEN", "Cbus0", "TXDEN", [](S s) { return s.cbus[0] == 9; }},
          {"Cbus9 = IOMODE", "Cbus9", "IOMODE", [](S s) { return s.cbus[9] == 8; }},
          {"IsFT1248 = 1", "IsFT1248", true, [](S s) { return s.channelAMode == oracle::kFt1248; }},
          {"FT1248Lsb = 1", "FT1248Lsb", true, [](S s) { return s.dataOrder == 1; }},
          {"ADDriveCurrent = 8", "ADDriveCurrent", 8, [](S s) { return s.drive[1] == 1; }},
          {"DriverType = D2XX", "DriverType", "D2XX", [](S s) { return s.channelAVcp == 0; }},
          {"SerialNumber = \"H0000001\"", "SerialNumber", "H0000001",
           [](S s) { return s.serial == "H0000001"; }}},
         {"Cbus0 = CLK15", "Cbus0", "CLK15", [](S s) { return s.cbus[0] == 11; }}},
        {{"X", "FT-X", FT_DEVICE_X_SERIES, 128},
         {{"Cbus2 = BCD_CHARGER", "Cbus2", "BCD_CHARGER", [](S s) { return s.cbus[2] == 13; }},
          {"Cbus0 = TXRXLED", "Cbus0", "TXRXLED", [](S s) { return s.cbus[0] == 3; }},
          {"InvertCTS = 1", "InvertCTS", true, [](S s) { return (s.invert & 0x08) != 0; }},
          {"ACDriveCurrent = 12", "ACDriveCurrent", 12, [](S s) { return s.drive[1] == 2; }},
          {"I2CSlaveAddress = 0x0050", "I2CSlaveAddress", 0x50, nullptr},
          {"RS485EchoSuppress = 1", "RS485EchoSuppress", true, nullptr}},
         {"Cbus2 = VBUS_SENSE", "Cbus2", "VBUS_SENSE", [](S s) { return s.cbus[2] == 17; }}},
    };
}

class ChipSettings : public CliTest {
protected:
    void useBlankChips(const Chip &chip) const {
        const std::string words = "\neeprom_words = " + std::to_string(chip.words) + "\n";
        writeDevices(std::string("[d0]\nchip = ") + chip.kind + "\neeprom = d0.bin" + words +
                     "[d1]\nchip = " + chip.kind + "\neeprom = d1.bin" + words);
        std::filesystem::remove(path("d0.bin"));
        std::filesystem::remove(path("d1.bin"));
        useDevicesFile("devices.ini");
    }
    QJsonObject shown(int device) const {
        const Outcome outcome = run({"show", "--json", "--device", QString::number(device)});
        EXPECT_EQ(0, outcome.exitCode) << outcome.err;
        return QJsonDocument::fromJson(QByteArray::fromStdString(outcome.out)).object()["fields"].toObject();
    }
    Settings decoded(const Chip &chip, const char *image) const {
        std::string error;
        const std::vector<uint16_t> image_words = words(readBytes(image));
        const std::optional<Settings> settings = oracle::decode(chip.type, image_words, error);
        EXPECT_TRUE(settings) << error;
        return settings.value_or(Settings{});
    }
    void expectLine(const Chip &chip, const Line &line, const QJsonObject &fields,
                    const Settings &libftdi) const {
        EXPECT_EQ(line.shown, fields[QLatin1String(line.key)]) << chip.name << ": " << line.text;
        if (line.decoded) {
            EXPECT_TRUE(line.decoded(libftdi)) << chip.name << ": libftdi1 disagrees on " << line.text;
        }
    }
};

TEST_F(ChipSettings, ATemplateShowsAndDecodesAsItSaysAndOneEditedLineChangesThatSettingAlone) {
    for (const Chip &chip : chips()) {
        SCOPED_TRACE(chip.name);
        useBlankChips(chip);
        std::string text = std::string("[template]\nchip = ") + chip.name + "\n";
        for (const Line &line : chip.lines) text += std::string(line.text) + "\n";
        writeBytes("rows.ini", text);
        const Outcome written = run({"write", "rows.ini"});
        ASSERT_EQ(0, written.exitCode) << written.err;
        const QJsonObject before = shown(0);
        const Settings libftdi = decoded(chip, "d0.bin");
        for (const Line &line : chip.lines) expectLine(chip, line, before, libftdi);

        ASSERT_EQ(0, run({"template", "save", "saved.ini"}).exitCode);
        std::string saved = readBytes("saved.ini");
        const size_t at = saved.find(std::string("\n") + chip.lines[0].text + "\n");
        ASSERT_NE(std::string::npos, at) << "the saved template says it as the written one\n" << saved;
        saved.replace(at + 1, std::strlen(chip.lines[0].text), chip.edit.text);
        writeBytes("saved.ini", saved);
        ASSERT_EQ(0, run({"write", "saved.ini"}).exitCode);
        QJsonObject expected = before;
        expected[QLatin1String(chip.edit.key)] = chip.edit.shown;
        EXPECT_EQ(expected, shown(0));
        expectLine(chip, chip.edit, shown(0), decoded(chip, "d0.bin"));

        // The saved template carries every setting: a blank chip takes them all.
        ASSERT_EQ(0, run({"write", "saved.ini", "--device", "1"}).exitCode);
        EXPECT_EQ(expected, shown(1));
    }
}

TEST_F(ChipSettings, ValuesAPinOrChipDoesNotTakeAreRefusedBeforeAnythingIsWritten) {
    struct Refused {
        const char *kind;
        int words;
        const char *lines;
        const char *said;
    };
    const Refused cases[] = {
        {"232H", 128, "chip = FT232H\nCbus0 = IOMODE\n",
         "kestrom write: t.ini line 3: Cbus0 = IOMODE: allowed: TRISTATE TXLED RXLED TXRXLED PWREN SLEEP "
         "DRIVE_0 DRIVE_1 TXDEN CLK30 CLK15 CLK7_5\n"},
        {"232H", 128, "Cbus4 = 8\n", "kestrom write: t.ini line 2: Cbus4 = 8: allowed: TRISTATE TXLED"},
        {"4232H", 128, "chip = FT4232H\nCDriveCurrent = 10\n",
         "kestrom write: t.ini line 3: CDriveCurrent = 10: allowed: 4, 8, 12 or 16\n"},
        {"2232H", 128, "chip = FT2232H\nAIsFifo = 1\nAIsFastSer = 1\n",
         "kestrom write: AIsFifo (t.ini line 3) and AIsFastSer (t.ini line 4): a channel has one mode at "
         "most\n"},
        {"X", 128, "chip = FT-X\nCbus0 = CLK30\nSerialNumber = \"ABCDEFGHIJKLMNOP\"\n",
         "kestrom write: t.ini line 3: Cbus0 = CLK30: not a value of Cbus0 (allowed: TRISTATE TXLED RXLED "
         "TXRXLED "
         "PWREN SLEEP DRIVE_0 DRIVE_1 IOMODE TXDEN CLK24 CLK12 CLK6 BCD_CHARGER BCD_CHARGER_N I2C_TXE "
         "I2C_RXF "
         "VBUS_SENSE BITBANG_WR BITBANG_RD TIMESTAMP KEEP_AWAKE)\n"
         "kestrom write: t.ini line 4: SerialNumber = \"ABCDEFGHIJKLMNOP\": 16 bytes, at most 15\n"},
        {"232R", 64, "InvertRTS = 1\nIsFT1248 = 1\n",
         "kestrom write: t.ini line 3: IsFT1248 is not a field of the FT232R\n"},
    };
    for (const Refused &c : cases) {
        SCOPED_TRACE(c.lines);
        writeDevices(std::string("[d0]\nchip = ") + c.kind +
                     "\neeprom = d0.bin\neeprom_words = " + std::to_string(c.words) + "\n");
        useDevicesFile("devices.ini");
        writeBytes("t.ini", std::string("[template]\n") + c.lines);
        const Outcome outcome = run({"write", "t.ini"});
        EXPECT_EQ(2, outcome.exitCode);
        EXPECT_NE(std::string::npos, outcome.err.find(c.said)) << outcome.err;
        EXPECT_FALSE(std::filesystem::exists(path("d0.bin"))) << "the blank chip stays blank";
        EXPECT_TRUE(backups().empty());
    }
    // --set takes the names and numbers of the connected chip's pins.
    writeDevices("[d0]\nchip = 232H\neeprom = d0.bin\neeprom_words = 128\n");
    writeBytes("t.ini", "[template]\nchip = FT232H\n");
    const Outcome set = run({"write", "t.ini", "--set", "Cbus7=IOMODE", "--set", "Cbus8=8"});
    EXPECT_EQ(2, set.exitCode);
    EXPECT_EQ(0u, set.err.find("kestrom write: --set Cbus7=IOMODE: allowed: TRISTATE")) << set.err;
    EXPECT_EQ(std::string::npos, set.err.find("Cbus8")) << set.err;
}

TEST_F(ChipSettings, AnFtdiEepromFileSetsTheNewerChipsDriversRs485AndInversions) {
    writeBytes("quad.conf",
               "cha_vcp=false\nchc_rs485=true\nuse_serial=false\nsuspend_pull_downs=true\n"
               "invert_rxd=true\nfilename=\"quad.bin\"\n");
    useBlankChips(chips()[2]);
    const Outcome written = run({"write", "quad.conf"});
    ASSERT_EQ(0, written.exitCode) << written.err;
    EXPECT_NE(std::string::npos, written.err.find("ignored (no field of the FT4232H): invert_rxd, filename"))
        << written.err;
    const QJsonObject fields = shown(0);
    EXPECT_EQ("D2XX", fields["ADriverType"].toString());
    EXPECT_EQ("VCP", fields["BDriverType"].toString()) << "not named: the chip's";
    EXPECT_TRUE(fields["CRIIsTXDEN"].toBool());
    EXPECT_FALSE(fields["SerNumEnable"].toBool());
    EXPECT_TRUE(fields["PullDownEnable"].toBool());
}

}  // namespace
