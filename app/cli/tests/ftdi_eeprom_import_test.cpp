// ftdi_eeprom files as public projects write them, written with `kestrom write` to a
// blank simulated chip of each kind: libftdi1's decoder (the library the tool builds
// its images with) reads each option as the tool would have set it, and values a pin
// or chip does not take are refused before anything is written.
#include <gtest/gtest.h>

#include <QJsonDocument>
#include <QJsonObject>
#include <functional>

#include "cli_run.h"
#include "ftdi_oracle.h"

namespace {

namespace oracle = kestrom::d2xx::oracle;
using oracle::Settings;

struct Chip {
    const char *kind;  // of the devices file
    uint32_t type;
    int words;
};

struct Board : Chip {
    const char *file;
    std::function<void(const Settings &)> decoded;  // libftdi1's reading, checked
    QJsonObject shown;                              // settings libftdi1 does not read, from show --json
    const char *ignored;                            // the note naming the options without a field
};

std::vector<Board> boards() {
    return {
        {{"2232H", FT_DEVICE_2232H, 128},
         "# FPGA board: channel A 245 FIFO for the D2XX driver, channel B a serial port\n"
         "vendor_id=0x0403\nproduct_id=0x6010\n"
         "manufacturer=\"ACME\"\nproduct=\"FPGA Board\"\nserial=\"FB000017\"\n"
         "use_serial=true\nmax_power=250\nself_powered=false\nremote_wakeup=false\n"
         "cha_type=FIFO\nchb_type=OPTO\ncha_vcp=false\nchb_vcp=true\n"
         "eeprom_type=0x56\nfilename=\"fpga.bin\"\n",
         [](const Settings &s) {
             EXPECT_EQ(0x6010, s.productId);
             EXPECT_EQ("FPGA Board", s.product);
             EXPECT_EQ(250, s.maxPower);
             EXPECT_EQ(oracle::kFifo245, s.channelAMode);
             EXPECT_EQ(oracle::kFastSerial, s.channelBMode);
             EXPECT_EQ(0, s.channelAVcp);
             EXPECT_EQ(1, s.channelBVcp);
         },
         {{"AIsFifo", true}, {"BIsFastSer", true}, {"RemoteWakeup", false}},
         "ignored (no field of the FT2232H): eeprom_type, filename"},
        {{"4232H", FT_DEVICE_4232H, 128},
         "vendor_id=0x0403\nproduct_id=0x6011\nmanufacturer=\"ACME\"\nproduct=\"Quad RS485\"\n"
         "serial=\"Q4000001\"\nuse_serial=true\nmax_power=100\n"
         "cha_vcp=true\nchb_vcp=true\nchc_vcp=true\nchd_vcp=false\n"
         "cha_rs485=true\nchb_rs485=false\nchc_rs485=true\nchd_rs485=false\n"
         "high_current=true\ninvert_txd=true\n",
         [](const Settings &s) {
             EXPECT_EQ("Quad RS485", s.product);
             EXPECT_EQ(1, s.channelAVcp);
             EXPECT_EQ(1, s.channelBVcp);
             EXPECT_EQ(1, s.channelCVcp);
             EXPECT_EQ(0, s.channelDVcp);
             EXPECT_EQ((std::array<int, 4>{1, 0, 1, 0}), s.rs485);
         },
         {{"DDriverType", "D2XX"}, {"CRIIsTXDEN", true}},
         "ignored (no field of the FT4232H): high_current, invert_txd"},
        {{"232H", FT_DEVICE_232H, 128},
         "# JTAG adapter: MPSSE on ADBUS, ACBUS9 a GPIO, activity LEDs\n"
         "vendor_id=0x0403\nproduct_id=0x6014\nmanufacturer=\"ACME\"\nproduct=\"JTAG-HS\"\n"
         "serial=\"JH000002\"\nuse_serial=true\nmax_power=500\nsuspend_pull_downs=true\n"
         "cha_type=FT1284\ncha_vcp=false\ngroup0_drive=16MA\n"
         "cbush0=TRISTATE\ncbush3=TXRXLED\ncbush4=PWREN\ncbush7=DRIVE1\ncbush8=CLK7_5\n"
         "cbush9=IOMODE\ncbus0=TXLED\n",
         [](const Settings &s) {
             EXPECT_EQ(500, s.maxPower);
             EXPECT_EQ(1, s.pullDowns);
             EXPECT_EQ(oracle::kFt1248, s.channelAMode);
             EXPECT_EQ(0, s.channelAVcp);
             EXPECT_EQ(3, s.drive[0]) << "group 0 is ACBUS, 16 mA";
             EXPECT_EQ(0, s.cbus[0]);
             EXPECT_EQ(3, s.cbus[3]);
             EXPECT_EQ(4, s.cbus[4]);
             EXPECT_EQ(7, s.cbus[7]);
             EXPECT_EQ(12, s.cbus[8]);
             EXPECT_EQ(8, s.cbus[9]);
         },
         {{"ACDriveCurrent", 16}, {"ADDriveCurrent", 4}, {"Cbus9", "IOMODE"}, {"IsFifo", false}},
         "ignored (no field of the FT232H): cbus0"},
        {{"X", FT_DEVICE_X_SERIES, 128},
         "vendor_id=0x0403\nproduct_id=0x6015\nmanufacturer=\"ACME\"\nproduct=\"USB UART\"\n"
         "serial=\"XU000003\"\nuse_serial=true\nmax_power=90\nself_powered=false\n"
         "cbusx0=TXLED\ncbusx1=RXLED\ncbusx2=VBUS_SENSE\ncbusx3=DRIVE1\n"
         "invert_txd=true\ninvert_rts=true\ncha_vcp=true\ngroup0_drive=8MA\n",
         [](const Settings &s) {
             EXPECT_EQ("USB UART", s.product);
             EXPECT_EQ((std::array<int, 4>{1, 2, 17, 7}),
                       (std::array<int, 4>{s.cbus[0], s.cbus[1], s.cbus[2], s.cbus[3]}));
             EXPECT_EQ(0x05, s.invert) << "TXD and RTS";
         },
         {{"DriverType", "VCP"}, {"Cbus3", "DRIVE_1"}, {"InvertRXD", false}},
         "ignored (no field of the FT-X): group0_drive"},
        {{"232R", FT_DEVICE_232R, 64},
         "vendor_id=0x0403\nproduct_id=0x6001\nmanufacturer=\"ACME\"\nproduct=\"Serial Cable\"\n"
         "serial=\"SC000004\"\nuse_serial=true\nmax_power=90\n"
         "cbus0=TXLED\ncbus1=RXLED\ncbus2=TXDEN\ncbus3=PWREN\ncbus4=SLEEP\n"
         "high_current=true\ninvert_rts=true\ncha_vcp=false\ncbush0=TXLED\n",
         [](const Settings &s) {
             EXPECT_EQ((std::array<int, 5>{3, 2, 0, 1, 5}),
                       (std::array<int, 5>{s.cbus[0], s.cbus[1], s.cbus[2], s.cbus[3], s.cbus[4]}));
             EXPECT_EQ(0x04, s.invert);
             EXPECT_EQ(0, s.channelAVcp) << "cha_vcp = false: the D2XX driver";
         },
         {{"HighDriveIOs", true}, {"RIsD2XX", true}},
         "ignored (no field of the FT232R): cbush0"},
    };
}

class FtdiEepromImport : public CliTest {
protected:
    void useBlankChip(const char *kind, int words) const {
        writeDevices(std::string("[d]\nchip = ") + kind +
                     "\neeprom = d.bin\neeprom_words = " + std::to_string(words) + "\n");
        std::filesystem::remove(path("d.bin"));
        useDevicesFile("devices.ini");
    }
};

TEST_F(FtdiEepromImport, EachChipTakesTheOptionsTheToolSetsOnIt) {
    for (const Board &board : boards()) {
        SCOPED_TRACE(board.kind);
        useBlankChip(board.kind, board.words);
        writeBytes("board.conf", board.file);
        const Outcome written = run({"write", "board.conf"});
        ASSERT_EQ(0, written.exitCode) << written.err;
        EXPECT_NE(std::string::npos, written.err.find(board.ignored)) << written.err;

        std::string error;
        const std::optional<Settings> libftdi = oracle::decode(board.type, words(readBytes("d.bin")), error);
        ASSERT_TRUE(libftdi) << error;
        EXPECT_EQ(0x0403, libftdi->vendorId);
        EXPECT_EQ("ACME", libftdi->manufacturer);
        EXPECT_EQ(1, libftdi->useSerial);
        board.decoded(*libftdi);

        const Outcome show = run({"show", "--json"});
        const QJsonObject fields =
            QJsonDocument::fromJson(QByteArray::fromStdString(show.out)).object()["fields"].toObject();
        const auto text = [](const QString &key, const QJsonValue &value) {
            return QJsonDocument(QJsonObject{{key, value}}).toJson(QJsonDocument::Compact).toStdString();
        };
        for (auto it = board.shown.begin(); it != board.shown.end(); ++it)
            EXPECT_EQ(text(it.key(), it.value()), text(it.key(), fields[it.key()]));
    }
}

TEST_F(FtdiEepromImport, ValuesAPinOrChipDoesNotTakeAreRefusedBeforeAnythingIsWritten) {
    struct Refused {
        const char *kind;
        const char *file;
        const char *said;
    };
    const Refused cases[] = {
        // A pin without the function.
        {"232H", "use_serial=true\ncbush1=IOMODE\n",
         "kestrom write: board.conf line 2: cbush1 = IOMODE sets Cbus1: allowed: TRISTATE TXLED RXLED "
         "TXRXLED "
         "PWREN SLEEP DRIVE_0 DRIVE1 TXDEN CLK30 CLK15 CLK7_5\n"},
        // A channel type the chip lacks.
        {"2232H", "cha_type=UART\nchb_type=FT1284\n",
         "kestrom write: board.conf line 2: chb_type = FT1284: the FT2232H takes UART, FIFO, OPTO or CPU\n"},
        // A number out of the setting's range, a text too long for the chip.
        {"4232H", "max_power=510\nserial=\"0123456789ABCDEF\"\n",
         "kestrom write: board.conf line 1: max_power = 510 sets MaxPower: allowed: 0-500, even\n"
         "kestrom write: board.conf line 2: serial = \"0123456789ABCDEF\" sets SerialNumber: 16 bytes, at "
         "most 15\n"},
        // A word the tool does not know for the pin: another chip's function.
        {"X", "cbusx0=CLK30\n", "kestrom write: board.conf line 1: invalid cbusx0 option 'CLK30'\n"},
    };
    for (const Refused &c : cases) {
        SCOPED_TRACE(c.file);
        useBlankChip(c.kind, 128);
        writeBytes("board.conf", c.file);
        const Outcome outcome = run({"write", "board.conf"});
        EXPECT_EQ(2, outcome.exitCode);
        EXPECT_NE(std::string::npos, outcome.err.find(c.said)) << outcome.err;
        EXPECT_FALSE(std::filesystem::exists(path("d.bin"))) << "the blank chip stays blank";
        EXPECT_TRUE(backups().empty());
    }
}

}  // namespace
