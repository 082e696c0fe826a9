// The checks before the window opens, in scratch program and system folders.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <fstream>
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
    put(system_ / driver_, "driver");
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

TEST_F(StartupTest, DriverPresentCopiedOrMissing) {
    put(system_ / driver_, "the system's");
    put(program_ / driver_, "ours");
    EXPECT_TRUE(start());
    EXPECT_EQ("ours", contents(program_ / driver_)) << "present: nothing copied";

    fs::remove(program_ / driver_);
    EXPECT_TRUE(start());
    EXPECT_EQ("the system's", contents(program_ / driver_));

    fs::remove(program_ / driver_);
    fs::create_directory(program_ / driver_);
    EXPECT_TRUE(start()) << "a folder of that name counts as present";
    EXPECT_TRUE(boxes_.shown().empty());

    fs::remove(program_ / driver_);
    fs::remove(system_ / driver_);
    EXPECT_FALSE(start());
    fs::create_directory(system_ / driver_);
    EXPECT_FALSE(start()) << "a folder cannot be copied";
    EXPECT_EQ(std::vector<std::string>(2, kNoDriver), boxes_.shown());
}

TEST_F(StartupTest, RomgateIsMirroredEitherWaySilently) {
    put(program_ / driver_, "driver");
    put(program_ / romgate_, "ours");
    put(system_ / romgate_, "newer");
    EXPECT_TRUE(start());
    EXPECT_EQ("ours", contents(system_ / romgate_)) << "the program's copy wins";

    fs::remove(program_ / romgate_);
    EXPECT_TRUE(start());
    EXPECT_EQ("ours", contents(program_ / romgate_));

    fs::remove(program_ / romgate_);
    fs::remove(system_ / romgate_);
    EXPECT_TRUE(start()) << "in neither folder: the loading says so later";
    EXPECT_FALSE(fs::exists(program_ / romgate_));

    put(program_ / romgate_, "ours");
    fs::create_directories(system_ / romgate_ / "in the way");
    EXPECT_TRUE(start());
    EXPECT_EQ(1, std::distance(fs::directory_iterator(system_), {})) << "no partial copy left";
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
