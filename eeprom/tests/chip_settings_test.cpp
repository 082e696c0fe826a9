// The chip tables against the codec they describe: every field of every chip's
// structure has a setting, and a value the table takes is one the codec encodes
// (and one it refuses, the codec refuses too), pin by pin.
#include "chip_settings.h"

#include <gtest/gtest.h>

#include <set>

#include "chip_structures.h"

using namespace kestrom;
using namespace kestrom::eeprom;

namespace {

constexpr uint32_t kNewerChips[] = {FT_DEVICE_2232H, FT_DEVICE_4232H, FT_DEVICE_232H, FT_DEVICE_X_SERIES};

std::set<std::string> names(std::span<const Setting *const> settings) {
    std::set<std::string> out;
    for (const Setting *s : settings) out.insert(s->name);
    return out;
}

TEST(ChipSettings, EveryNewerChipHasEveryMemberOfItsStructureAndTheThreeTexts) {
    for (const uint32_t chip : kNewerChips) {
        std::set<std::string> wanted{"Manufacturer", "Description", "SerialNumber"};
        for (const d2xx::ChipField &field : d2xx::chipFields(chip)) wanted.insert(field.name);
        EXPECT_EQ(wanted, names(chipSettings(chip))) << chip;
        EXPECT_EQ(chipSettings(chip).size(), wanted.size()) << "a name twice on chip " << chip;
    }
    // The older chips keep the record's names.
    const std::pair<uint32_t, size_t> older[] = {
        {FT_DEVICE_AM, 10}, {FT_DEVICE_BM, 17}, {FT_DEVICE_2232C, 29}, {FT_DEVICE_232R, 29}};
    for (const auto &[chip, count] : older) EXPECT_EQ(count, chipSettings(chip).size()) << chip;
    EXPECT_TRUE(chipSettings(FT_DEVICE_100AX).empty());
    EXPECT_EQ(FT_DEVICE_232H, chipByName("ft232h"));
    EXPECT_EQ(FT_DEVICE_X_SERIES, chipByName("FT-X"));
    EXPECT_FALSE(chipByName("FT232"));
}

// Encodes the chip's defaults with one setting changed, on a part of 128 words.
FT_STATUS encodeWith(uint32_t chip, const Setting &setting, uint32_t value) {
    d2xx::EepromContents contents = d2xx::chipDefaults(chip);
    setSettingValue(setting, contents, {value, {}});
    std::vector<uint16_t> image(128, 0xFFFF);
    return d2xx::encode(chip, contents, image);
}

TEST(ChipSettings, WhatATableTakesTheCodecEncodesAndWhatItRefusesTheCodecRefuses) {
    for (const uint32_t chip : kNewerChips) {
        for (const Setting *s : chipSettings(chip)) {
            if (s->kind == SettingKind::Text || s->kind == SettingKind::Flag || s->greatest > 0xFF) continue;
            for (uint32_t value = 0; value <= s->greatest + 1; ++value) {
                const bool taken = settingValueProblem(*s, {value, {}}).empty();
                EXPECT_EQ(taken, encodeWith(chip, *s, value) == FT_OK)
                    << chip << " " << s->name << " = " << value;
            }
        }
    }
}

TEST(ChipSettings, PinsTakeTheirOwnFunctionsByNameOrNumberAndNothingElse) {
    struct Case {
        uint32_t chip;
        const char *setting, *written;
        std::optional<uint32_t> value;  // nothing: refused
    };
    const Case cases[] = {
        {FT_DEVICE_232H, "Cbus0", "IOMODE", {}},  // no GPIO on ACBUS0
        {FT_DEVICE_232H, "Cbus0", "8", {}},
        {FT_DEVICE_232H, "Cbus5", "iomode", 8},
        {FT_DEVICE_232H, "Cbus9", "CLK7_5", 12},
        {FT_DEVICE_232H, "Cbus1", "TXLED", 1},  // the same name is another number than on the FT232R
        {FT_DEVICE_232R, "Cbus1", "TXLED", 3},
        {FT_DEVICE_232R, "Cbus4", "IOMODE", {}},
        {FT_DEVICE_232R, "Cbus4", "CLK6", 9},
        {FT_DEVICE_X_SERIES, "Cbus3", "BCD_CHARGER", 13},
        {FT_DEVICE_X_SERIES, "Cbus6", "KEEP_AWAKE", 21},
        {FT_DEVICE_X_SERIES, "Cbus6", "22", {}},
        {FT_DEVICE_X_SERIES, "Cbus0", "CLK30", {}},
        {FT_DEVICE_4232H, "CDriverType", "VCP", 1},
        {FT_DEVICE_4232H, "CDriverType", "d2xx", 0},
        {FT_DEVICE_4232H, "CDriverType", "2", {}},
        {FT_DEVICE_2232H, "BHDriveCurrent", "12", 12},
        {FT_DEVICE_2232H, "BHDriveCurrent", "10", {}},
        {FT_DEVICE_2232H, "BHDriveCurrent", "0", {}},
        {FT_DEVICE_2232H, "BHDriveCurrent", "20", {}},
        {FT_DEVICE_X_SERIES, "I2CSlaveAddress", "0x7F", 0x7F},
        {FT_DEVICE_X_SERIES, "I2CSlaveAddress", "0x80", {}},
        {FT_DEVICE_X_SERIES, "I2CDeviceId", "0xFFFFFFFF", 0xFFFFFFFF},
        {FT_DEVICE_X_SERIES, "I2CDeviceId", "0x100000000", {}},
        {FT_DEVICE_232H, "MaxPower", "501", {}},
        {FT_DEVICE_232H, "PowerSaveEnable", "true", 1},
        {FT_DEVICE_BM, "USBVersion", "0x0110", 0x0110},
        {FT_DEVICE_BM, "USBVersion", "0x010A", {}},  // not BCD
        {FT_DEVICE_2232C, "USBVersion5", "0x0A00", {}},
    };
    for (const Case &c : cases) {
        const Setting *s = findSetting(c.chip, c.setting);
        ASSERT_NE(nullptr, s) << c.setting;
        std::string problem;
        const std::optional<Value> value = parseSettingValue(*s, c.written, problem);
        ASSERT_EQ(c.value.has_value(), value.has_value()) << c.chip << " " << c.setting << " = " << c.written;
        if (value) {
            EXPECT_EQ(*c.value, value->number) << c.setting << " = " << c.written;
        } else {
            EXPECT_NE(std::string::npos, problem.find("allowed")) << problem;
        }
    }
    std::string problem;
    parseSettingValue(*findSetting(FT_DEVICE_232H, "Cbus0"), "IOMODE", problem);
    EXPECT_EQ("allowed: TRISTATE TXLED RXLED TXRXLED PWREN SLEEP DRIVE_0 DRIVE_1 TXDEN CLK30 CLK15 CLK7_5",
              problem);
    EXPECT_EQ("4, 8, 12 or 16", allowedSettingValues(*findSetting(FT_DEVICE_4232H, "ADriveCurrent")));
    EXPECT_EQ("BCD, 0x0000-0x9999", allowedSettingValues(*findSetting(FT_DEVICE_BM, "USBVersion")));
    EXPECT_EQ("0x00ABCDEF",
              formatSettingValue(*findSetting(FT_DEVICE_X_SERIES, "I2CDeviceId"), {0xABCDEF, {}}));
    EXPECT_EQ("VCP", formatSettingValue(*findSetting(FT_DEVICE_232H, "DriverType"), {1, {}}));
    EXPECT_EQ("14", formatSettingValue(*findSetting(FT_DEVICE_232H, "Cbus2"), {14, {}}))
        << "a value without a name";
}

TEST(ChipSettings, SettingsReadAndSetTheChipsOwnStructureAndTwoModesOnAChannelAreNamed) {
    d2xx::EepromContents contents = d2xx::chipDefaults(FT_DEVICE_232H);
    setSettingValue(*findSetting(FT_DEVICE_232H, "Cbus3"), contents, {FT_232H_CBUS_CLK15, {}});
    setSettingValue(*findSetting(FT_DEVICE_232H, "SerNumEnable"), contents, {0, {}});
    setSettingValue(*findSetting(FT_DEVICE_232H, "Description"), contents, {0, "Probe"});
    EXPECT_EQ(FT_232H_CBUS_CLK15, contents.ft232h.Cbus3);
    EXPECT_EQ(0, contents.ft232h.common.SerNumEnable);
    EXPECT_EQ("Probe", contents.description);
    EXPECT_TRUE(modeConflicts(FT_DEVICE_232H, contents).empty());

    setSettingValue(*findSetting(FT_DEVICE_232H, "IsFifo"), contents, {1, {}});
    setSettingValue(*findSetting(FT_DEVICE_232H, "IsFT1248"), contents, {1, {}});
    const auto conflicts = modeConflicts(FT_DEVICE_232H, contents);
    ASSERT_EQ(1u, conflicts.size());
    EXPECT_EQ((std::set<std::string>{"IsFifo", "IsFT1248"}), names(conflicts[0]));

    d2xx::EepromContents dual = d2xx::chipDefaults(FT_DEVICE_2232H);
    setSettingValue(*findSetting(FT_DEVICE_2232H, "AIsFifo"), dual, {1, {}});
    setSettingValue(*findSetting(FT_DEVICE_2232H, "BIsFastSer"), dual, {1, {}});
    EXPECT_TRUE(modeConflicts(FT_DEVICE_2232H, dual).empty()) << "one mode on each channel";
}

}  // namespace
