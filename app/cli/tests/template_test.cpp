// kestrom template save and write on simulated devices: a round trip per chip onto
// a blank part, only the named fields changing, --set, ftdi_eeprom files, and bad
// templates refused before anything is written.
#include <gtest/gtest.h>

#include <QJsonDocument>
#include <QJsonObject>
#include <tuple>

#include "cli_run.h"

namespace {

class Templates : public CliTest {
protected:
    void SetUp() override {
        CliTest::SetUp();
        copyAllExamples();
    }
    // show --json of one device: its "fields" and "eeprom".
    QJsonObject shown(int device, const char *part = "fields") const {
        const Outcome outcome = run({"show", "--json", "--device", QString::number(device)});
        EXPECT_EQ(0, outcome.exitCode) << outcome.err;
        return QJsonDocument::fromJson(QByteArray::fromStdString(outcome.out))
            .object()[QLatin1String(part)]
            .toObject();
    }
    void useBoard(const std::string &ini) {
        writeDevices(ini);
        useDevicesFile("devices.ini");
    }
};

struct Chip {
    const char *kind;
    const char *image;
    int words;
};

TEST_F(Templates, ATemplateSavedFromAChipAndWrittenToABlankOneGivesTheSameConfiguration) {
    for (const Chip &chip : {Chip{"AM", "ft8u232am.bin", 64}, Chip{"BM", "ft232bm.bin", 64},
                             Chip{"2232C", "ft2232c.bin", 128}, Chip{"232R", "ft232r.bin", 64}}) {
        SCOPED_TRACE(chip.kind);
        const std::string words = "\neeprom_words = " + std::to_string(chip.words) + "\n";
        useBoard(std::string("[source]\nchip = ") + chip.kind + "\neeprom = " + chip.image + words +
                 "[blank]\nchip = " + chip.kind + "\neeprom = blank-" + chip.image + words);
        const Outcome saved = run({"template", "save", "board.ini"});
        ASSERT_EQ(0, saved.exitCode) << saved.err;
        const Outcome written = run({"write", "board.ini", "--device", "1"});
        ASSERT_EQ(0, written.exitCode) << written.err;
        EXPECT_NE(std::string::npos, written.err.find("note: the EEPROM reads blank")) << written.err;
        EXPECT_EQ(shown(0), shown(1));
        EXPECT_EQ(shown(0, "eeprom"), shown(1, "eeprom"));
    }
}

TEST_F(Templates, OnlyTheFieldsATemplateNamesChangeAndSetComesLast) {
    useDevicesFile("ft232r.ini");
    const QJsonObject before = shown(0);
    writeBytes("part.ini",
               "[template]\nchip = FT232R\nDescription = \"Sensor board\"\nCbus0 = IOMODE\nMaxPower = 100\n");
    const Outcome written = run({"write", "part.ini", "--set", "MaxPower=250", "--set", "InvertRI=1"});
    ASSERT_EQ(0, written.exitCode) << written.err;
    EXPECT_EQ("", written.err);
    EXPECT_EQ(0u, written.out.find("Programmed device 0 (FT232R) from part.ini and read it back\nBackup: "))
        << written.out;
    QJsonObject expected = before;
    expected["Description"] = "Sensor board";
    expected["Cbus0"] = "IOMODE";
    expected["MaxPower"] = 250;
    expected["InvertRI"] = true;
    EXPECT_EQ(expected, shown(0));
    ASSERT_EQ(1u, backups().size());
    EXPECT_EQ(readBytes(KESTROM_EXAMPLES_DIR "/ft232r.bin"), readBytes(backups()[0].string()));
}

TEST_F(Templates, ABadTemplateIsRefusedLineByLineBeforeAnythingIsWritten) {
    useDevicesFile("ft232bm.ini");
    const std::string image = readBytes("ft232bm.bin");
    const std::string longTexts = "[template]\nManufacturer = \"" + std::string(35, 'M') +
                                  "\"\nDescription = \"" + std::string(60, 'D') + "\"\n";
    const struct {
        const char *name, *text, *set, *said;
    } cases[] = {
        {"bad.ini", "[template]\nchip = FT232BM\nBogus = 1\nMaxPower = 501\nRev4 = 1\n", "PnP=2",
         "kestrom write: bad.ini line 3: unknown key 'Bogus'\n"
         "kestrom write: bad.ini line 4: MaxPower = 501: allowed: 0-500, even\n"
         "kestrom write: --set PnP=2: allowed: 0 or 1\n"},
        {"r.ini", "[template]\nchip = FT232R\nCbus0 = TXLED\n", nullptr,
         "kestrom write: r.ini line 2: the template is for an FT232R; the device is an FT232BM\n"},
        {"cbus.ini", "[template]\nCbus0 = TXLED\nRev4 = 0\n", nullptr,
         "kestrom write: cbus.ini line 2: Cbus0 is not a field of the FT232BM\n"},
        {"rev.ini", "[template]\nRev4 = 0\n", nullptr,
         "kestrom write: rev.ini line 2: Rev4 = 0, but this chip's is 1 (the chip sets it)\n"},
        {"long.ini", longTexts.c_str(), nullptr,
         "kestrom write: the texts take 212 bytes, this EEPROM has room for 103: shorten Manufacturer "
         "(long.ini line 2), Description (long.ini line 3), SerialNumber (kept from the chip)\n"}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        writeBytes(c.name, c.text);
        QStringList arguments{"write", c.name};
        if (c.set != nullptr) arguments << "--set" << c.set;
        const Outcome outcome = run(arguments);
        EXPECT_EQ(2, outcome.exitCode);
        EXPECT_EQ(c.said, outcome.err);
        EXPECT_EQ("", outcome.out);
    }
    EXPECT_EQ(image, readBytes("ft232bm.bin"));
    EXPECT_TRUE(backups().empty());
    EXPECT_EQ(2, run({"write", "missing.ini"}).exitCode);
    writeBytes("ok.ini", "[template]\n");
    EXPECT_EQ(
        "kestrom write: --set Bogus=1: unknown field 'Bogus'\n"
        "kestrom write: --set takes Field=Value, not 'PnP'\n",
        run({"write", "ok.ini", "--set", "Bogus=1", "--set", "PnP"}).err);
    const Outcome absent = run({"write", "ok.ini", "--serial", "NOPE"});
    EXPECT_EQ(1, absent.exitCode);
    EXPECT_EQ("kestrom write: no device has the serial number 'NOPE'\n", absent.err);
}

TEST_F(Templates, AnFtdiEepromFileProgramsTheFieldsItHasAndNamesWhatItIgnored) {
    useDevicesFile("ft232r.ini");
    writeBytes("board.conf",
               "# Written for libftdi1's ftdi_eeprom\n"
               "vendor_id=0x0403\nproduct_id=0x6015\n"
               "manufacturer=\"ACME\"\nproduct=\"Sensor\"\nserial=\"AC000001\"\n"
               "max_power=120\t# mA\nself_powered=false\nuse_serial=true\n"
               "cbus0=TXRXLED\ncbus3=IOMODE\ninvert_txd=true\ncha_vcp=false\n"
               "filename=\"eeprom.bin\"\nflash_raw=false\n");
    const Outcome written = run({"write", "board.conf"});
    ASSERT_EQ(0, written.exitCode) << written.err;
    EXPECT_EQ("kestrom write: note: board.conf: ignored (no field of the FT232R): filename, flash_raw\n",
              written.err);
    EXPECT_NE(std::string::npos,
              written.out.find("The device comes back as 0403:6015 after it is plugged in again.\n"));
    const QJsonObject fields = shown(0);
    EXPECT_EQ(0x6015, fields["ProductId"].toInt());
    EXPECT_EQ("Sensor", fields["Description"].toString());
    EXPECT_EQ(120, fields["MaxPower"].toInt());
    EXPECT_EQ("TXRXLED", fields["Cbus0"].toString());
    EXPECT_EQ("RXLED", fields["Cbus1"].toString()) << "not named: kept";
    EXPECT_EQ("IOMODE", fields["Cbus3"].toString());
    EXPECT_TRUE(fields["InvertTXD"].toBool());
    EXPECT_TRUE(fields["RIsD2XX"].toBool()) << "cha_vcp = false: the D2XX driver";
}

TEST_F(Templates, AChipThatDoesNotTakeTheWriteIsAFailureThatNamesTheBackup) {
    writeBytes("t.ini", "[template]\nDescription = \"Other\"\n");
    useBoard("[d]\nchip = UNKNOWN\n");
    const Outcome unknown = run({"write", "t.ini"});
    EXPECT_EQ(1, unknown.exitCode);
    EXPECT_EQ("kestrom write: Kestrom does not know the EEPROM layout of the UNKNOWN (device type 3)\n",
              unknown.err);

    useBoard("[d]\nchip = BM\neeprom = ft232bm.bin\neeprom_words = 64\nwrite_protect = 1\n");
    const Outcome outcome = run({"write", "t.ini"});
    EXPECT_EQ(1, outcome.exitCode);
    EXPECT_EQ(0u, outcome.err.find(
                      "kestrom write: device 0: programming failed: status 12 (FT EEPROM WRITE FAILED); "
                      "the old contents are in "))
        << outcome.err;
    EXPECT_EQ(1, std::count(outcome.err.begin(), outcome.err.end(), '\n'));
}

TEST_F(Templates, AfterAWriteThatNeverEndedTheNextWriteNamesTheBackupOfTheOldContents) {
    useBoard("[d]\nchip = BM\neeprom = ft232bm.bin\neeprom_words = 64\ncrash.FT_EE_Program = during\n");
    writeBytes("t.ini", "[template]\nDescription = \"Other\"\n");
    EXPECT_EQ(137, run({"write", "t.ini"}).exitCode) << "the power went in the middle";
    ASSERT_EQ(1u, backups().size());
    EXPECT_EQ(readBytes(KESTROM_EXAMPLES_DIR "/ft232bm.bin"), readBytes(backups()[0].string()));

    useBoard("[other]\nchip = BM\neeprom = two-devices-bm.bin\neeprom_words = 64\n");
    EXPECT_EQ("", run({"write", "t.ini"}).err) << "a board that reads well is not the one that was cut off";

    useBoard("[d]\nchip = BM\neeprom = ft232bm.bin\neeprom_words = 64\n");
    const Outcome shown = run({"show"});
    EXPECT_EQ(0, shown.exitCode) << shown.err;
    EXPECT_EQ(0u,
              shown.err.find("kestrom show: note: \"Write\" of an FT232BM (serial QV000001) never ended ("))
        << "a damaged chip is shown with the change that left it so: " << shown.err;
    const Outcome again = run({"write", "t.ini"});
    EXPECT_EQ(0, again.exitCode) << again.err;
    EXPECT_EQ(0u,
              again.err.find("kestrom write: note: \"Write\" of an FT232BM (serial QV000001) never ended ("))
        << again.err;
    EXPECT_NE(std::string::npos, again.err.find("its old contents are in " + backups()[0].string() +
                                                " ('kestrom restore' puts them back)\n"))
        << again.err;
}

TEST_F(Templates, AChipHoldingATextNoTemplateLineCanKeepIsNotSaved) {
    useDevicesFile("ft232bm.ini");
    FT_HANDLE handle = open(0);
    char manufacturer[36] = "FTDI", id[20] = "", description[68] = "Tab\there", serial[20] = "QV000001";
    FT_PROGRAM_DATA record{};
    record.Signature2 = 0xFFFFFFFF;
    record.Manufacturer = manufacturer, record.ManufacturerId = id;
    record.Description = description, record.SerialNumber = serial;
    record.VendorId = 0x0403, record.ProductId = 0x6001, record.MaxPower = 90;
    ASSERT_EQ(FT_OK, FT_EE_Program(handle, &record));
    closeAll();
    const Outcome outcome = run({"template", "save", "t.ini"});
    EXPECT_EQ(1, outcome.exitCode);
    EXPECT_EQ(
        "kestrom template: no template can keep what device 0 holds: Description: a text holds no control "
        "characters\n",
        outcome.err);
    EXPECT_FALSE(std::filesystem::exists(path("t.ini")));
}

// Files as users bring them: every option of ftdi_eeprom, included files, and the
// files that cannot be taken as they are, each refused with its reason.
class BroughtFiles : public Templates {};

TEST_F(BroughtFiles, EveryOptionOfFtdiEepromIsTakenOrNamedAsIgnoredAndIncludedFilesAreRead) {
    useDevicesFile("ft232r.ini");
    writeBytes("common.conf", "manufacturer=\"ACME\"\nproduct=\"Sensor\"\n");
    writeBytes("board.conf",
               "release_number=0x0600\ngroup0_drive=8mA\ncbush0=TRISTATE\ncbusx3=AWAKE\n"
               "include(\"common.conf\")\nchc_vcp=false\ncha_rs485=true\nuser_data_addr=0x18\n"
               "eeprom_type=0x46\ndefault_pid=0x6001\nmax_power=200\n");
    const Outcome written = run({"write", "board.conf"});
    ASSERT_EQ(0, written.exitCode) << written.err;
    EXPECT_EQ(
        "kestrom write: note: board.conf: ignored (no field of the FT232R): release_number, group0_drive, "
        "cbush0, cbusx3, chc_vcp, cha_rs485, user_data_addr, eeprom_type, default_pid\n",
        written.err);
    const QJsonObject fields = shown(0);
    EXPECT_EQ("ACME", fields["Manufacturer"].toString());
    EXPECT_EQ("Sensor", fields["Description"].toString());
    EXPECT_EQ(200, fields["MaxPower"].toInt());
}

TEST_F(BroughtFiles, WhatCannotBeTakenAsItIsIsRefusedNamingFileLineAndReasonBeforeAnythingIsWritten) {
    useDevicesFile("ft232bm.ini");
    const std::string image = readBytes("ft232bm.bin");
    using namespace std::string_literals;
    struct Case {
        const char *name;
        std::string text;
        std::string said;
    };
    const Case cases[] = {
        {"raw.conf", "filename=\"eeprom.bin\"\nflash_raw=true\n",
         "raw.conf line 2: flash_raw = true asks for the raw image eeprom.bin to be programmed as it "
         "is: program it with 'kestrom restore eeprom.bin'\n"},
        {"folder.conf", "max_power=100\ninclude(\"/tmp\")\n",
         "folder.conf line 2: include(\"/tmp\"): /tmp cannot be read: it is a folder, not a regular "
         "file\n"},
        {"missing.conf", "include(\"gone.conf\")\n",
         "missing.conf line 1: include(\"gone.conf\"): gone.conf cannot be read: No such file or "
         "directory\n"},
        {"latin1.ini", "[template]\nManufacturer = \"M\xfcller\"\n",
         "latin1.ini line 2: byte 0xfc at column 18 is not UTF-8 text: save the file as UTF-8\n"},
        {"latin1.conf", "max_power=100\nproduct=\"M\xfcller\"\n",
         "latin1.conf line 2: byte 0xfc at column 11 is not UTF-8 text: save the file as UTF-8\n"},
        {"nul.ini", "[template]\nMaxPower = 100\0 200\n"s,
         "nul.ini line 2: a NUL byte at column 15: the file is not text\n"},
        {"nul.conf", "max_power=100\0 200\n"s,
         "nul.conf line 1: a NUL byte at column 14: the file is not text\n"},
        {"empty.ini", "\n", "empty.ini is empty: there is nothing to program\n"},
        {"comments.conf", "# max_power=100\n",
         "comments.conf sets nothing: it holds no option of libftdi1's ftdi_eeprom, and no [template] "
         "section\n"},
        {"chip.ini", "[template]\nchip = FT232BM\n",
         "chip.ini sets no field of the FT232BM: there is nothing to program\n"},
        {"r.conf", "cbus0=TXLED\n",
         "note: r.conf: ignored (no field of the FT232BM): cbus0\n"
         "kestrom write: r.conf sets no field of the FT232BM: there is nothing to program\n"},
        {"unsectioned.ini", "chip = FT232BM\nMaxPower = 100\n",
         "unsectioned.ini was read as a configuration file of libftdi1's ftdi_eeprom, as it does not "
         "start with a [template] section\n"
         "kestrom write: unsectioned.ini line 1: no such option 'chip'\n"}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        writeBytes(c.name, c.text);
        const Outcome outcome = run({"write", c.name});
        EXPECT_EQ(2, outcome.exitCode);
        EXPECT_EQ("kestrom write: " + c.said, outcome.err);
    }
    EXPECT_EQ(image, readBytes("ft232bm.bin"));
    EXPECT_TRUE(backups().empty());
}

TEST_F(BroughtFiles, ATemplateWithAByteOrderMarkOrSpacesInItsSectionIsATemplate) {
    useDevicesFile("ft232bm.ini");
    for (const auto &[name, text, power] :
         {std::tuple{"bom.ini", "\xEF\xBB\xBF[template]\nMaxPower = 120\n", 120},
          std::tuple{"spaced.ini", "# saved\n  [ Template ]\nMaxPower = 140\n", 140}}) {
        SCOPED_TRACE(name);
        writeBytes(name, text);
        const Outcome written = run({"write", name});
        EXPECT_EQ(0, written.exitCode);
        EXPECT_EQ("", written.err);
        EXPECT_EQ(power, shown(0)["MaxPower"].toInt());
    }
}

TEST_F(BroughtFiles, A93C56HoldingA93C46ConfigurationReadsItsTextsAndAWriteKeepsThem) {
    writeBytes("larger.bin", readBytes("ft232bm.bin") + std::string(128, '\xff'));
    useBoard("[d]\nchip = BM\neeprom = larger.bin\neeprom_words = 128\n");
    EXPECT_EQ("valid", shown(0, "eeprom")["checksum"].toString());
    const QJsonObject before = shown(0);
    EXPECT_EQ("USB FTDI port", before["Description"].toString());
    EXPECT_EQ("FTDI", before["Manufacturer"].toString());

    writeBytes("t.ini", "[template]\nMaxPower = 200\n");
    const Outcome written = run({"write", "t.ini"});
    ASSERT_EQ(0, written.exitCode) << written.err;
    EXPECT_EQ("", written.err);
    QJsonObject expected = before;
    expected["MaxPower"] = 200;
    EXPECT_EQ(expected, shown(0)) << "written in the 93C56's own layout, the texts kept";
    const std::vector<uint16_t> after = words(readBytes("larger.bin"));
    EXPECT_NE(0xFFFF, after[0x94 / 2]) << "the strings now sit where a 93C56 keeps them";
}

}  // namespace
