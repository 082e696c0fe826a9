// Loading libromgate from a program folder, with and without the driver beside it.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "romgate_fields_table.h"
#include "romgate_loader.h"

namespace fs = std::filesystem;

namespace {

class ProgramFolder : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "kestrom-folder-XXXXXX").string();
        ASSERT_NE(nullptr, mkdtemp(pattern.data()));
        folder_ = pattern;
        fs::copy_file(ROMGATE_FILE, folder_ / kestrom::kRomgateFileName);
    }
    void TearDown() override { fs::remove_all(folder_); }
    fs::path folder_;
};

}  // namespace

// Runs the loader in a process of its own: it prints the outcome.
std::string loadIn(const fs::path &folder, int &exitCode) {
    const std::string command = std::string(LOAD_CHECK_FILE) + " '" + folder.string() + "'";
    FILE *child = popen(command.c_str(), "r");
    std::string output;
    char buffer[256];
    while (child != nullptr && std::fgets(buffer, sizeof buffer, child) != nullptr) output += buffer;
    exitCode = child != nullptr ? WEXITSTATUS(pclose(child)) : -1;
    return output;
}

TEST_F(ProgramFolder, WithoutTheDriverTheUserIsToldWhichFileIsMissing) {
    int exitCode = 0;
    EXPECT_EQ("library libftd2xx.so Not found ...\n", loadIn(folder_, exitCode));
    EXPECT_EQ(1, exitCode);
    fs::copy_file(FTD2XX_FILE, folder_ / kestrom::kDriverFileName);
    EXPECT_EQ("loaded\n", loadIn(folder_, exitCode));
    EXPECT_EQ(0, exitCode);
}

TEST_F(ProgramFolder, WithTheDriverAFreshLibraryReadsZeroAndEmpty) {
    fs::copy_file(FTD2XX_FILE, folder_ / kestrom::kDriverFileName);
    kestrom::RomgateLibrary library;
    ASSERT_TRUE(library.load(folder_)) << library.message();
    // A copy in another folder is its own instance, untouched by the other tests.
    for (const FieldAccess &f : allFields()) {
        SCOPED_TRACE(f.name);
        void *get = library.symbol((std::string("GET_") + f.name + "_").c_str());
        ASSERT_NE(nullptr, get);
        if (f.kind == FieldKind::Text) {
            char buffer[80] = "junk";
            EXPECT_EQ(0, reinterpret_cast<int32_t (*)(char *)>(get)(buffer));
            EXPECT_STREQ("", buffer);
        } else {
            EXPECT_EQ(0, reinterpret_cast<int32_t (*)()>(get)());
        }
    }
    EXPECT_EQ(nullptr, library.symbol("NoSuchExport_"));
}
