// Every setting of the FT232R, FT2232H, FT4232H, FT232H and FT-X through the command
// line, over rows of values from the chip tables: a template written with `kestrom
// write` shows in `show --json` as it said and libftdi1 reads the EEPROM so, on the
// simulated chip and on the virtual USB chip alike. On the virtual chip, a template
// saved and edited on one line changes that setting alone, and a value a pin or chip
// does not take is refused with exit code 2 before any write request.
#include <gtest/gtest.h>

#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <map>

#include "chip_rows.h"
#include "cli_run.h"
#include "libftdi_settings.h"

namespace {

using namespace kestrom::eeprom;

struct Kind {
    uint32_t chip;
    const char *kind;  // of the devices file and of the virtual chip
    int words;
    const char *refused;  // a template line the chip does not take
    friend void PrintTo(const Kind &k, std::ostream *os) { *os << k.kind; }
};

const Kind kKinds[] = {
    {FT_DEVICE_232R, "232R", 64, "Cbus4 = IOMODE"},
    {FT_DEVICE_2232H, "2232H", 128, "BHDriveCurrent = 10"},
    {FT_DEVICE_4232H, "4232H", 256, "CDriverType = 2"},
    {FT_DEVICE_232H, "232H", 128, "Cbus7 = IOMODE"},
    {FT_DEVICE_X_SERIES, "X", 128, "Cbus6 = CLK30"},
};

// Enough rows for every mode of every channel.
constexpr size_t kRows = 5;

class ChipRoundTrip : public CliTest, public ::testing::WithParamInterface<Kind> {
protected:
    // `kestrom arguments...` on a virtual chip of the kind, holding `image` (blank
    // when empty) and saved to `save` at the end.
    Outcome onUsb(const std::string &image, const std::string &save, const QStringList &arguments) const {
        QStringList chip{"--chip", GetParam().kind, "--words", QString::number(GetParam().words)};
        if (!image.empty()) chip << "--image" << QString::fromStdString(file(image));
        if (!save.empty()) chip << "--save" << QString::fromStdString(file(save));
        return run(QStringLiteral(VIRTUAL_CHIP), chip + QStringList{"--", KESTROM_FILE} + arguments);
    }

    static QJsonObject fieldsOf(const Outcome &shown) {
        EXPECT_EQ(0, shown.exitCode) << shown.err;
        return QJsonDocument::fromJson(QByteArray::fromStdString(shown.out)).object()["fields"].toObject();
    }

    // show --json holds every setting of the chip, the row's as the row says.
    void expectShown(const Row &row, const Outcome &shown) const {
        const QJsonObject fields = fieldsOf(shown);
        for (const Setting *s : chipSettings(GetParam().chip))
            EXPECT_TRUE(fields.contains(QLatin1String(s->name))) << s->name << " is not shown";
        for (const RowValue &v : row) {
            EXPECT_EQ(jsonOf(*v.setting, v.value), fields[QLatin1String(v.setting->name)]) << v.setting->name;
        }
    }

    // Every setting libftdi1 reads from the EEPROM is the row's.
    void expectLibftdiReads(const Row &row, const std::string &image) const {
        std::map<const Setting *, Value> said;
        for (const RowValue &v : row) said[v.setting] = v.value;
        std::string error;
        const auto read = oracle::readBy(GetParam().chip, words(readBytes(image)), error);
        ASSERT_TRUE(read) << error;
        for (const oracle::Change &c : *read) {
            if (said.count(c.setting) == 0) continue;
            EXPECT_EQ(formatSettingValue(*c.setting, said[c.setting]),
                      formatSettingValue(*c.setting, c.value))
                << "libftdi1 reads " << c.setting->name;
        }
    }

    // A template saved from the virtual chip and edited on the line of its first pin
    // or driver changes that setting alone.
    void expectOneEditedLineChangesThatSettingAlone(const Row &row, const std::string &image) const {
        const Outcome saved = onUsb(image, "", {"template", "save", "saved.ini"});
        ASSERT_EQ(0, saved.exitCode) << saved.err;
        const RowValue was = *std::find_if(
            row.begin(), row.end(), [](const RowValue &v) { return v.setting->kind == SettingKind::Choice; });
        const auto names = was.setting->names;
        const auto other = std::find_if(names.begin(), names.end(), [&](const NamedValue &n) {
            return n.value != was.value.number && settingValueProblem(*was.setting, {n.value, {}}).empty();
        });
        const RowValue now{was.setting, {other->value, {}}};
        const auto line = [](const RowValue &v) {
            return "\n" + std::string(v.setting->name) + " = " + formatSettingValue(*v.setting, v.value) +
                   "\n";
        };
        std::string text = readBytes("saved.ini");
        const size_t at = text.find(line(was));
        ASSERT_NE(std::string::npos, at) << text;
        writeBytes("saved.ini", text.replace(at, line(was).size(), line(now)));

        QJsonObject expected = fieldsOf(onUsb(image, "", {"show", "--json"}));
        expected[QLatin1String(now.setting->name)] = jsonOf(*now.setting, now.value);
        const Outcome edited = onUsb(image, "written.bin", {"write", "saved.ini"});
        ASSERT_EQ(0, edited.exitCode) << edited.err;
        std::filesystem::rename(path("written.bin"), path(image));
        EXPECT_EQ(expected, fieldsOf(onUsb(image, "", {"show", "--json"})));
        expectLibftdiReads({now}, image);
    }
};

TEST_P(ChipRoundTrip, EveryRowWrittenToASimulatedChipShowsAsItsTemplateSaid) {
    const Kind &k = GetParam();
    writeDevices(std::string("[d]\nchip = ") + k.kind +
                 "\neeprom = d.bin\neeprom_words = " + std::to_string(k.words) + "\n");
    useDevicesFile("devices.ini");
    for (const Row &row : chipRows(k.chip, kRows)) {
        writeBytes("row.ini", templateOf(k.chip, row));
        SCOPED_TRACE(readBytes("row.ini"));
        const Outcome written = run({"write", "row.ini"});
        ASSERT_EQ(0, written.exitCode) << written.err;
        expectShown(row, run({"show", "--json"}));
        expectLibftdiReads(row, "d.bin");
    }
}

TEST_P(ChipRoundTrip,
       OnAVirtualChipEveryRowShowsAsWrittenAnEditedLineChangesItsSettingAloneABadValueWritesNothing) {
#ifdef KESTROM_SANITIZED
    GTEST_SKIP()
        << "the virtual chip's tool runs under umockdev's preload, which the sanitizers do not allow";
#endif
    const Kind &k = GetParam();
    const std::vector<Row> rows = chipRows(k.chip, kRows);
    std::string image;  // blank at first
    for (const Row &row : rows) {
        writeBytes("row.ini", templateOf(k.chip, row));
        SCOPED_TRACE(readBytes("row.ini"));
        const Outcome written = onUsb(image, "written.bin", {"write", "row.ini"});
        ASSERT_EQ(0, written.exitCode) << written.err;
        std::filesystem::rename(path("written.bin"), path("usb.bin"));
        image = "usb.bin";
        expectShown(row, onUsb(image, "", {"show", "--json"}));
        expectLibftdiReads(row, image);
    }

    expectOneEditedLineChangesThatSettingAlone(rows.back(), image);

    writeBytes("bad.ini", templateOf(k.chip, rows[0]) + k.refused + "\n");
    const Outcome refused = onUsb(image, "after.bin", {"write", "bad.ini"});
    EXPECT_EQ(2, refused.exitCode) << refused.err;
    EXPECT_NE(std::string::npos,
              refused.err.find(std::string("bad.ini line ") + std::to_string(rows[0].size() + 3)))
        << "names the line: " << refused.err;
    EXPECT_NE(std::string::npos, refused.err.find("control transfers:")) << refused.err;
    EXPECT_EQ(std::string::npos, refused.err.find("WRITE_EEPROM")) << refused.err;
    EXPECT_EQ(std::string::npos, refused.err.find("ERASE_EEPROM")) << refused.err;
    EXPECT_EQ(readBytes(image), readBytes("after.bin"));
}

INSTANTIATE_TEST_SUITE_P(Chips, ChipRoundTrip, ::testing::ValuesIn(kKinds),
                         [](const auto &info) { return std::string("FT") + info.param.kind; });

}  // namespace
