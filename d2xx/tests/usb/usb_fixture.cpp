#include "usb_fixture.h"

#include <cstdlib>
#include <filesystem>

namespace kestrom::virtualchip {

void VirtualUsb::SetUp() {
    if (!Testbed::preloaded()) {
        GTEST_SKIP() << "umockdev's preload library is not loaded: run through ctest, or with "
                        "LD_PRELOAD=libumockdev-preload.so.0";
    }
    if (const char *sim = std::getenv("FTD2XX_SIM")) savedSim_ = sim;
    unsetenv("FTD2XX_SIM");
    if (const char *runtime = std::getenv("XDG_RUNTIME_DIR")) savedRuntime_ = runtime;
    runtime_ = (std::filesystem::temp_directory_path() / "kestrom-usb-XXXXXX").string();
    ASSERT_NE(mkdtemp(runtime_.data()), nullptr);
    setenv("XDG_RUNTIME_DIR", runtime_.c_str(), 1);
    bed_.emplace();
}

void VirtualUsb::TearDown() {
    for (FT_HANDLE handle : handles_) FT_Close(handle);
    handles_.clear();
    bed_.reset();
    if (savedSim_) setenv("FTD2XX_SIM", savedSim_->c_str(), 1);
    if (savedRuntime_) {
        setenv("XDG_RUNTIME_DIR", savedRuntime_->c_str(), 1);
    } else {
        unsetenv("XDG_RUNTIME_DIR");
    }
    std::error_code error;
    if (!runtime_.empty()) std::filesystem::remove_all(runtime_, error);
}

void VirtualUsb::newBus() {
    for (FT_HANDLE handle : handles_) FT_Close(handle);
    handles_.clear();
    bed_.reset();
    bed_.emplace();
}

FT_HANDLE VirtualUsb::open() {
    FT_HANDLE handle = nullptr;
    EXPECT_EQ(FT_Open(0, &handle), FT_OK);
    handles_.push_back(handle);
    return handle;
}

void VirtualUsb::close(FT_HANDLE handle) {
    EXPECT_EQ(FT_Close(handle), FT_OK);
    std::erase(handles_, handle);
}

std::vector<uint16_t> example(const char *file) {
    return loadImage(std::string(KESTROM_EXAMPLES_DIR "/") + file);
}

std::vector<uint16_t> encoded(uint32_t chipType, size_t words, const d2xx::EepromContents &contents) {
    std::vector<uint16_t> image(words, 0xFFFF);
    EXPECT_EQ(d2xx::encode(chipType, contents, image), FT_OK);
    return image;
}

std::vector<uint16_t> programmedImage(uint32_t chipType, size_t words, const std::string &serial) {
    d2xx::EepromContents contents = d2xx::chipDefaults(chipType);
    contents.serialNumber = serial;
    contents.fields.SerNumEnable = contents.fields.SerNumEnable5 = contents.fields.SerNumEnableR = 1;
    return encoded(chipType, words, contents);
}

std::vector<uint16_t> boardImage(uint32_t chipType, size_t words) {
    d2xx::EepromContents contents = d2xx::chipDefaults(chipType);
    contents.serialNumber = "HS000042";
    contents.ft2232h.ADriverType = contents.ft4232h.ADriverType = FT_DRIVER_TYPE_D2XX;
    contents.ft232h.ACDriveCurrent = contents.xSeries.ADDriveCurrent = FT_DRIVE_CURRENT_8MA;
    std::vector<uint16_t> image = encoded(chipType, words, contents);
    if (chipType == FT_DEVICE_X_SERIES) {
        for (size_t i = 0x40; i < 0x50; ++i) image[i] = uint16_t(0x4600 + i);
        image[127] = d2xx::chipChecksum(chipType, image, 128);
    }
    return image;
}

std::string listed(uint32_t index, bool serial) {
    char buffer[64] = {};
    const uint32_t what = serial ? FT_OPEN_BY_SERIAL_NUMBER : FT_OPEN_BY_DESCRIPTION;
    const FT_STATUS status =
        FT_ListDevices(reinterpret_cast<void *>(uintptr_t{index}), buffer, FT_LIST_BY_INDEX | what);
    return status == FT_OK ? buffer : "status " + std::to_string(status);
}

}  // namespace kestrom::virtualchip
