// The window on the FT2232H, FT4232H, FT232H and X series (codes 6-9): the chip
// named and nothing logged for it, also under Auto Update, Read filling the common
// group, Write programming it while every setting of the chip stays, no chip group
// editable.
#include <cstring>
#include <vector>

#include "window_fixture.h"

namespace {

struct Chip {
    const char *name;
    uint32_t type;
    size_t structure;
    const char *caption;
};
const Chip kChips[] = {{"2232H", FT_DEVICE_2232H, sizeof(FT_EEPROM_2232H), "Device FT2232H ..."},
                       {"4232H", FT_DEVICE_4232H, sizeof(FT_EEPROM_4232H), "Device FT4232H ..."},
                       {"232H", FT_DEVICE_232H, sizeof(FT_EEPROM_232H), "Device FT232H ..."},
                       {"X", FT_DEVICE_X_SERIES, sizeof(FT_EEPROM_X_SERIES), "Device FT-X ..."}};

// The chip's own structure as the driver reads it; empty when the read fails.
std::vector<unsigned char> chipSettings(const Chip &chip, char (&description)[64]) {
    std::vector<unsigned char> s(chip.structure);
    reinterpret_cast<FT_EEPROM_HEADER *>(s.data())->deviceType = chip.type;
    FT_HANDLE h = nullptr;
    if (FT_Open(0, &h) != FT_OK) return {};
    const FT_STATUS status =
        FT_EEPROM_Read(h, s.data(), uint32_t(s.size()), nullptr, nullptr, description, nullptr);
    FT_Close(h);
    return status == FT_OK ? s : std::vector<unsigned char>{};
}

}  // namespace

class NewChipsTest : public WindowTest {
protected:
    // A chip programmed with its defaults, then with a few settings of its own
    // changed: slow slew on its first pin group, the D2XX driver on its last field.
    void plugProgrammed(const Chip &chip) {
        replug(std::string("[d]\nchip = ") + chip.name + "\neeprom = d.bin\neeprom_words = 128\n");
        FT_HANDLE h = nullptr;
        ASSERT_EQ(FT_OK, FT_Open(0, &h));
        char texts[4][80] = {"Pelmora", "", "Bridge", "PB0001"};
        FT_PROGRAM_DATA r{};
        r.Signature2 = 0xFFFFFFFF, r.Version = 2, r.VendorId = 0x0403, r.ProductId = 0x6010, r.MaxPower = 100;
        r.Manufacturer = texts[0], r.ManufacturerId = texts[1], r.Description = texts[2],
        r.SerialNumber = texts[3];
        ASSERT_EQ(FT_OK, FT_EE_Program(h, &r));
        std::vector<unsigned char> s(chip.structure);
        reinterpret_cast<FT_EEPROM_HEADER *>(s.data())->deviceType = chip.type;
        ASSERT_EQ(FT_OK, FT_EEPROM_Read(h, s.data(), uint32_t(s.size()), nullptr, nullptr, nullptr, nullptr));
        s[sizeof(FT_EEPROM_HEADER)] = 1;  // the first group's slow slew
        s.back() = FT_DRIVER_TYPE_D2XX;   // every structure ends with a driver type
        ASSERT_EQ(FT_OK,
                  FT_EEPROM_Program(h, s.data(), uint32_t(s.size()), texts[0], texts[1], texts[2], texts[3]));
        ASSERT_EQ(FT_OK, FT_Close(h));
    }
    void setText(const char *name, const char *value) {
        find<QLineEdit>(name)->setText(QString::fromUtf8(value));
    }
};

TEST_F(NewChipsTest, ReadFillsTheCommonGroupAndWriteKeepsEveryChipSetting) {
    const char *chipGroups[] = {"Rev4",      "Rev5",   "int_do_serno", "iso_in",
                                "IFAIsFifo", "AIsVCP", "USBVersion5"};
    for (const Chip &chip : kChips) {
        SCOPED_TRACE(chip.name);
        plugProgrammed(chip);
        char description[64] = {};
        const std::vector<unsigned char> before = chipSettings(chip, description);
        ASSERT_FALSE(before.empty());
        startAgain();
        const QString caption = QString::fromLatin1(chip.caption);
        EXPECT_EQ(caption, window().windowTitle());
        EXPECT_TRUE(logLines().contains(QStringLiteral("Manufacturer       : Pelmora")))
            << "the report's common part";

        click("read1");
        EXPECT_EQ(caption, window().windowTitle());
        EXPECT_EQ(QStringLiteral("Pelmora"), text("manufactuer"));
        EXPECT_EQ(QStringLiteral("Bridge"), text("Description_"));
        EXPECT_EQ(QStringLiteral("PB0001"), text("serial_number"));
        EXPECT_EQ(QStringLiteral("100"), text("max_power"));
        for (const char *name : chipGroups) EXPECT_FALSE(enabled(name)) << name;

        setText("Description_", "Renamed");
        setText("max_power", "250");
        find<QAbstractButton>("remote_wakeup")->setChecked(true);
        click("write1");
        EXPECT_TRUE(logLines().contains(QStringLiteral("***  EEPROM successfully written!  ***")))
            << logLines().join('\n').toStdString();

        const std::vector<unsigned char> after = chipSettings(chip, description);
        ASSERT_EQ(before.size(), after.size());
        EXPECT_STREQ("Renamed", description);
        const auto &h = *reinterpret_cast<const FT_EEPROM_HEADER *>(after.data());
        EXPECT_EQ(250, h.MaxPower);
        EXPECT_EQ(1, h.RemoteWakeup);
        EXPECT_EQ(
            0, std::memcmp(before.data() + sizeof(FT_EEPROM_HEADER), after.data() + sizeof(FT_EEPROM_HEADER),
                           before.size() - sizeof(FT_EEPROM_HEADER)))
            << "the chip's own settings as they were";
        EXPECT_EQ(reinterpret_cast<const FT_EEPROM_HEADER *>(before.data())->SerNumEnable, h.SerNumEnable);

        click("auto_detekce");  // every tick reads the chip and names it again
        for (int i = 0; i < 3; ++i) window().tick();
        EXPECT_TRUE(enabled("device1")) << "the reads went on";
        EXPECT_EQ(caption, window().windowTitle());
        EXPECT_FALSE(logLines().contains(QStringLiteral("Device Unknown ...")))
            << "neither at start nor since";
    }
}
