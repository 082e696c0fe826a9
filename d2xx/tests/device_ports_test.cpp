// KT_ListDevicePorts on simulated devices: every present device with its index, chip
// type and port, as KT_GetDevicePort tells them one by one, and never a byte past
// the room the caller gave; a device opened by its port; an open device's location,
// as the listing gives it.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "ftd2xx.h"
#include "sim_fixture.h"

namespace {

class DevicePorts : public SimFixture {
protected:
    // Entries filled with a pattern the call must leave alone where it does not write.
    static std::vector<KT_DEVICE_PORT> untouched(size_t count) {
        std::vector<KT_DEVICE_PORT> ports(count);
        std::memset(ports.data(), 0xAB, ports.size() * sizeof(KT_DEVICE_PORT));
        return ports;
    }
    static bool isUntouched(const KT_DEVICE_PORT &port) {
        const auto *bytes = reinterpret_cast<const unsigned char *>(&port);
        for (size_t i = 0; i < sizeof port; ++i)
            if (bytes[i] != 0xAB) return false;
        return true;
    }
};

TEST_F(DevicePorts, EveryPresentDeviceInIndexOrderAsEachIsListedAlone) {
    writeDevices(
        "[bench-a]\nchip = BM\n"
        "[unplugged]\nchip = 232R\npresent = 0\n"
        "[bench-b]\nchip = 2232C\n"
        "[bench c]\nchip = AM\n"
        "[bench-d]\nchip = 232R\n");
    std::vector<KT_DEVICE_PORT> ports = untouched(6);
    uint32_t count = 99;
    ASSERT_EQ(FT_OK, KT_ListDevicePorts(ports.data(), uint32_t(ports.size()), &count));
    ASSERT_EQ(4u, count);

    const std::vector<std::pair<std::string, uint32_t>> expected{{"bench-a", FT_DEVICE_BM},
                                                                 {"bench-b", FT_DEVICE_2232C},
                                                                 {"bench c", FT_DEVICE_AM},
                                                                 {"bench-d", FT_DEVICE_232R}};
    for (uint32_t i = 0; i < count; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(i, ports[i].Index);
        EXPECT_EQ(expected[i].first, ports[i].Port);
        EXPECT_EQ(expected[i].second, ports[i].Type);
        char alone[KT_PORT_SIZE] = {};
        uint32_t type = 0;
        ASSERT_EQ(FT_OK, KT_GetDevicePort(i, &type, alone, sizeof alone));
        EXPECT_STREQ(alone, ports[i].Port);
        EXPECT_EQ(type, ports[i].Type);
    }
    EXPECT_TRUE(isUntouched(ports[4]) && isUntouched(ports[5])) << "written past the devices listed";

    // Plugged and unplugged by editing the file: the next listing follows.
    writeDevices("[bench-a]\nchip = BM\npresent = 0\n[bench-b]\nchip = 2232C\n");
    ASSERT_EQ(FT_OK, KT_ListDevicePorts(ports.data(), uint32_t(ports.size()), &count));
    ASSERT_EQ(1u, count);
    EXPECT_EQ(0u, ports[0].Index);
    EXPECT_STREQ("bench-b", ports[0].Port);
}

TEST_F(DevicePorts, TooLittleRoomSaysHowMuchIsNeededAndWritesNothing) {
    writeDevices("[one]\nchip = BM\n[two]\nchip = BM\n[three]\nchip = BM\n");
    std::vector<KT_DEVICE_PORT> ports = untouched(3);
    uint32_t count = 0;
    // Room for two, and a third entry that must stay as it was.
    EXPECT_EQ(FT_INSUFFICIENT_RESOURCES, KT_ListDevicePorts(ports.data(), 2, &count));
    EXPECT_EQ(3u, count);
    for (const KT_DEVICE_PORT &port : ports) EXPECT_TRUE(isUntouched(port));

    // No array at all: how many there are.
    count = 0;
    EXPECT_EQ(FT_INSUFFICIENT_RESOURCES, KT_ListDevicePorts(nullptr, 0, &count));
    EXPECT_EQ(3u, count);
    // The room asked for is enough.
    ASSERT_EQ(FT_OK, KT_ListDevicePorts(ports.data(), count, &count));
    EXPECT_STREQ("three", ports[2].Port);

    // Nothing listed needs no room.
    writeDevices("[one]\nchip = BM\npresent = 0\n");
    count = 99;
    EXPECT_EQ(FT_OK, KT_ListDevicePorts(nullptr, 0, &count));
    EXPECT_EQ(0u, count);
}

TEST_F(DevicePorts, MissingArgumentsAreRefused) {
    writeDevices("[one]\nchip = BM\n");
    KT_DEVICE_PORT port{};
    uint32_t count = 99;
    EXPECT_EQ(FT_INVALID_PARAMETER, KT_ListDevicePorts(&port, 1, nullptr));
    EXPECT_EQ(FT_INVALID_PARAMETER, KT_ListDevicePorts(nullptr, 1, &count));
    EXPECT_EQ(99u, count);
}

// The location of each open device is the one its listing gives, without a listing:
// a device edited out of the file meanwhile still tells where it was opened.
TEST_F(DevicePorts, AnOpenDeviceTellsTheLocationItsListingGives) {
    writeDevices("[first]\nchip = BM\n[second]\nchip = 232R\n");
    uint32_t listed[2] = {};
    FT_HANDLE handles[2] = {};
    for (uint32_t i = 0; i < 2; ++i) {
        ASSERT_EQ(FT_OK, FT_GetDeviceInfoDetail(i, nullptr, nullptr, nullptr, &listed[i], nullptr, nullptr,
                                                nullptr));
        ASSERT_EQ(FT_OK, FT_Open(int(i), &handles[i]));
    }
    EXPECT_NE(0u, listed[0]);
    EXPECT_NE(listed[0], listed[1]);
    writeDevices("[first]\nchip = BM\npresent = 0\n[second]\nchip = 232R\n");
    for (uint32_t i = 0; i < 2; ++i) {
        uint32_t location = 0;
        EXPECT_EQ(FT_OK, KT_GetHandleLocation(handles[i], &location));
        EXPECT_EQ(listed[i], location) << i;
    }
    EXPECT_EQ(FT_INVALID_PARAMETER, KT_GetHandleLocation(handles[0], nullptr));
    for (FT_HANDLE handle : handles) EXPECT_EQ(FT_OK, FT_Close(handle));
    uint32_t location = 0;
    EXPECT_EQ(FT_INVALID_HANDLE, KT_GetHandleLocation(handles[0], &location));
}

// KT_OpenByPort opens the device in that section whatever its index, and answers as
// FT_Open of that index would: its injected failure, a holder's lock, none there.
TEST_F(DevicePorts, ADeviceOpensByItsPortAsFtOpenOfItsIndexWould) {
    writeDevices(
        "[gone]\nchip = AM\npresent = 0\n[first]\nchip = BM\nserial = FIRST001\n"
        "[second]\nchip = 232R\nserial = SECOND01\n[failing]\nchip = BM\nfail.FT_Open = 4\n");
    FT_HANDLE handle = nullptr;
    ASSERT_EQ(FT_OK, KT_OpenByPort("second", &handle));
    char serial[16] = {};
    uint32_t type = 0;
    EXPECT_EQ(FT_OK, FT_GetDeviceInfo(handle, &type, nullptr, serial, nullptr, nullptr));
    EXPECT_STREQ("SECOND01", serial);
    EXPECT_EQ(FT_DEVICE_232R, type);
    FT_HANDLE again = nullptr;
    EXPECT_EQ(FT_DEVICE_NOT_OPENED, KT_OpenByPort("second", &again)) << "one holder at a time";
    EXPECT_EQ(FT_DEVICE_NOT_OPENED, FT_Open(1, &again));
    EXPECT_EQ(FT_OK, FT_Close(handle));

    EXPECT_EQ(FT_IO_ERROR, KT_OpenByPort("failing", &handle));
    EXPECT_EQ(FT_DEVICE_NOT_FOUND, KT_OpenByPort("gone", &handle));
    EXPECT_EQ(FT_DEVICE_NOT_FOUND, KT_OpenByPort("", &handle));
    EXPECT_EQ(FT_INVALID_PARAMETER, KT_OpenByPort(nullptr, &handle));
    EXPECT_EQ(FT_INVALID_PARAMETER, KT_OpenByPort("first", nullptr));
}

}  // namespace
