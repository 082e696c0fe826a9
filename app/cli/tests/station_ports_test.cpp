// The stations' listing of ports gives the same devices whether the driver lists
// every port at once or only tells them index by index, however many boards there are.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "d2xx_binding.h"
#include "sim_fixture.h"
#include "station_ports.h"

using namespace kestrom::cli;
using kestrom::platform::D2xxBinding;
using kestrom::platform::ExportTable;

namespace {

// The driver's exports, but for `hidden`.
D2xxBinding bindingWithout(const char *hidden) {
    return D2xxBinding([hidden](const char *name) -> ExportTable::Address {
        if (std::strcmp(name, hidden) == 0) return nullptr;
        return reinterpret_cast<ExportTable::Address>(dlsym(RTLD_DEFAULT, name));
    });
}

class StationPorts : public SimFixture {};

TEST_F(StationPorts, AtOnceAndIndexByIndexListTheSameBoards) {
    // More boards than the first asking has room for, two of them unplugged.
    std::string ini;
    for (int board = 0; board < 22; ++board) {
        ini += "[bench" + std::to_string(board) + "]\nchip = " + (board % 3 ? "BM" : "232R") + "\n" +
               (board == 0 || board == 17 ? "present = 0\n" : "");
    }
    writeDevices(ini);
    D2xxBinding atOnce = bindingWithout(""), byIndex = bindingWithout("KT_ListDevicePorts");
    ASSERT_TRUE(atOnce.listsPorts());
    ASSERT_FALSE(byIndex.listsPorts());

    const auto listed = listStationPorts(atOnce), alone = listStationPorts(byIndex);
    ASSERT_TRUE(listed && alone);
    ASSERT_EQ(20u, listed->size());
    ASSERT_EQ(alone->size(), listed->size());
    for (size_t i = 0; i < listed->size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(int(i), (*listed)[i].index);
        EXPECT_EQ((*alone)[i].index, (*listed)[i].index);
        EXPECT_EQ((*alone)[i].chipType, (*listed)[i].chipType);
        EXPECT_EQ((*alone)[i].port, (*listed)[i].port);
    }
    EXPECT_EQ(u"bench1", listed->front().port);
    EXPECT_EQ(u"bench18", (*listed)[16].port);  // bench17 is unplugged
    EXPECT_EQ(uint32_t{FT_DEVICE_232R}, (*listed)[16].chipType);
    EXPECT_EQ(u"bench21", listed->back().port);
    EXPECT_EQ(16, indexOfPort(atOnce, QStringLiteral("bench18")).value_or(-1));
    EXPECT_FALSE(indexOfPort(atOnce, QStringLiteral("bench17")));
}

}  // namespace
