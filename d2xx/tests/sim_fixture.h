// A scratch folder for simulated devices: FTD2XX_SIM names its devices file and
// XDG_RUNTIME_DIR its "runtime" subfolder (device lock files) for the length of one
// test, and the folder goes away afterwards.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "ftd2xx.h"

class SimFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    std::filesystem::path path(const std::string &name) const { return folder_ / name; }

    // Replaces the devices file ("devices.ini") with `ini`; FTD2XX_SIM names it.
    void writeDevices(const std::string &ini) const;
    // Points FTD2XX_SIM at another file of the folder.
    void useDevicesFile(const std::string &name) const;

    // Names are relative to the folder; an absolute path is taken as it is.
    void writeBytes(const std::string &name, const std::string &bytes) const;
    std::string readBytes(const std::string &name) const;
    // Copies examples/<example> into the folder as `name` (default: the same name).
    void copyExample(const std::string &example, const std::string &name = "") const;
    void copyAllExamples() const;

    // Opens device `index`; a failure fails the test. Left-over handles are closed in TearDown
    // or by closeAll (a device opens once at a time).
    FT_HANDLE open(int index = 0);
    void closeAll();
    uint16_t readWord(FT_HANDLE handle, uint32_t offset) const;
    uint32_t deviceCount() const;
    // FT_ListDevices by index: the description, or the serial number.
    std::string listed(uint32_t index, bool serial = false) const;

private:
    std::filesystem::path folder_;
    std::optional<std::string> previousSim_, previousRuntime_;
    std::vector<FT_HANDLE> handles_;
};
