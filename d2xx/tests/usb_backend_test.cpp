// The real-hardware backend through libftd2xx.so. Without a chip attached (or
// without USB at all, as in a container) every lookup is a prompt, orderly "not
// found"; with one attached, listing and the opened device agree. Nothing here
// changes what a device holds.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "ftd2xx.h"

namespace {

uint32_t attached() {
    unsetenv("FTD2XX_SIM");  // real USB, whatever the caller's environment says
    uint32_t devices = 0xDEAD;
    EXPECT_EQ(FT_ListDevices(&devices, nullptr, FT_LIST_NUMBER_ONLY), FT_OK);
    return devices;
}

FT_STATUS listed(uint32_t index, uint32_t what, std::string &text) {
    char buffer[64] = "untouched";
    const FT_STATUS status =
        FT_ListDevices(reinterpret_cast<void *>(uintptr_t{index}), buffer, FT_LIST_BY_INDEX | what);
    text = buffer;
    return status;
}

// Malformed pairs in FTD2XX_VIDPID are skipped, and a pair the defaults already
// cover lists nothing twice, so none of these changes the count.
TEST(UsbBackend, EveryLookupPastTheAttachedDevicesIsNotFound) {
    const char *own = std::getenv("FTD2XX_VIDPID");
    const std::string saved = own ? own : "";
    unsetenv("FTD2XX_VIDPID");
    const auto start = std::chrono::steady_clock::now();
    const uint32_t devices = attached();
    EXPECT_TRUE(devices == 0 || std::filesystem::exists("/dev/bus/usb")) << "devices listed without USB";
    uint32_t count = 0xDEAD;
    EXPECT_EQ(FT_CreateDeviceInfoList(&count), FT_OK);
    EXPECT_EQ(count, devices);
    for (const std::string &ids :
         {std::string(), std::string("zz:zz,0403,:,0:0,12345:67890"),
          std::string("0403:6001,0403:6001;0x0403:0x6010;0403:6011"), std::string(10000, ':')}) {
        SCOPED_TRACE(ids.substr(0, 40));
        setenv("FTD2XX_VIDPID", ids.c_str(), 1);
        EXPECT_EQ(attached(), devices);
        std::string text;
        EXPECT_EQ(listed(devices, FT_OPEN_BY_DESCRIPTION, text), FT_DEVICE_NOT_FOUND);
        EXPECT_EQ(listed(devices, FT_OPEN_BY_SERIAL_NUMBER, text), FT_DEVICE_NOT_FOUND);
        FT_HANDLE handle = nullptr;
        EXPECT_EQ(FT_Open(static_cast<int>(devices), &handle), FT_DEVICE_NOT_FOUND);
        EXPECT_EQ(handle, nullptr);
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
    if (own)
        setenv("FTD2XX_VIDPID", saved.c_str(), 1);
    else
        unsetenv("FTD2XX_VIDPID");
}

TEST(UsbBackend, AttachedDeviceOpensAsListed) {
    if (attached() == 0) GTEST_SKIP() << "no device is attached";
    std::string description, serial;
    ASSERT_EQ(listed(0, FT_OPEN_BY_DESCRIPTION, description), FT_OK);
    ASSERT_EQ(listed(0, FT_OPEN_BY_SERIAL_NUMBER, serial), FT_OK);
    FT_HANDLE handle = nullptr;
    const FT_STATUS opened = FT_Open(0, &handle);
    if (opened == FT_DEVICE_NOT_OPENED) GTEST_SKIP() << "device 0 is busy or not ours (see the udev rule)";
    ASSERT_EQ(opened, FT_OK);

    uint32_t type = 0xDEAD, id = 0;
    char serialOpen[16] = {}, descriptionOpen[64] = {};
    ASSERT_EQ(FT_GetDeviceInfo(handle, &type, &id, serialOpen, descriptionOpen, nullptr), FT_OK);
    EXPECT_LE(type, uint32_t{FT_DEVICE_X_SERIES});
    EXPECT_NE(id >> 16, 0u) << "vendor ID";
    EXPECT_EQ(description, descriptionOpen);
    EXPECT_EQ(serial, serialOpen);
    uint16_t word = 0;
    EXPECT_EQ(FT_ReadEE(handle, 0, &word), FT_OK);
    EXPECT_EQ(FT_Close(handle), FT_OK);
    // Closing gave the device back: it opens again.
    ASSERT_EQ(FT_Open(0, &handle), FT_OK);
    EXPECT_EQ(FT_Close(handle), FT_OK);
}

}  // namespace
