// KT_ListDevicePorts through the USB backend on virtual chips: from one listing of
// the bus, the same index, chip type and port path that KT_GetDevicePort tells for
// each index, and a chip pulled out is gone from the next listing. An open chip tells
// the location its listing gives, and opens by its port whatever its index.
#include <string>
#include <vector>

#include "usb_fixture.h"

namespace kestrom::virtualchip {
namespace {

std::vector<KT_DEVICE_PORT> listedPorts() {
    std::vector<KT_DEVICE_PORT> ports(8);
    uint32_t count = 0;
    EXPECT_EQ(KT_ListDevicePorts(ports.data(), uint32_t(ports.size()), &count), FT_OK);
    ports.resize(count);
    return ports;
}

TEST_F(VirtualUsb, EveryChipsPortFromOneListingAsEachIndexTellsIt) {
    std::vector<VirtualChip *> chips{
        &plug({ChipKind::FT232BM, 64, programmedImage(FT_DEVICE_BM, 64, "PORT0001")}),
        &plug({ChipKind::FT2232C, 128, example("ft2232c.bin")}),
        &plug({ChipKind::FT232R, 64, example("ft232r.bin")}),
        &plug({ChipKind::FT8U232AM, 64, example("ft8u232am.bin")})};
    const std::vector<uint32_t> types{FT_DEVICE_BM, FT_DEVICE_2232C, FT_DEVICE_232R, FT_DEVICE_AM};

    std::vector<KT_DEVICE_PORT> ports = listedPorts();
    ASSERT_EQ(ports.size(), chips.size());
    for (uint32_t i = 0; i < ports.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(ports[i].Index, i);
        EXPECT_EQ(ports[i].Port, bed().sysName(*chips[i]));
        EXPECT_EQ(ports[i].Type, types[i]);
        char alone[KT_PORT_SIZE] = {};
        uint32_t type = 0;
        ASSERT_EQ(KT_GetDevicePort(i, &type, alone, sizeof alone), FT_OK);
        EXPECT_STREQ(alone, ports[i].Port);
        EXPECT_EQ(type, ports[i].Type);
    }

    for (uint32_t i = 0; i < ports.size(); ++i) {
        uint32_t listed = 0, held = 0;
        ASSERT_EQ(FT_GetDeviceInfoDetail(i, nullptr, nullptr, nullptr, &listed, nullptr, nullptr, nullptr),
                  FT_OK);
        FT_HANDLE handle = nullptr;
        ASSERT_EQ(FT_Open(int(i), &handle), FT_OK);
        EXPECT_EQ(KT_GetHandleLocation(handle, &held), FT_OK);
        EXPECT_NE(held, 0u);
        EXPECT_EQ(held, listed) << i;
        EXPECT_EQ(FT_Close(handle), FT_OK);
    }

    // Pulled out: the chips behind it move up an index and keep their ports, and
    // each opens by its port.
    bed().unplug(*chips[1]);
    FT_HANDLE handle = nullptr;
    ASSERT_EQ(KT_OpenByPort(bed().sysName(*chips[2]).c_str(), &handle), FT_OK);
    uint32_t type = 0;
    EXPECT_EQ(FT_GetDeviceInfo(handle, &type, nullptr, nullptr, nullptr, nullptr), FT_OK);
    EXPECT_EQ(type, FT_DEVICE_232R);
    EXPECT_EQ(FT_Close(handle), FT_OK);
    EXPECT_EQ(KT_OpenByPort(bed().sysName(*chips[1]).c_str(), &handle), FT_DEVICE_NOT_FOUND);
    ports = listedPorts();
    ASSERT_EQ(ports.size(), 3u);
    for (uint32_t i = 0; i < ports.size(); ++i) EXPECT_EQ(ports[i].Index, i);
    EXPECT_EQ(ports[0].Port, bed().sysName(*chips[0]));
    EXPECT_EQ(ports[1].Port, bed().sysName(*chips[2]));
    EXPECT_EQ(ports[2].Port, bed().sysName(*chips[3]));
}

}  // namespace
}  // namespace kestrom::virtualchip
