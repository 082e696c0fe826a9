// Putting a library where the program loads it from.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "library_files.h"

namespace fs = std::filesystem;

// The copy takes the old file's place only once it is whole: a program that has the
// old file loaded (here: a second name for it) keeps it as it was.
TEST(LibraryFiles, ACopyTakesTheOldFilesPlaceAndLeavesItIntact) {
    QTemporaryDir scratch;
    const fs::path root = scratch.path().toStdString();
    std::ofstream(root / "new.so") << "new";
    std::ofstream(root / "lib.so") << "old";
    fs::create_hard_link(root / "lib.so", root / "loaded.so");
    ASSERT_TRUE(kestrom::startup::copyReplacing(root / "new.so", root / "lib.so"));
    const auto contents = [](const fs::path &file) {
        std::ostringstream text;
        text << std::ifstream(file).rdbuf();
        return text.str();
    };
    EXPECT_EQ("new", contents(root / "lib.so"));
    EXPECT_EQ("old", contents(root / "loaded.so"));
    EXPECT_EQ(3, std::distance(fs::directory_iterator(root), {})) << "no partial copy left";
}
