// Every chip kind through libftd2xx.so's USB backend on a virtual chip: what the
// listing and the open device say, the EEPROM calls, the part's size told by wrap
// (or, on a blank part, by the first write), and FTD2XX_VIDPID.
#include <algorithm>
#include <array>
#include <cstring>
#include <functional>

#include "chip_structures.h"
#include "record_fields.h"
#include "usb_fixture.h"

namespace kestrom::virtualchip {
namespace {

constexpr uint16_t kOwnVendor = 0x1234, kOwnProduct = 0x5678;

struct Kind {
    const char *name;
    ChipKind kind;
    uint32_t type;
    size_t words;
    std::function<std::vector<uint16_t>()> image;
    const char *vidPid = nullptr;  // what FTD2XX_VIDPID must name for it to be listed
};

void PrintTo(const Kind &kind, std::ostream *out) {
    *out << kind.name;
}

std::vector<uint16_t> ownIds() {
    d2xx::EepromContents contents = d2xx::chipDefaults(FT_DEVICE_BM);
    contents.fields.VendorId = kOwnVendor;
    contents.fields.ProductId = kOwnProduct;
    contents.description = "Own gadget";
    return encoded(FT_DEVICE_BM, 64, contents);
}

const Kind kKinds[] = {
    {"FT8U232AM", ChipKind::FT8U232AM, FT_DEVICE_AM, 64, [] { return example("ft8u232am.bin"); }},
    {"FT232BM_93C46", ChipKind::FT232BM, FT_DEVICE_BM, 64, [] { return example("ft232bm.bin"); }},
    {"FT232BM_93C56", ChipKind::FT232BM, FT_DEVICE_BM, 128,
     [] { return programmedImage(FT_DEVICE_BM, 128, "KS000056"); }},
    {"FT232BM_93C66", ChipKind::FT232BM, FT_DEVICE_BM, 256,
     [] { return programmedImage(FT_DEVICE_BM, 256, "KS000066"); }},
    {"blank_FT232BM_93C46", ChipKind::FT232BM, FT_DEVICE_BM, 64, [] { return std::vector<uint16_t>{}; }},
    {"blank_FT232BM_93C66", ChipKind::FT232BM, FT_DEVICE_BM, 256, [] { return std::vector<uint16_t>{}; }},
    {"FT2232C_93C56", ChipKind::FT2232C, FT_DEVICE_2232C, 128, [] { return example("ft2232c.bin"); }},
    {"FT232R", ChipKind::FT232R, FT_DEVICE_232R, 64, [] { return example("ft232r.bin"); }},
    {"own_VID_PID", ChipKind::FT232BM, FT_DEVICE_BM, 64, ownIds, "1234:5678"},
    {"FT2232H_93C66", ChipKind::FT2232H, FT_DEVICE_2232H, 256,
     [] { return boardImage(FT_DEVICE_2232H, 256); }},
    {"FT4232H_93C56", ChipKind::FT4232H, FT_DEVICE_4232H, 128,
     [] { return boardImage(FT_DEVICE_4232H, 128); }},
    {"FT232H_93C46", ChipKind::FT232H, FT_DEVICE_232H, 64, [] { return boardImage(FT_DEVICE_232H, 64); }},
    {"blank_FT232H_93C56", ChipKind::FT232H, FT_DEVICE_232H, 128, [] { return std::vector<uint16_t>{}; }},
    {"FT230X", ChipKind::FTX, FT_DEVICE_X_SERIES, 128, [] { return boardImage(FT_DEVICE_X_SERIES, 128); }},
};

class ChipKinds : public VirtualUsb, public ::testing::WithParamInterface<Kind> {
protected:
    void TearDown() override {
        unsetenv("FTD2XX_VIDPID");
        VirtualUsb::TearDown();
    }
};

TEST_P(ChipKinds, ListsOpensReadsProgramsWritesAndErasesOverUsb) {
    const Kind &k = GetParam();
    const std::vector<uint16_t> image = k.image();
    VirtualChip &chip = plug({k.kind, k.words, image});
    uint32_t count = 0;
    if (k.vidPid != nullptr) {
        ASSERT_EQ(FT_ListDevices(&count, nullptr, FT_LIST_NUMBER_ONLY), FT_OK);
        EXPECT_EQ(count, 0u) << "listed without FTD2XX_VIDPID";
        setenv("FTD2XX_VIDPID", k.vidPid, 1);
    }
    ASSERT_EQ(FT_ListDevices(&count, nullptr, FT_LIST_NUMBER_ONLY), FT_OK);
    ASSERT_EQ(count, 1u);

    // What the chip enumerated with, by our codec: its image's, else the chip defaults.
    const std::vector<uint16_t> eeprom = chip.eeprom();
    d2xx::EepromContents stored;
    const bool programmed = d2xx::decode(k.type, eeprom, stored) == FT_OK;
    const d2xx::EepromContents shown = programmed ? stored : d2xx::chipDefaults(k.type);
    FT_EEPROM_X_SERIES structure{};  // the largest of the chip structures
    d2xx::toChipStructure(k.type, stored, &structure, d2xx::chipStructureSize(k.type));
    const bool serialShown = programmed && (k.type == FT_DEVICE_AM || structure.common.SerNumEnable);
    const std::string serial = serialShown ? shown.serialNumber : "";
    EXPECT_EQ(listed(0), shown.description);
    EXPECT_EQ(listed(0, true), serial);

    FT_HANDLE handle = open();
    uint32_t type = 99, id = 0;
    char serialOpen[16] = {}, descriptionOpen[64] = {};
    ASSERT_EQ(FT_GetDeviceInfo(handle, &type, &id, serialOpen, descriptionOpen, nullptr), FT_OK);
    EXPECT_EQ(type, k.type);
    EXPECT_EQ(id, uint32_t{shown.fields.VendorId} << 16 | shown.fields.ProductId);
    EXPECT_EQ(serialOpen, serial);
    EXPECT_EQ(descriptionOpen, shown.description);

    Record record;
    uint32_t userArea = 0;
    if (programmed) {
        ASSERT_EQ(FT_EE_Read(handle, &record.data), FT_OK);
#define KESTROM_SAME(field) EXPECT_EQ(record.data.field, stored.fields.field) << #field;
        KESTROM_RECORD_FIELDS(KESTROM_SAME)
#undef KESTROM_SAME
        EXPECT_STREQ(record.data.Description, stored.description.c_str());
        uint32_t expected = 0;
        ASSERT_EQ(d2xx::userAreaSize(k.type, eeprom, expected), FT_OK);
        EXPECT_EQ(FT_EE_UASize(handle, &userArea), FT_OK);
        EXPECT_EQ(userArea, expected);
    } else {
        EXPECT_EQ(FT_EE_Read(handle, &record.data), FT_EEPROM_NOT_PROGRAMMED);
        EXPECT_EQ(FT_EE_UASize(handle, &userArea), FT_EEPROM_NOT_PROGRAMMED);
        d2xx::fillRecord(shown, record.data);
    }
    // Every address the chip can send; the part answers those past its end by wrapping.
    for (uint32_t offset = 0; offset <= 0xFF; ++offset) {
        uint16_t word = 0;
        ASSERT_EQ(FT_ReadEE(handle, offset, &word), FT_OK);
        ASSERT_EQ(word, eeprom[offset % eeprom.size()]) << "word " << offset;
    }

    // Programming lays the image out for the part's size, which the driver had to tell.
    std::strcpy(record.data.Description, "Kestrom test");
    std::strcpy(record.data.SerialNumber, "KT000001");
    d2xx::EepromContents wanted = shown;
    wanted.description = "Kestrom test";
    wanted.serialNumber = "KT000001";
    ASSERT_EQ(d2xx::mergeRecord(record.data, wanted), FT_OK);
    std::vector<uint16_t> expected = eeprom;
    ASSERT_EQ(d2xx::encode(k.type, wanted, expected), FT_OK);
    ASSERT_EQ(FT_EE_Program(handle, &record.data), FT_OK);
    EXPECT_EQ(chip.eeprom(), expected);

    // A word past the part's end lands where the part wraps it.
    const uint32_t offset = k.words < 256 ? static_cast<uint32_t>(k.words) + 5 : 5;
    EXPECT_EQ(FT_WriteEE(handle, offset, 0x1234), FT_OK);
    EXPECT_EQ(chip.eeprom()[5], 0x1234);
    uint16_t word = 0;
    EXPECT_EQ(FT_ReadEE(handle, 5, &word), FT_OK);
    EXPECT_EQ(word, 0x1234);

    const std::vector<uint16_t> beforeErase = chip.eeprom();
    EXPECT_EQ(FT_EraseEE(handle), FT_OK);
    const bool erasable = k.type != FT_DEVICE_232R && k.type != FT_DEVICE_X_SERIES;
    EXPECT_EQ(chip.eeprom(), erasable ? std::vector<uint16_t>(k.words, 0xFFFF) : beforeErase);
    close(handle);

    // The serial ports were the kernel's all along.
    EXPECT_EQ(chip.driverDetaches(), 0u);
    for (uint8_t i = 0; i < interfaceCount(k.kind); ++i)
        EXPECT_TRUE(chip.driverBound(i)) << "interface " << int{i};
}

INSTANTIATE_TEST_SUITE_P(Usb, ChipKinds, ::testing::ValuesIn(kKinds),
                         [](const ::testing::TestParamInfo<Kind> &info) {
                             return std::string(info.param.name);
                         });

using TwoChips = VirtualUsb;

// Indices follow the bus and port order, as the listing does, and FT_Open takes the index.
TEST_F(TwoChips, EachOpensByItsIndex) {
    VirtualChip &bm = plug({ChipKind::FT232BM, 64, example("ft232bm.bin")});
    VirtualChip &dual = plug({ChipKind::FT2232C, 128, example("ft2232c.bin")});
    uint32_t count = 0;
    ASSERT_EQ(FT_ListDevices(&count, nullptr, FT_LIST_NUMBER_ONLY), FT_OK);
    ASSERT_EQ(count, 2u);
    EXPECT_EQ(listed(1), "USB FTDI dual port");
    FT_HANDLE first = nullptr, second = nullptr;
    ASSERT_EQ(FT_Open(1, &second), FT_OK);
    ASSERT_EQ(FT_Open(0, &first), FT_OK) << "another chip is not held by the first open";
    uint32_t type = 99, id = 0;
    EXPECT_EQ(FT_GetDeviceInfo(second, &type, &id, nullptr, nullptr, nullptr), FT_OK);
    EXPECT_EQ(type, uint32_t{FT_DEVICE_2232C});
    EXPECT_EQ(FT_WriteEE(second, 100, 0xCAFE), FT_OK);
    EXPECT_EQ(dual.eeprom()[100], 0xCAFE);
    EXPECT_EQ(bm.transfers("WRITE_EEPROM"), 0u);
    EXPECT_EQ(FT_Open(2, &first), FT_DEVICE_NOT_FOUND);
    EXPECT_EQ(FT_Close(first), FT_OK);
    EXPECT_EQ(FT_Close(second), FT_OK);
}

}  // namespace
}  // namespace kestrom::virtualchip
