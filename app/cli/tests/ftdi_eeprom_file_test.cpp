// ftdi_eeprom configuration files, written from the options that tool documents:
// read with libconfuse, lines named right past comments, and each option mapped to
// the field it sets on each chip or named as ignored.
#include "ftdi_eeprom_file.h"

#include <gtest/gtest.h>

#include <QSet>

#include "ftdi_eeprom_options.h"
#include "qt_print.h"

using namespace kestrom::cli;

namespace {

// A file as users of the tool write them: its example's layout and comments, of
// every kind libconfuse takes (the lines below must come out right past them).
const char kConfig[] =
    "vendor_id=0x0403\t# Vendor ID\n"                                          // 1
    "product_id=0x6001 \t# Product ID\n"                                       // 2
    "\n"                                                                       // 3
    "max_power=100\t\t# Max. power consumption\n"                              // 4
    "\n"                                                                       // 5
    "###########\n"                                                            // 6
    "# Strings #\n"                                                            // 7
    "###########\n"                                                            // 8
    "manufacturer=\"ACME # Inc\"\t\t\t# Manufacturer\n"                        // 9
    "product=\"USB Serial Converter\"\t\t# Product\n"                          // 10
    "serial=\"08-15\"\t\t\t\t# Serial\n"                                       // 11
    "/* a comment\n   over two lines */\n"                                     // 12-13
    "self_powered=false\t// bus powered\n"                                     // 14
    "remote_wakeup=true\n"                                                     // 15
    "use_serial=true\n"                                                        // 16
    "in_is_isochronous=false\n"                                                // 17
    "suspend_pull_downs=true\n"                                                // 18
    "change_usb_version=true\n"                                                // 19
    "usb_version=0x0110\n"                                                     // 20
    "cbus0=TXLED\ncbus1=RXLED\ncbus2=IOMODE\ncbus3=PWREN\ncbus4=SLEEP\n"       // 21-25
    "invert_rxd=true\n"                                                        // 26
    "high_current=true\n"                                                      // 27
    "cha_type=FIFO\nchb_type=CPU\n"                                            // 28-29
    "cha_vcp=false\nchb_vcp=true\n"                                            // 30-31
    "filename=\"eeprom.new\"\t# Filename, leave empty to skip file writing\n"  // 32
    "flash_raw=false\n";                                                       // 33

std::vector<FtdiEepromOption> read(const char *text) {
    QStringList problems;
    auto options = readFtdiEepromFile(QStringLiteral("board.conf"), QByteArray(text), problems);
    EXPECT_TRUE(options) << problems.join(u'\n').toStdString();
    return options ? *options : std::vector<FtdiEepromOption>{};
}

// "Field=value (origin)" for each setting, in order.
QStringList described(const Template &result) {
    QStringList out;
    for (const Setting &s : result.settings) {
        out << QStringLiteral("%1=%2 (%3)")
                   .arg(QLatin1String(s.field->name), formatValue(*s.field, s.value), s.origin);
    }
    return out;
}

TEST(FtdiEepromFile, EachOptionSetsTheFieldItHasOnTheChipAndTheRestAreIgnored) {
    const std::vector<FtdiEepromOption> options = read(kConfig);
    ASSERT_EQ(26u, options.size());
    QStringList problems;
    const Template bm = ftdiEepromTemplate(options, FT_DEVICE_BM, problems);
    EXPECT_TRUE(problems.isEmpty()) << problems.join(u'\n').toStdString();
    EXPECT_EQ((QStringList{"VendorId=0x0403 (board.conf line 1 (vendor_id))",
                           "ProductId=0x6001 (board.conf line 2 (product_id))",
                           "MaxPower=100 (board.conf line 4 (max_power))",
                           "Manufacturer=\"ACME # Inc\" (board.conf line 9 (manufacturer))",
                           "Description=\"USB Serial Converter\" (board.conf line 10 (product))",
                           "SerialNumber=\"08-15\" (board.conf line 11 (serial))",
                           "SelfPowered=0 (board.conf line 14 (self_powered))",
                           "RemoteWakeup=1 (board.conf line 15 (remote_wakeup))",
                           "SerNumEnable=1 (board.conf line 16 (use_serial))",
                           "IsoIn=0 (board.conf line 17 (in_is_isochronous))",
                           "PullDownEnable=1 (board.conf line 18 (suspend_pull_downs))",
                           "USBVersionEnable=1 (board.conf line 19 (change_usb_version))",
                           "USBVersion=0x0110 (board.conf line 20 (usb_version))"}),
              described(bm));
    EXPECT_EQ((QStringList{"cbus0", "cbus1", "cbus2", "cbus3", "cbus4", "invert_rxd", "high_current",
                           "cha_type", "chb_type", "cha_vcp", "chb_vcp", "filename", "flash_raw"}),
              bm.ignored);

    const Template r = ftdiEepromTemplate(options, FT_DEVICE_232R, problems);
    const QStringList rSettings = described(r);
    for (const char *expected :
         {"SerNumEnableR=1 (board.conf line 16 (use_serial))", "PullDownEnableR=1 (", "Cbus0=TXLED (",
          "Cbus2=IOMODE (", "Cbus3=PWRON (", "Cbus4=SLEEP (", "InvertRXD=1 (", "HighDriveIOs=1 (",
          "RIsD2XX=1 (board.conf line 30 (cha_vcp))"}) {
        EXPECT_TRUE(rSettings.join(u'\n').contains(QLatin1String(expected))) << expected;
    }
    EXPECT_EQ((QStringList{"in_is_isochronous", "change_usb_version", "usb_version", "cha_type", "chb_type",
                           "chb_vcp", "filename", "flash_raw"}),
              r.ignored);

    const Template c = ftdiEepromTemplate(options, FT_DEVICE_2232C, problems);
    const QString cSettings = described(c).join(u'\n');
    for (const char *expected :
         {"IsoInA=0 (", "SerNumEnable5=1 (", "USBVersion5=0x0110 (",
          "IFAIsFifo=1 (board.conf line 28 (cha_type))", "IFAIsFifoTar=0 (", "IFAIsFastSer=0 (",
          "IFBIsFifo=0 (", "IFBIsFifoTar=1 (", "AIsVCP=0 (", "BIsVCP=1 ("}) {
        EXPECT_TRUE(cSettings.contains(QLatin1String(expected))) << expected;
    }
    EXPECT_TRUE(c.ignored.contains(u"high_current")) << "the tool applies it to the FT232R alone";
    EXPECT_EQ(8, ftdiEepromTemplate(options, FT_DEVICE_AM, problems).settings.size()) << "the common fields";
    EXPECT_TRUE(problems.isEmpty());
}

TEST(FtdiEepromFile, EveryCbusFunctionNameOfTheToolAndItsOlderSpellingsIsTheChipsNumber) {
    const std::pair<const char *, uint32_t> names[] = {
        {"TXDEN", 0},       {"PWREN", 1},     {"PWRON", 1},      {"RXLED", 2},    {"TXLED", 3},
        {"TXRXLED", 4},     {"TX_RX_LED", 4}, {"SLEEP", 5},      {"CLK48", 6},    {"CLK24", 7},
        {"CLK12", 8},       {"CLK6", 9},      {"IOMODE", 10},    {"IO_MODE", 10}, {"BB_WR", 11},
        {"BITBANG_WR", 11}, {"BB_RD", 12},    {"BITBANG_RD", 12}};
    for (const auto &[name, number] : names) {
        const std::vector<FtdiEepromOption> options =
            read(("cbus1=" + std::string(name) + "\ncha_vcp=true\n").c_str());
        QStringList problems;
        const Template r = ftdiEepromTemplate(options, FT_DEVICE_232R, problems);
        ASSERT_EQ(2u, r.settings.size()) << name;
        EXPECT_EQ(number, r.settings[0].value.number) << name;
        EXPECT_EQ(0u, r.settings[1].value.number) << "cha_vcp = true: the virtual COM port driver, not D2XX";
    }
}

// The tool's words for the FT232H's and X series' pins are the D2XX functions of
// the same meaning, whose names templates and show use.
TEST(FtdiEepromFile, TheToolsPinWordsAreTheFunctionsOfTheSameMeaningOnTheNewerChips) {
    const auto shown = [](const std::string &line, uint32_t chip) {
        QStringList problems;
        const Template result = ftdiEepromTemplate(read(line.c_str()), chip, problems);
        EXPECT_TRUE(problems.isEmpty()) << line << problems.join(u'\n').toStdString();
        return result.settings.size() == 1 ? formatValue(*result.settings[0].field, result.settings[0].value)
                                           : QString();
    };
    // The words both spell alike, then the tool's own words with the function each is.
    const auto expectFunctions = [&](const std::string &option, uint32_t chip, const char *alike,
                                     std::vector<std::pair<std::string, std::string>> renamed) {
        for (const QString &word : QString::fromLatin1(alike).split(u' '))
            renamed.emplace_back(word.toStdString(), word.toStdString());
        for (const auto &[word, name] : renamed)
            EXPECT_EQ(QString::fromStdString(name), shown(option + "=" + word + "\n", chip)) << word;
    };
    expectFunctions("cbush5", FT_DEVICE_232H,
                    "TRISTATE TXLED RXLED TXRXLED PWREN SLEEP DRIVE_0 IOMODE TXDEN CLK30 CLK15 CLK7_5",
                    {{"DRIVE1", "DRIVE_1"}, {"drive_1", "DRIVE_1"}});
    expectFunctions("cbusx3", FT_DEVICE_X_SERIES,
                    "TRISTATE TXLED RXLED TXRXLED PWREN SLEEP DRIVE_0 IOMODE TXDEN CLK24 CLK12 CLK6 I2C_TXE "
                    "I2C_RXF VBUS_SENSE KEEP_AWAKE",
                    {{"DRIVE1", "DRIVE_1"},
                     {"BAT_DETECT", "BCD_CHARGER"},
                     {"BAT_DETECT_NEG", "BCD_CHARGER_N"},
                     {"BB_WR", "BITBANG_WR"},
                     {"BB_RD", "BITBANG_RD"},
                     {"TIME_STAMP", "TIMESTAMP"},
                     {"AWAKE", "KEEP_AWAKE"}});
}

TEST(FtdiEepromFile, WhatTheToolRefusesAndValuesNoFieldTakesAreNamedByLine) {
    QStringList problems;
    EXPECT_FALSE(readFtdiEepromFile(QStringLiteral("x.conf"), "# c\nvendor_id=0x0403\nbogus=1\n", problems));
    EXPECT_EQ(
        (QStringList{"x.conf was read as a configuration file of libftdi1's ftdi_eeprom, as it does not "
                     "start with a [template] section",
                     "x.conf line 3: no such option 'bogus'"}),
        problems);
    problems.clear();
    EXPECT_FALSE(readFtdiEepromFile(QStringLiteral("x.conf"), "# c\n\ncbus0=LED\n", problems));
    EXPECT_EQ(u"x.conf line 3: invalid cbus0 option 'LED'", problems.last());
    problems.clear();
    EXPECT_FALSE(readFtdiEepromFile(QStringLiteral("x.conf"), "self_powered=maybe\n", problems));
    EXPECT_EQ(2, problems.size());

    const std::vector<FtdiEepromOption> options =
        read("# comments\n# more\nmax_power=600\nvendor_id=-1\ncbus4=IOMODE\ncha_type=FT1284\n");
    problems.clear();
    ftdiEepromTemplate(options, FT_DEVICE_232R, problems);
    EXPECT_EQ(
        (QStringList{
            "board.conf line 3: max_power = 600 sets MaxPower: allowed: 0-500, even",
            "board.conf line 4: vendor_id = -1 sets VendorId: allowed: 0x0001-0xFFFF",
            "board.conf line 5: cbus4 = IOMODE sets Cbus4: allowed: TXDEN PWREN RXLED TXLED TXRXLED SLEEP "
            "CLK48 CLK24 CLK12 CLK6"}),
        problems);
    problems.clear();
    ftdiEepromTemplate(options, FT_DEVICE_2232C, problems);
    EXPECT_EQ(u"board.conf line 6: cha_type = FT1284: the FT2232C takes UART, FIFO, OPTO or CPU",
              problems.last());
    problems.clear();
    ftdiEepromTemplate(read("cbush0=IOMODE\ncbush5=IOMODE\ncha_type=FT1284\n"), FT_DEVICE_232H, problems);
    EXPECT_EQ(
        (QStringList{"board.conf line 1: cbush0 = IOMODE sets Cbus0: allowed: TRISTATE TXLED RXLED TXRXLED "
                     "PWREN SLEEP DRIVE_0 DRIVE1 TXDEN CLK30 CLK15 CLK7_5"}),
        problems)
        << "ACBUS5 is general-purpose I/O, ACBUS0 is not; the FT232H has FT1248";
}

TEST(FtdiEepromFile, EveryOptionOfTheToolIsReadAndOnlyFieldsOfTheChipAreSet) {
    QByteArray text;
    for (const FtdiEepromOptionSpec &option : ftdiEepromOptions()) {
        const char *value = option.kind == OptionKind::Flag     ? "false"
                            : option.kind == OptionKind::Text   ? "\"x\""
                            : option.kind == OptionKind::Number ? "0x10"
                                                                : option.choices.back().name;
        text += QByteArray(option.name) + " = " + value + "\n";
    }
    text += "group0_drive = 12ma\n";  // the tool takes its drive currents in any case
    const std::vector<FtdiEepromOption> options = read(text.constData());
    EXPECT_EQ(ftdiEepromOptions().size(), options.size());
    for (const kestrom::eeprom::ChipTable &chip : kestrom::eeprom::chipTables()) {
        SCOPED_TRACE(chip.name);
        QStringList problems;
        const Template result = ftdiEepromTemplate(options, chip.type, problems);
        QSet<QString> setBy;
        for (const Setting &setting : result.settings) {
            EXPECT_TRUE(chipHasField(chip.type, *setting.field));
            setBy << setting.origin.section(u'(', -1).chopped(1);
        }
        EXPECT_EQ(options.size(), size_t(result.ignored.size() + setBy.size() + problems.size()))
            << "each option sets fields, is named as ignored or is refused";
        EXPECT_TRUE(result.ignored.contains(u"release_number"));
        EXPECT_EQ(chip.type != FT_DEVICE_232H, result.ignored.contains(u"group0_drive"));
    }
}

TEST(FtdiEepromFile, CommentsAreBlankedAndLineBreaksKept) {
    EXPECT_EQ(QByteArray("a=1    \n    \nb=\"#x\" \n"), withoutComments("a=1 # c\n// d\nb=\"#x\" \n"));
    EXPECT_EQ(QByteArray("p=/tmp//x \n     \n     \nc=1"), withoutComments("p=/tmp//x \n/* a \n b */\nc=1"));
    EXPECT_EQ(QByteArray("s='a#b'  "), withoutComments("s='a#b'#c"));
}

}  // namespace
