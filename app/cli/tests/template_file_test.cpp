// Kestrom's template files: what they take, every refused line named, and texts
// that come back exactly as they were saved.
#include "template_file.h"

#include <gtest/gtest.h>

#include "qt_print.h"
#include "template_apply.h"

using namespace kestrom::cli;

namespace {

std::optional<Template> parse(const char *text, QStringList &problems) {
    return parseTemplate(QStringLiteral("t.ini"), QByteArray(text), problems);
}

TEST(TemplateFile, AKestromTemplateStartsWithItsSection) {
    EXPECT_TRUE(isKestromTemplate("# comment\n\n; another\n[template]\nchip = BM\n"));
    EXPECT_TRUE(isKestromTemplate("  [Template]  \n"));
    EXPECT_FALSE(isKestromTemplate("vendor_id=0x0403\n[template]\n"));
    EXPECT_FALSE(isKestromTemplate(""));
}

TEST(TemplateFile, SettingsKeepTheirLinesAndTheChipKind) {
    QStringList problems;
    const auto result = parse(
        "# a template\n[template]\nchip = ft232r\n\nvendorid = 0x1234 ; a comment\n"
        "Cbus0 = clk48\nDescription = \"Board; rev \\\"B\\\"\"\nManufacturer = ACME Inc\n",
        problems);
    ASSERT_TRUE(result) << problems.join(u'\n').toStdString();
    EXPECT_EQ(FT_DEVICE_232R, result->chip);
    EXPECT_EQ(u"t.ini line 3", result->chipOrigin);
    ASSERT_EQ(4u, result->settings.size());
    EXPECT_EQ(std::string("VendorId"), result->settings[0].field->name);
    EXPECT_EQ(0x1234u, result->settings[0].value.number);
    EXPECT_EQ(u"t.ini line 5", result->settings[0].origin);
    EXPECT_EQ(6u, result->settings[1].value.number);
    EXPECT_EQ(u"Board; rev \"B\"", result->settings[2].value.text);
    EXPECT_EQ(u"ACME Inc", result->settings[3].value.text) << "a text may go without quotes";
}

TEST(TemplateFile, EveryRefusedLineIsNamedAndNothingIsTaken) {
    QStringList problems;
    const auto result = parse(
        "[template]\n"                        // 1
        "chip = FT9000\n"                     // 2
        "Bogus = 1\n"                         // 3
        "MaxPower = 600\n"                    // 4
        "PnP = 1\n"                           // 5
        "pnp = 0\n"                           // 6
        "ManufacturerId = \"QV\"\n"           // 7
        "Description = \"half ; a comment\n"  // 8
        "  SerialNumber = \"X\"\n"            // 9
        "just words\n"                        // 10
        "SerialNumber = \"\\x41\"\n"          // 11
        "[other]\n"                           // 12
        "VendorId = 0x0403\n"                 // 13
        "[template]\n"                        // 14
        "Manufacturer = \"A\" B\n",           // 15
        problems);
    EXPECT_FALSE(result);
    const QStringList expected{
        "t.ini line 2: chip = FT9000: not a chip Kestrom knows (FT8U232AM, FT232BM, FT2232C, FT232R, FT2232H, FT4232H, FT232H, FT-X)",
        "t.ini line 3: unknown key 'Bogus'",
        "t.ini line 4: MaxPower = 600: allowed: 0-500, even",
        "t.ini line 6: pnp is set twice (first on line 5)",
        "t.ini line 7: ManufacturerId is not stored in the EEPROM: it reads as the first two characters of "
        "SerialNumber (not stored)",
        "t.ini line 8: Description = \"half: the closing quote is missing (a ';' after a space starts a "
        "comment: "
        "write \\;)",
        "t.ini line 9: a key starts at the beginning of its line",
        "t.ini line 11: SerialNumber = \"\\x41\": inside quotes a backslash goes before \\, \" or ; only",
        "t.ini line 13: keys belong in the [template] section",
        "t.ini line 15: Manufacturer = \"A\" B: something follows the closing quote",
        "t.ini line 10: not a [section] or key = value line",
    };
    EXPECT_EQ(expected, problems);

    // A line longer than the reader's buffer is refused, not cut.
    problems.clear();
    const std::string longLine = "[template]\nDescription = \"" + std::string(250, 'x') + "\"\n";
    EXPECT_FALSE(parse(longLine.c_str(), problems));
    ASSERT_FALSE(problems.isEmpty());
    EXPECT_EQ(u"t.ini line 2: longer than 198 bytes", problems.first());
}

TEST(TemplateFile, ASavedTemplateReadsBackAsTheContentsItWasSavedFrom) {
    EepromContents contents = kestrom::d2xx::chipDefaults(FT_DEVICE_2232C);
    contents.manufacturer = "A \\ B ; C \"D\" #E";
    contents.description = "  spaced  ";
    contents.serialNumber = "Žluť;";
    contents.fields.IFBIsFastSer = 1;
    contents.fields.USBVersion5 = 0x0110;
    const QByteArray text = templateText(FT_DEVICE_2232C, contents, QStringLiteral("a test"));
    QStringList problems;
    const auto result = parseTemplate(QStringLiteral("saved.ini"), text, problems);
    ASSERT_TRUE(result) << problems.join(u'\n').toStdString() << text.toStdString();
    EXPECT_EQ(FT_DEVICE_2232C, result->chip);
    EepromContents read;
    for (const Setting &setting : result->settings) setValue(*setting.field, read, setting.value);
    for (const FieldSpec *field : chipFields(FT_DEVICE_2232C)) {
        EXPECT_EQ(valueOf(*field, contents), valueOf(*field, read)) << field->name;
    }
    EXPECT_TRUE(text.contains("\n# channel B: fast serial (one mode at most): 0 or 1\nIFBIsFastSer = 1\n"))
        << "each key has its comment";
}

TEST(TemplateFile, ASecondModeOnAChannelIsRefusedNamingWhereEachCameFrom) {
    EepromContents chip = kestrom::d2xx::chipDefaults(FT_DEVICE_2232C);
    chip.fields.IFBIsFifo = 1;
    QStringList problems;
    const auto result = parse("[template]\nIFBIsFastSer = 1\nIFAIsFifoTar = 1\n", problems);
    ASSERT_TRUE(result);
    EXPECT_FALSE(applyTemplate(*result, FT_DEVICE_2232C, chip, 128, problems));
    EXPECT_EQ(
        QStringList{
            "IFBIsFifo (kept from the chip) and IFBIsFastSer (t.ini line 2): a channel has one mode at most"},
        problems);
}

}  // namespace
