// Binding by name: each export looked up once, and an unavailable library or
// export answers as if no device had answered, without a crash.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include "d2xx_binding.h"
#include "export_table.h"
#include "romgate_binding.h"

namespace fs = std::filesystem;
using kestrom::platform::D2xxBinding;
using kestrom::platform::ExportTable;
using kestrom::platform::RomgateBinding;

namespace {

int32_t answer7() {
    return 7;
}

class EmptyFolder : public ::testing::Test {
protected:
    QTemporaryDir scratch_;
    const fs::path folder_ = scratch_.path().toStdString();
};

void expectNoDeviceAnswers(RomgateBinding &romgate) {
    char buffer[68] = "untouched";
    EXPECT_EQ(-2, romgate.FT_EE_READ_());
    EXPECT_EQ(-2, romgate.FT_GetFTDevice_());
    EXPECT_EQ(-2, romgate.FT_GetDeviceInfo_(buffer, buffer));
    EXPECT_EQ(2, romgate.FT_STATUS_());
    EXPECT_EQ(-1, romgate.FT_EE_UASize_());
    EXPECT_EQ(-1, romgate.GET_VendorId_());
    EXPECT_EQ(-1, romgate.GET_BIsVCP_());
    EXPECT_EQ(-1, romgate.GET_Description_(buffer));
    EXPECT_STREQ("untouched", buffer);
    EXPECT_EQ(2, romgate.SET_MaxPower_(90));
    EXPECT_EQ(2, romgate.SET_SerialNumber_("QV1"));
}

}  // namespace

TEST(ExportTable, LoadsOnceAndLooksEachNameUpOnce) {
    int loads = 0;
    std::map<std::string, int> lookups;
    ExportTable table(
        2, [&](std::string &) { return ++loads > 0; },
        [&](const char *name) -> ExportTable::Address {
            ++lookups[name];
            return std::string(name) == "Seven" ? reinterpret_cast<ExportTable::Address>(&answer7) : nullptr;
        });
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(7, table.call<int32_t (*)()>(0, "Seven", -1));
        EXPECT_EQ(-1, table.call<int32_t (*)()>(1, "Missing", -1));
    }
    EXPECT_EQ(1, loads);
    EXPECT_EQ((std::map<std::string, int>{{"Missing", 1}, {"Seven", 1}}), lookups);
}

TEST_F(EmptyFolder, WithoutLibromgateEveryCallAnswersNoDevice) {
    RomgateBinding romgate(folder_);
    expectNoDeviceAnswers(romgate);
    EXPECT_FALSE(romgate.load());
    EXPECT_EQ("library libromgate.so Not found ...", romgate.message());
}

// A library that loads but exports none of the names.
TEST_F(EmptyFolder, ALibraryWithoutTheExportsAnswersNoDevice) {
    fs::copy_file(FTD2XX_FILE, folder_ / "libromgate.so");
    RomgateBinding romgate(folder_);
    ASSERT_TRUE(romgate.load()) << romgate.message();
    expectNoDeviceAnswers(romgate);
}

// Needs a process without libftd2xx loaded, and no system copy of it.
TEST_F(EmptyFolder, WithoutTheDriverTheD2xxCallsFindNoDevice) {
    D2xxBinding d2xx(folder_);
    uint32_t count = 5;
    FT_HANDLE handle = nullptr;
    EXPECT_EQ(FT_DEVICE_NOT_FOUND, d2xx.FT_ListDevices(&count, nullptr, FT_LIST_NUMBER_ONLY));
    EXPECT_EQ(5u, count);
    EXPECT_EQ(FT_DEVICE_NOT_FOUND, d2xx.FT_Open(0, &handle));
    EXPECT_FALSE(d2xx.load());
    EXPECT_EQ("library libftd2xx.so Not found ...", d2xx.message());
}

// How many devices `d2xx` lists from a devices file with one; 99 when it lists none.
uint32_t devicesListed(D2xxBinding &d2xx, const fs::path &folder) {
    std::ofstream(folder / "devices.ini") << "[dev]\nchip = BM\n";
    setenv("FTD2XX_SIM", (folder / "devices.ini").c_str(), 1);
    uint32_t count = 99;
    d2xx.FT_ListDevices(&count, nullptr, FT_LIST_NUMBER_ONLY);
    unsetenv("FTD2XX_SIM");
    return count;
}

bool inThisProcess(const fs::path &library) {
    std::ifstream maps("/proc/self/maps");
    std::string line;
    while (std::getline(maps, line)) {
        if (line.find(library.string()) != std::string::npos) return true;
    }
    return false;
}

// The copy beside the program is the one loaded, found by its full path, and let go
// with the binding.
TEST_F(EmptyFolder, TheD2xxCallsReachTheDriverBesideTheProgram) {
    const fs::path driver = folder_ / "libftd2xx.so";
    fs::copy_file(FTD2XX_FILE, driver);
    {
        D2xxBinding d2xx(folder_);
        EXPECT_EQ(1u, devicesListed(d2xx, folder_));
        EXPECT_TRUE(inThisProcess(driver));
    }
    EXPECT_FALSE(inThisProcess(driver)) << "still loaded, it would stand in for a missing driver later";
}

// Without a copy beside the program, the system's search finds the driver: here the
// one libromgate brought in from elsewhere, as the system's copy would be.
TEST_F(EmptyFolder, WithoutADriverBesideTheProgramTheSystemsOneServes) {
    fs::create_directory(folder_ / "system");
    const fs::path systemDriver = folder_ / "system" / "libftd2xx.so";
    fs::copy_file(FTD2XX_FILE, systemDriver);
    void *broughtIn = dlopen(systemDriver.c_str(), RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(nullptr, broughtIn) << dlerror();
    {
        D2xxBinding d2xx(folder_);
        EXPECT_EQ(1u, devicesListed(d2xx, folder_));
        EXPECT_TRUE(d2xx.load());
    }
    dlclose(broughtIn);
}

// libromgate cannot load without the driver beside it: the driver is the library named.
TEST_F(EmptyFolder, LibromgateWithoutTheDriverNamesTheDriver) {
    fs::copy_file(ROMGATE_FILE, folder_ / "libromgate.so");
    RomgateBinding withoutDriver(folder_);
    EXPECT_FALSE(withoutDriver.load());
    EXPECT_EQ("library libftd2xx.so Not found ...", withoutDriver.message());
    EXPECT_EQ(-1, withoutDriver.GET_VendorId_());

    fs::copy_file(FTD2XX_FILE, folder_ / "libftd2xx.so");
    RomgateBinding complete(folder_);
    EXPECT_TRUE(complete.load()) << complete.message();
    EXPECT_EQ(0, complete.GET_VendorId_()) << "a fresh library's record";
}

// A library of the driver's name that lacks the D2XX calls makes libromgate unusable
// at the load, with the driver's message, rather than at its first device operation.
TEST_F(EmptyFolder, ADriverWithoutTheD2xxCallsIsRefusedAtTheLoad) {
    fs::copy_file(ROMGATE_FILE, folder_ / "libromgate.so");
    fs::copy_file(ROMGATE_FILE, folder_ / "libftd2xx.so");
    RomgateBinding romgate(folder_);
    EXPECT_FALSE(romgate.load());
    EXPECT_EQ("library libftd2xx.so Not found ...", romgate.message());
    EXPECT_EQ(-2, romgate.FT_EE_READ_());
}

// A file of the library's name that no system could load is not called missing: the
// system's own words say what is wrong with it, and which file it is.
TEST_F(EmptyFolder, AFileThatIsNoLibraryIsNamedInTheSystemsWords) {
    for (const char *name : {"libromgate.so", "libftd2xx.so"}) std::ofstream(folder_ / name) << "no library";
    RomgateBinding romgate(folder_);
    D2xxBinding d2xx(folder_);
    EXPECT_FALSE(romgate.load());
    EXPECT_FALSE(d2xx.load());
    EXPECT_NE(std::string::npos, romgate.message().find((folder_ / "libromgate.so").string())) << romgate.message();
    EXPECT_NE(std::string::npos, d2xx.message().find((folder_ / "libftd2xx.so").string())) << d2xx.message();
    EXPECT_EQ(std::string::npos, d2xx.message().find("Not found")) << d2xx.message();
}
