// The checks before the window opens, in scratch program and system folders.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <fstream>
#include <map>
#include <sstream>

#include "library_names.h"
#include "queued_dialogs.h"
#include "startup_checks.h"

namespace fs = std::filesystem;
using namespace kestrom::startup;

namespace {

// Each message as "<icon> <title>: <text>", icons by name.
class RecordedBoxes : public QueuedDialogs {
public:
    std::vector<std::string> shown() const {
        static const char *const icons[] = {"none", "information", "warning", "error"};
        std::vector<std::string> lines;
        for (const Message &message : messages) {
            lines.push_back(std::string(icons[int(message.icon)]) + " " + message.title.toStdString() + ": " +
                            message.text.toStdString());
        }
        return lines;
    }
};

const std::string kAlreadyRuns = "warning ***  Kestrom  ***: Aplikace už jednou běží!";
const std::string kOldWindows =
    "error Nesprávný Systém: Lituji, ale program je určen jen pro systém  Win2000 a vyšší!";
const std::string kNoDriver = "none ***  Kestrom  ***: Is not install driver for FTDI";

void put(const fs::path &file, const std::string &contents) {
    std::ofstream(file) << contents;
}
std::string contents(const fs::path &file) {
    std::ostringstream text;
    text << std::ifstream(file).rdbuf();
    return text.str();
}

}  // namespace

class StartupTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(program_);
        fs::create_directories(system_);
    }
    Environment environment(std::optional<int> windows = std::nullopt) const {
        return {program_, system_, QString::fromStdString((root_ / "kestrom.lock").string()), windows};
    }
    bool start(std::optional<int> windows = std::nullopt) {
        return StartupChecks(environment(windows)).run();
    }

    QTemporaryDir scratch_;
    const fs::path root_ = scratch_.path().toStdString();
    const fs::path program_ = root_ / "program";
    const fs::path system_ = root_ / "system";
    const fs::path driver_ = kestrom::platform::kDriverFileName;
    const fs::path romgate_ = kestrom::platform::kRomgateFileName;
    RecordedBoxes boxes_;
};

TEST_F(StartupTest, OneInstanceAndWindows2000OrLater) {
    put(program_ / driver_, "driver");
    std::optional<StartupChecks> first(std::in_place, environment());
    ASSERT_TRUE(first->run());
    fs::remove(program_ / driver_);
    fs::remove(system_ / driver_);
    EXPECT_FALSE(start(4)) << "refused before the version and the driver are looked at";
    EXPECT_FALSE(start()) << "a refused start leaves the first one's lock alone";
    first.reset();
    EXPECT_EQ(std::vector<std::string>(2, kAlreadyRuns), boxes_.shown());

    put(program_ / driver_, "driver");
    boxes_.messages.clear();
    for (int major : {0, 4}) EXPECT_FALSE(start(major)) << major;
    for (std::optional<int> major : {std::optional<int>(5), std::optional<int>(10), std::optional<int>()}) {
        EXPECT_TRUE(start(major)) << "the lock is free again once its holder has ended";
    }
    EXPECT_EQ(std::vector<std::string>(2, kOldWindows), boxes_.shown());

    Environment nowhere = environment();
    nowhere.lockFile = QString::fromStdString((root_ / "gone" / "kestrom.lock").string());
    EXPECT_TRUE(StartupChecks(nowhere).run()) << "a lock that cannot be made proves nothing";
}

// Every file under `folder`, with its contents (a folder's as "/").
static std::map<fs::path, std::string> tree(const fs::path &folder) {
    std::map<fs::path, std::string> files;
    for (const fs::directory_entry &entry : fs::recursive_directory_iterator(folder)) {
        files[entry.path()] = entry.is_directory() ? "/" : contents(entry.path());
    }
    return files;
}

// The driver is looked for beside the program, then in the system folder, and
// nothing is ever copied into either: a refusal names the file and both folders.
TEST_F(StartupTest, DriverBesideTheProgramOrInTheSystemFolderNothingCopied) {
    put(system_ / driver_, "not a library");
    put(program_ / driver_, "ours");
    put(program_ / romgate_, "ours");
    const auto before = tree(root_ / "program");
    EXPECT_TRUE(start()) << "beside the program: the system folder is not looked at";
    fs::remove(program_ / driver_);
    fs::create_directory(program_ / driver_);
    EXPECT_TRUE(start()) << "a folder of that name counts as present";
    EXPECT_TRUE(boxes_.shown().empty());
    fs::remove(program_ / driver_);
    put(program_ / driver_, "ours");
    EXPECT_EQ(before, tree(program_));

    fs::remove(program_ / driver_);
    EXPECT_FALSE(start()) << "a file that is no library";
    fs::remove(system_ / driver_);
    EXPECT_FALSE(start());
    EXPECT_EQ(std::vector<std::string>(2, kNoDriver), boxes_.shown());
    const std::string programShown = (program_ / "").string(), systemShown = (system_ / "").string();
    const std::string unloadable = boxes_.messages[0].detail.toStdString();
    EXPECT_EQ(0u, unloadable.find("libftd2xx.so is not in " + programShown + ", and " +
                                  (system_ / driver_).string() + " cannot be loaded: "))
        << unloadable;
    EXPECT_EQ("libftd2xx.so is neither in " + programShown + " nor in " + systemShown + ".",
              boxes_.messages[1].detail.toStdString());
    EXPECT_TRUE(tree(system_).empty()) << "nothing written into the system folder";
    EXPECT_FALSE(fs::exists(program_ / driver_)) << "nor into the program's";
}

// The system folder's driver is the one libromgate gets, though it lies in no
// folder the system's loader searches; both folders stay as they were.
TEST_F(StartupTest, ADriverOnlyInTheSystemFolderServesLibromgate) {
    fs::copy_file(DRIVER_FILE, system_ / driver_);
    fs::copy_file(ROMGATE_FILE, program_ / romgate_);
    kestrom::platform::RomgateBinding before(program_);
    if (before.load()) GTEST_SKIP() << "a driver library is installed where any program finds it";
    const auto program = tree(program_), system = tree(system_);
    ASSERT_TRUE(start());
    kestrom::platform::RomgateBinding romgate(program_);
    EXPECT_TRUE(romgate.load()) << romgate.message();
    EXPECT_EQ(program, tree(program_));
    EXPECT_EQ(system, tree(system_));
    EXPECT_TRUE(boxes_.shown().empty());
}

TEST_F(StartupTest, ALibraryThatCannotBeLoadedIsNamed) {
    kestrom::platform::RomgateBinding missing(program_);
    EXPECT_FALSE(loadRomgate(missing));
    fs::copy_file(ROMGATE_FILE, program_ / romgate_);  // without the driver beside it
    kestrom::platform::RomgateBinding withoutDriver(program_);
    if (withoutDriver.load()) GTEST_SKIP() << "a driver library is installed where any program finds it";
    EXPECT_FALSE(loadRomgate(withoutDriver));
    EXPECT_EQ((std::vector<std::string>{"error ***  Kestrom  ***: library libromgate.so Not found ...",
                                        "error ***  Kestrom  ***: library libftd2xx.so Not found ..."}),
              boxes_.shown());
}
