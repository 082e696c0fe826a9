// kestrom list and show on simulated devices: what they print, their JSON, and
// their exit codes.
#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cstring>
#include <filesystem>

#include "cli_run.h"

namespace {

QJsonDocument json(const Outcome &outcome) {
    return QJsonDocument::fromJson(QByteArray::fromStdString(outcome.out));
}
// An object as compact JSON, its keys in order.
std::string compact(const QJsonValue &object) {
    return QJsonDocument(object.toObject()).toJson(QJsonDocument::Compact).toStdString();
}

class ListShow : public CliTest {
protected:
    // kestrom copied alone into a program folder, with `library` as its driver if given.
    Outcome listFromProgramFolder(const char *library = nullptr) const {
        const std::filesystem::path folder = path("program");
        std::filesystem::create_directory(folder);
        std::filesystem::copy_file(KESTROM_FILE, folder / "kestrom");
        if (library != nullptr) std::filesystem::copy_file(library, folder / "libftd2xx.so");
        return run(QString::fromStdString((folder / "kestrom").string()), {"list"});
    }
};

TEST_F(ListShow, ListNamesEveryDeviceAndOneThatDoesNotOpenByItsStatus) {
    copyAllExamples();
    useDevicesFile("two-devices.ini");
    Outcome listed = run({"list"});
    EXPECT_EQ(0, listed.exitCode) << listed.err;
    EXPECT_EQ(
        "INDEX  CHIP     VID:PID    SERIAL    DESCRIPTION\n"
        "0      FT232BM  0403:6001  QV000005  USB FTDI port\n"
        "1      FT2232C  0403:6010  QV000006  USB FTDI dual port\n",
        listed.out);

    // Another program holds device 1: its open answers 3.
    FT_HANDLE held = open(1);
    listed = run({"list", "--json"});
    EXPECT_EQ(0, listed.exitCode);
    const QJsonArray devices = json(listed).array();
    ASSERT_EQ(2, devices.size()) << listed.out;
    EXPECT_EQ(R"({"chip":"FT232BM","description":"USB FTDI port","index":0,"serial":"QV000005","status":0,)"
              R"("type":0,"vidPid":"0403:6001"})",
              compact(devices[0]));
    EXPECT_EQ(R"({"chip":null,"description":"USB FTDI dual port","index":1,"serial":"QV000006","status":3,)"
              R"("type":null,"vidPid":null})",
              compact(devices[1]));
    (void)held;
}

TEST_F(ListShow, ListWithoutDevicesSaysSoAndItsJsonIsEmpty) {
    writeDevices("[d]\nchip = BM\npresent = 0\n");
    EXPECT_EQ("No devices.\n", run({"list"}).out);
    const Outcome outcome = run({"list", "--json"});
    EXPECT_EQ(0, outcome.exitCode);
    EXPECT_TRUE(json(outcome).isArray() && json(outcome).array().isEmpty()) << outcome.out;

    writeDevices("[d]\nchip = BM\nserial = S1\nfail.FT_GetDeviceInfo = 4\n");
    EXPECT_EQ(
        "INDEX  CHIP  VID:PID                   SERIAL  DESCRIPTION\n"
        "0      ?     (status 4 (FT IO ERROR))  S1      USB <-> Serial\n",
        run({"list"}).out);
}

TEST_F(ListShow, ShowPrintsEveryFieldOfTheChipWithItsEepromAndTheFt232rsOwnByName) {
    copyAllExamples();
    useDevicesFile("ft232r.ini");
    const Outcome shown = run({"show"});
    EXPECT_EQ(0, shown.exitCode) << shown.err;
    EXPECT_EQ("", shown.err);
    for (const char *line :
         {"Device 0: FT232R 0403:6001, serial \"QV000003\", \"USB FTDI R port\"\n",
          "EEPROM: 64 words (internal), checksum valid\n", "Strings: 60 of 99 bytes\n",
          "User area: 38 bytes\n", "\nDescription      \"USB FTDI R port\"  product description text\n",
          "\nMaxPower         90 ", "\nEndpointSize     64 ", "\nSerNumEnableR    1 ",
          "\nCbus0            TXLED ", "\nCbus3            PWRON ", "\nCbus4            SLEEP ",
          "\nRIsD2XX          0 "}) {
        EXPECT_NE(std::string::npos, shown.out.find(line)) << line << "\nin:\n" << shown.out;
    }
    EXPECT_EQ(std::string::npos, shown.out.find("Rev4")) << "the FT232BM's fields are not the FT232R's";
}

TEST_F(ListShow, ShowJsonIsOneObjectWithTheDocumentedKeysAndTypedValues) {
    copyAllExamples();
    useDevicesFile("two-devices.ini");
    const Outcome shown = run({"show", "--json", "--serial", "QV000006"});
    ASSERT_EQ(0, shown.exitCode) << shown.err;
    const QJsonObject object = json(shown).object();
    EXPECT_EQ((QStringList{"chip", "description", "eeprom", "fields", "index", "serial", "type", "vidPid"}),
              object.keys());
    EXPECT_EQ(1, object["index"].toInt()) << "--serial chose device 1";
    EXPECT_EQ("FT2232C", object["chip"].toString());
    EXPECT_EQ(R"({"checksum":"valid","part":"93C56","stringBytes":66,"stringRoom":101,"userAreaBytes":34,)"
              R"("words":128})",
              compact(object["eeprom"]));
    const QJsonObject fields = object["fields"].toObject();
    EXPECT_EQ(29, fields.size()) << "the FT2232C's record fields";
    EXPECT_EQ(0x0403, fields["VendorId"].toInt());
    EXPECT_EQ(QJsonValue(true), fields["IFBIsFifo"]);
    EXPECT_EQ(QJsonValue(false), fields["IFAIsFifo"]);
    EXPECT_EQ("QV000006", fields["SerialNumber"].toString());
    EXPECT_EQ("QV", fields["ManufacturerId"].toString());
    EXPECT_EQ(0, json(run({"show", "--json", "--serial", "QV000005"})).object()["index"].toInt());

    const Outcome help = run({"show", "--help"});
    EXPECT_EQ(0, help.exitCode);
    EXPECT_NE(std::string::npos, help.out.find("  -h, --help    Show this help.\n"
                                               "  --device <N>  The device with index N (default 0).\n"))
        << help.out;
}

TEST_F(ListShow, ABlankEepromIsShownAsBlankWithoutFields) {
    copyAllExamples();
    useDevicesFile("blank-ft232bm.ini");
    const Outcome text = run({"show"});
    EXPECT_EQ(0, text.exitCode) << text.err;
    EXPECT_NE(std::string::npos, text.out.find("EEPROM: 64 words (93C46), blank\n")) << text.out;
    const Outcome object = run({"show", "--json"});
    EXPECT_EQ(0, object.exitCode);
    EXPECT_TRUE(json(object).object()["fields"].isNull());
    EXPECT_EQ("blank", json(object).object()["eeprom"].toObject()["checksum"].toString());
}

TEST_F(ListShow, FailuresAreOneLineOnStandardErrorWithTheirExitCode) {
    copyAllExamples();
    useDevicesFile("two-devices.ini");
    const struct {
        const char *arguments;  // split at its spaces
        int exitCode;
        const char *said;
    } cases[] = {
        {"show --device 2", 1, "kestrom show: device 2 could not be read: status 2 (FT DEVICE NOT FOUND)\n"},
        {"show --serial NOPE", 1, "kestrom show: no device has the serial number 'NOPE'\n"},
        {"show --device x", 2,
         "kestrom show: --device takes a device index (0, 1, ...), not 'x' (see 'kestrom show --help')\n"},
        {"show --device 1 --serial QV000006", 2, "--device and --serial"},
        {"show extra", 2, "unexpected argument 'extra'"},
        {"list --bogus", 2, "kestrom list: Unknown option 'bogus' (see 'kestrom list --help')\n"}};
    for (const auto &c : cases) {
        const Outcome outcome = run(QString::fromLatin1(c.arguments).split(u' '));
        EXPECT_EQ(c.exitCode, outcome.exitCode) << c.arguments;
        EXPECT_EQ("", outcome.out);
        EXPECT_NE(std::string::npos, outcome.err.find(c.said)) << outcome.err;
        EXPECT_EQ(1, std::count(outcome.err.begin(), outcome.err.end(), '\n')) << outcome.err;
    }
    // Every command that works on one device chooses it the same way.
    writeBytes("t.ini", "[template]\n");
    for (const QStringList &command :
         {QStringList{"dump", "x.bin"}, QStringList{"restore", "two-devices-bm.bin"},
          QStringList{"template", "save", "t2.ini"}, QStringList{"write", "t.ini"}}) {
        const Outcome outcome = run(command + QStringList{"--serial", "NOPE"});
        EXPECT_EQ(1, outcome.exitCode) << command.join(' ').toStdString();
        EXPECT_NE(std::string::npos, outcome.err.find("no device has the serial number 'NOPE'\n"))
            << outcome.err;
    }

    writeDevices("[d]\nchip = BM\neeprom = two-devices-bm.bin\nfail.FT_EE_Read = 4\n[e]\nchip = UNKNOWN\n");
    useDevicesFile("devices.ini");
    const Outcome failed = run({"show"});
    EXPECT_EQ(1, failed.exitCode);
    EXPECT_EQ("kestrom show: the configuration of device 0 could not be read: status 4 (FT IO ERROR)\n",
              failed.err);
    const Outcome unknown = run({"show", "--json", "--device", "1"});
    EXPECT_EQ(0, unknown.exitCode);
    EXPECT_EQ("unknown layout", json(unknown).object()["eeprom"].toObject()["checksum"].toString());

    const Outcome alone = listFromProgramFolder();  // without the driver
    EXPECT_EQ(1, alone.exitCode);
    EXPECT_EQ("kestrom list: library libftd2xx.so Not found ...\n", alone.err);
}

// Device 0's description as a program of another maker could have written it.
void programDescription(FT_HANDLE handle, const char *description) {
    char manufacturer[64] = {}, manufacturerId[16] = {}, text[64] = {}, serial[16] = {};
    FT_PROGRAM_DATA data{};
    data.Signature2 = 0xFFFFFFFF;
    data.Manufacturer = manufacturer, data.ManufacturerId = manufacturerId;
    data.Description = text, data.SerialNumber = serial;
    ASSERT_EQ(FT_OK, FT_EE_Read(handle, &data));
    std::strcpy(text, description);
    ASSERT_EQ(FT_OK, FT_EE_Program(handle, &data));
    FT_Close(handle);
}

TEST_F(ListShow, AChipsControlCharactersArePrintedEscaped) {
    copyAllExamples();
    useDevicesFile("ft232bm.ini");
    programDescription(open(0), "Evil\n\x1b[2J\tport");
    const Outcome listed = run({"list"});
    const Outcome shown = run({"show"});
    for (const Outcome &outcome : {listed, shown}) {
        EXPECT_EQ(0, outcome.exitCode) << outcome.err;
        EXPECT_EQ(std::string::npos, outcome.out.find('\x1b')) << outcome.out;
        EXPECT_EQ(std::string::npos, outcome.out.find("Evil\n")) << outcome.out;
    }
    EXPECT_NE(std::string::npos, listed.out.find("  Evil\\n\\x1B[2J\\tport\n")) << listed.out;
    // In the device's line and in its Description field.
    const std::string escaped = "\"Evil\\n\\x1B[2J\\tport\"";
    size_t count = 0;
    for (size_t at = shown.out.find(escaped); at != std::string::npos; at = shown.out.find(escaped, at + 1))
        ++count;
    EXPECT_EQ(2u, count) << shown.out;
    EXPECT_NE(std::string::npos, run({"list", "--json"}).out.find("Evil\\n\\u001b[2J\\tport"));
}

TEST_F(ListShow, WhatKeepsTheDevicesFromBeingListedIsNamed) {
    // A listing that fails for a device: its texts are the device's own.
    writeDevices(
        "[d]\nchip = BM\nserial = S1\nfail.FT_ListDevices = 4\n"
        "[e]\nchip = BM\nserial = S2\nfail.FT_ListDevices = 4\nfail.FT_Open = 4\n");
    EXPECT_EQ(
        "INDEX  CHIP     VID:PID                   SERIAL  DESCRIPTION\n"
        "0      FT232BM  0403:6001                 S1      USB <-> Serial\n"
        "1      ?        (status 4 (FT IO ERROR))          \n",
        run({"list"}).out);

    // A devices file that is not there is not "No devices."
    for (const char *file : {"nowhere.ini", ""}) {
        useDevicesFile(file);
        const Outcome listed = run({"list"});
        EXPECT_EQ(1, listed.exitCode);
        EXPECT_EQ("", listed.out);
        EXPECT_NE(std::string::npos, listed.err.find("kestrom list: FTD2XX_SIM names ")) << listed.err;
        EXPECT_NE(std::string::npos, listed.err.find(*file ? "does not exist\n" : "is not a readable"))
            << listed.err;
    }
}

TEST_F(ListShow, ADeviceAnotherProgramHoldsIsSaidToBeInUseByEveryCommand) {
    copyAllExamples();
    useDevicesFile("two-devices.ini");
    FT_HANDLE held = open(1);
    const std::string inUse = "status 3 (FT DEVICE NOT OPENED): the device is in use by another program";
    EXPECT_NE(std::string::npos, run({"list"}).out.find("(" + inUse + ")"));
    for (const QStringList &command :
         {QStringList{"show"}, QStringList{"dump", "x.bin"}, QStringList{"restore", "two-devices-bm.bin"},
          QStringList{"template", "save", "t.ini"}}) {
        const Outcome outcome = run(command + QStringList{"--device", "1"});
        EXPECT_EQ(1, outcome.exitCode) << command.join(' ').toStdString();
        EXPECT_NE(std::string::npos, outcome.err.find(inUse + "\n")) << outcome.err;
    }
    (void)held;
}

TEST_F(ListShow, ALibraryWithoutTheD2xxCallsIsNotTakenForNoDevices) {
    writeDevices("[d]\nchip = BM\n");
    const Outcome listed = listFromProgramFolder(NOT_A_DRIVER);
    EXPECT_EQ(1, listed.exitCode);
    EXPECT_EQ(
        "kestrom list: libftd2xx.so is not a D2XX driver: it lacks FT_ListDevices, FT_Open, FT_ReadEE, "
        "FT_Close, FT_GetDeviceInfo, FT_WriteEE, FT_EraseEE, FT_EE_Read, FT_EE_Program, FT_EE_UASize, "
        "FT_EEPROM_Read, FT_EEPROM_Program, FT_GetDeviceInfoDetail\n",
        listed.err);
}

}  // namespace
