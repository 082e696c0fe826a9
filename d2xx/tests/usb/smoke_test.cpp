#include <gtest/gtest.h>

#include "ftd2xx.h"
#include "testbed.h"

using namespace kestrom::virtualchip;

TEST(Smoke, Lists) {
    if (!Testbed::preloaded()) GTEST_SKIP() << "not under the preload";
    unsetenv("FTD2XX_SIM");
    Testbed bed;
    VirtualChip &chip = bed.plug({ChipKind::FT232BM, 64, loadImage(KESTROM_EXAMPLES "/ft232bm.bin")});
    uint32_t count = 0;
    EXPECT_EQ(FT_ListDevices(&count, nullptr, FT_LIST_NUMBER_ONLY), FT_OK);
    EXPECT_EQ(count, 1u);
    FT_HANDLE h = nullptr;
    ASSERT_EQ(FT_Open(0, &h), FT_OK);
    uint32_t type = 9, id = 0;
    char serial[16] = {}, desc[64] = {};
    EXPECT_EQ(FT_GetDeviceInfo(h, &type, &id, serial, desc, nullptr), FT_OK);
    printf("type %u id %08x serial %s desc %s\n", type, id, serial, desc);
    uint16_t w = 0;
    EXPECT_EQ(FT_ReadEE(h, 1, &w), FT_OK);
    EXPECT_EQ(w, 0x0403);
    EXPECT_EQ(FT_Close(h), FT_OK);
    for (auto &[n, c] : chip.transferCounts()) printf("%s %u\n", n.c_str(), c);
    printf("detaches %u bound %d\n", chip.driverDetaches(), chip.driverBound(0));
}
