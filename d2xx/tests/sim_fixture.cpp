#include "sim_fixture.h"

#include <cstdlib>
#include <fstream>
#include <iterator>

namespace fs = std::filesystem;

namespace {

std::optional<std::string> replaceEnv(const char *name, const std::string &value) {
    std::optional<std::string> previous;
    if (const char *now = std::getenv(name)) previous = now;
    setenv(name, value.c_str(), 1);
    return previous;
}

void restoreEnv(const char *name, const std::optional<std::string> &previous) {
    if (previous) {
        setenv(name, previous->c_str(), 1);
    } else {
        unsetenv(name);
    }
}

}  // namespace

void SimFixture::SetUp() {
    std::string pattern = (fs::temp_directory_path() / "kestrom-sim-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    folder_ = pattern;
    previousSim_ = replaceEnv("FTD2XX_SIM", path("devices.ini"));
    fs::create_directory(path("runtime"));
    previousRuntime_ = replaceEnv("XDG_RUNTIME_DIR", path("runtime"));
}

void SimFixture::TearDown() {
    closeAll();
    restoreEnv("FTD2XX_SIM", previousSim_);
    restoreEnv("XDG_RUNTIME_DIR", previousRuntime_);
    std::error_code error;
    fs::remove_all(folder_, error);
}

void SimFixture::writeDevices(const std::string &ini) const {
    writeBytes("devices.ini", ini);
}

void SimFixture::useDevicesFile(const std::string &name) const {
    setenv("FTD2XX_SIM", path(name).c_str(), 1);
}

void SimFixture::writeBytes(const std::string &name, const std::string &bytes) const {
    std::ofstream(path(name), std::ios::binary | std::ios::trunc) << bytes;
}

std::string SimFixture::readBytes(const std::string &name) const {
    std::ifstream in(path(name), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void SimFixture::copyExample(const std::string &example, const std::string &name) const {
    fs::copy_file(fs::path(KESTROM_EXAMPLES_DIR) / example, path(name.empty() ? example : name),
                  fs::copy_options::overwrite_existing);
}

void SimFixture::copyAllExamples() const {
    fs::copy(KESTROM_EXAMPLES_DIR, folder_,
             fs::copy_options::overwrite_existing | fs::copy_options::recursive);
}

FT_HANDLE SimFixture::open(int index) {
    FT_HANDLE handle = nullptr;
    EXPECT_EQ(FT_Open(index, &handle), FT_OK) << "device " << index;
    handles_.push_back(handle);
    return handle;
}

void SimFixture::closeAll() {
    for (FT_HANDLE handle : handles_) FT_Close(handle);  // already closed ones answer "invalid handle"
    handles_.clear();
}

uint16_t SimFixture::readWord(FT_HANDLE handle, uint32_t offset) const {
    uint16_t value = 0;
    EXPECT_EQ(FT_ReadEE(handle, offset, &value), FT_OK) << "word " << offset;
    return value;
}

uint32_t SimFixture::deviceCount() const {
    uint32_t count = 0xDEAD;
    EXPECT_EQ(FT_ListDevices(&count, nullptr, FT_LIST_NUMBER_ONLY), FT_OK);
    return count;
}

std::string SimFixture::listed(uint32_t index, bool serial) const {
    char buffer[64] = {};
    const uint32_t what = serial ? FT_OPEN_BY_SERIAL_NUMBER : FT_OPEN_BY_DESCRIPTION;
    EXPECT_EQ(FT_ListDevices(reinterpret_cast<void *>(uintptr_t{index}), buffer, FT_LIST_BY_INDEX | what),
              FT_OK)
        << "device " << index;
    return buffer;
}
