// libftdi1 as the oracle both ways for every setting of every chip it knows, driven
// from the chip tables. For each setting and each value it takes other than the
// default: an image libftdi1 builds with that value decodes in our codec to it, with
// every other setting as libftdi1's defaults decode; an image our encoder writes with
// it decodes in libftdi1 to what the contents say, setting by setting. Then every
// setting at once, each off its default.
#include "libftdi_settings.h"

#include <gtest/gtest.h>

#include <set>

#include "chip_settings.h"
#include "eeprom_codec.h"

namespace kestrom::eeprom {
namespace {

using oracle::Change;
using oracle::Reach;

struct Part {
    uint32_t chip;
    size_t words;
    friend void PrintTo(const Part &part, std::ostream *os) {
        *os << chipTable(part.chip)->name << part.words;
    }
};

const Part kParts[] = {{FT_DEVICE_AM, 64},       {FT_DEVICE_BM, 64},     {FT_DEVICE_BM, 256},
                       {FT_DEVICE_2232C, 128},   {FT_DEVICE_232R, 64},   {FT_DEVICE_2232H, 128},
                       {FT_DEVICE_2232H, 64},    {FT_DEVICE_4232H, 256}, {FT_DEVICE_232H, 128},
                       {FT_DEVICE_X_SERIES, 128}};

bool allowed(const Setting &s, const Value &v) {
    return settingValueProblem(s, v).empty();
}

// Values the setting takes other than `current`: every choice and drive current, the
// flag's other state, numbers at the ends of the range and between, two texts.
std::vector<Value> otherValues(const Setting &s, const Value &current) {
    std::vector<Value> candidates;
    switch (s.kind) {
        case SettingKind::Flag:
            candidates = {{0, {}}, {1, {}}};
            break;
        case SettingKind::Choice:
            for (const NamedValue &named : s.names) candidates.push_back({named.value, {}});
            break;
        case SettingKind::Hex:
        case SettingKind::Decimal:
            for (uint32_t n :
                 {s.least, s.greatest, (s.least + (s.greatest - s.least) / 2) & ~1u, 0x0110u, 0x1234u})
                candidates.push_back({n, {}});
            if (s.rule == NumberRule::DriveCurrent)
                for (uint32_t mA = s.least; mA <= s.greatest; mA += 4) candidates.push_back({mA, {}});
            break;
        case SettingKind::Text:
            candidates = {{0, "Probe 42"}, {0, ""}};
            break;
    }
    std::vector<Value> out;
    for (const Value &v : candidates)
        if (v != current && allowed(s, v) && std::find(out.begin(), out.end(), v) == out.end())
            out.push_back(v);
    return out;
}

bool libftdiCan(uint32_t chip, const Setting &s, Reach way) {
    std::string why;
    const std::optional<Reach> r = oracle::reach(chip, s, why);
    return s.settable() && !s.chipFixed && r && oracle::reaches(*r, way);
}

std::string shown(const Setting &s, const Value &v) {
    return formatSettingValue(s, v);
}

class Libftdi : public ::testing::TestWithParam<Part> {
protected:
    d2xx::EepromContents ours(std::span<const uint16_t> image) const {
        d2xx::EepromContents contents;
        EXPECT_EQ(FT_OK, d2xx::decode(GetParam().chip, image, contents));
        return contents;
    }
    d2xx::Image theirs(std::span<const Change> changes) const {
        std::string error;
        auto image = oracle::buildWith(GetParam().chip, GetParam().words, changes, error);
        EXPECT_TRUE(image) << error;
        return image.value_or(d2xx::Image(GetParam().words, 0xFFFF));
    }
    // Each setting libftdi1 reads from our image of `contents` is what `contents` says.
    void expectLibftdiReads(const d2xx::EepromContents &contents, const std::string &what) const {
        d2xx::Image image(GetParam().words, 0xFFFF);
        ASSERT_EQ(FT_OK, d2xx::encode(GetParam().chip, contents, image)) << what;
        std::string error;
        const auto read = oracle::readBy(GetParam().chip, image, error);
        ASSERT_TRUE(read) << what << ": " << error;
        for (const Change &c : *read) {
            EXPECT_EQ(shown(*c.setting, settingValue(*c.setting, contents)), shown(*c.setting, c.value))
                << what << ": libftdi1 reads " << c.setting->name;
        }
    }
};

TEST_P(Libftdi, ImagesItBuildsDecodeToTheValueSetAndNothingElseMoves) {
    const uint32_t chip = GetParam().chip;
    const d2xx::EepromContents base = ours(theirs({}));
    size_t checked = 0;
    for (const Setting *s : chipSettings(chip)) {
        if (!libftdiCan(chip, *s, Reach::Builds)) continue;
        for (const Value &v : otherValues(*s, settingValue(*s, base))) {
            const std::string what = std::string(s->name) + " = " + shown(*s, v);
            const Change change{s, v};
            const d2xx::EepromContents got = ours(theirs({&change, 1}));
            for (const Setting *t : chipSettings(chip)) {
                if (!t->settable()) continue;
                const Value want = t == s ? v : settingValue(*t, base);
                EXPECT_EQ(shown(*t, want), shown(*t, settingValue(*t, got))) << what << ": " << t->name;
            }
            ++checked;
        }
    }
    EXPECT_GT(checked, 0u);
}

TEST_P(Libftdi, ImagesOurEncoderWritesDecodeInItToTheContents) {
    const uint32_t chip = GetParam().chip;
    const d2xx::EepromContents base = d2xx::chipDefaults(chip);
    expectLibftdiReads(base, "the chip's defaults");
    for (const Setting *s : chipSettings(chip)) {
        if (!libftdiCan(chip, *s, Reach::Reads)) continue;
        for (const Value &v : otherValues(*s, settingValue(*s, base))) {
            d2xx::EepromContents contents = base;
            setSettingValue(*s, contents, v);
            expectLibftdiReads(contents, std::string(s->name) + " = " + shown(*s, v));
        }
    }
}

// Every setting off its default at once (one mode a channel), both ways.
TEST_P(Libftdi, EverySettingAtOnceBothWays) {
    const uint32_t chip = GetParam().chip;
    d2xx::EepromContents contents = d2xx::chipDefaults(chip);
    for (const Setting *s : chipSettings(chip)) {
        if (!s->settable() || s->chipFixed) continue;
        const std::vector<Value> values = otherValues(*s, settingValue(*s, contents));
        if (!values.empty()) setSettingValue(*s, contents, values.back());
    }
    for (const auto &conflict : modeConflicts(chip, contents))
        for (size_t i = 1; i < conflict.size(); ++i) setSettingValue(*conflict[i], contents, {0, {}});
    // The longest texts libftdi1 builds are shorter than ours on some chips.
    contents.manufacturer = "Maker", contents.description = "Probe 42", contents.serialNumber = "K0042";
    expectLibftdiReads(contents, "every setting");

    std::vector<Change> changes;
    for (const Setting *s : chipSettings(chip))
        if (libftdiCan(chip, *s, Reach::Builds)) changes.push_back({s, settingValue(*s, contents)});
    const d2xx::EepromContents got = ours(theirs(changes));
    for (const Change &c : changes)
        EXPECT_EQ(shown(*c.setting, c.value), shown(*c.setting, settingValue(*c.setting, got)))
            << c.setting->name;
}

INSTANTIATE_TEST_SUITE_P(EveryChip, Libftdi, ::testing::ValuesIn(kParts), [](const auto &info) {
    std::string name = chipTable(info.param.chip)->name;
    std::erase(name, '-');
    return name + "_" + std::to_string(info.param.words);
});

// A setting left out of the oracle is one libftdi1 cannot express, named with the reason.
TEST(LibftdiSettings, EverySettingItCannotExpressIsNamedWithTheReason) {
    std::set<std::string> unsaid;
    for (const Part &part : kParts) {
        EXPECT_TRUE(oracle::unknownNames(part.chip).empty()) << chipTable(part.chip)->name;
        for (const Setting *s : chipSettings(part.chip)) {
            std::string why;
            if (oracle::reach(part.chip, *s, why)) continue;
            EXPECT_NE("not known to libftdi1", why) << chipTable(part.chip)->name << " " << s->name;
            unsaid.insert(std::string(chipTable(part.chip)->name) + " " + s->name);
        }
    }
    EXPECT_EQ(23u, unsaid.size()) << "a setting libftdi1 says is checked, not skipped";
}

}  // namespace
}  // namespace kestrom::eeprom
