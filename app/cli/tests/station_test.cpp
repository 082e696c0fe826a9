// A production station finds its board by the port it is plugged into, not by the
// index it had when the devices were listed: boards that come and go in between
// move the others to new indices, and the wrong board must never get a number. Our
// own driver opens the board at a port itself; with a driver that opens by index
// only, the station finds the port's index right before the open and checks after.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <QDir>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <string_view>
#include <thread>

#include "d2xx_binding.h"
#include "production_station.h"
#include "sim_fixture.h"

using namespace kestrom::cli;

namespace {

constexpr const char *kBoard = "chip = BM\neeprom_words = 64\n";

class Station : public SimFixture {
protected:
    void SetUp() override {
        SimFixture::SetUp();
        setenv("XDG_DATA_HOME", path("data").c_str(), 1);
        writeBytes("board.ini", "[template]\nchip = FT232BM\nDescription = \"Sensor board\"\n");
        QStringList problems;
        QString error;
        source_ = TemplateSource::read(file("board.ini"), {}, problems);
        format_ = SerialFormat::parse(QStringLiteral("KS%04d"), error);
        state_ = ProductionState::open(file("run.json"), *format_, error);
        ASSERT_TRUE(source_ && format_ && state_)
            << problems.join(u'\n').toStdString() << error.toStdString();
        ASSERT_TRUE(state_->startAt(1, error));
    }
    void TearDown() override {
        state_.reset();
        unsetenv("XDG_DATA_HOME");
        SimFixture::TearDown();
    }
    QString file(const char *name) const { return QString::fromStdString(path(name).string()); }
    // Boards s1, s2, s3 with their images in s1.bin ...; `extra` is added to s2, and s1
    // is plugged in or not.
    void plug(bool first, const std::string &extra = "") const {
        std::string ini;
        for (const char *board : {"s1", "s2", "s3"}) {
            ini += std::string("[") + board + "]\n" + kBoard + "eeprom = " + board + ".bin\n" +
                   (board == std::string("s2") ? extra : "") +
                   (board == std::string("s1") && !first ? "present = 0\n" : "");
        }
        // A whole file at once: a half-written one would unplug every board.
        writeBytes("next.ini", ini);
        std::filesystem::rename(path("next.ini"), path("devices.ini"));
    }
    ProductionStation::Outcome programAt(const char *port, int listedIndex, bool byPort = true) {
        ProductionStation station({byPort ? d2xx_ : byIndexOnly_, *source_, *format_, *state_, log_,
                                   listedIndex, QString::fromLatin1(port)});
        return station.programOne();
    }
    // s2, listed at index 1, opened slowly while s1 is unplugged: s3 takes index 1.
    ProductionStation::Outcome programS2WhileS1IsUnplugged(bool byPort) {
        plug(true, "delay.FT_Open = 600\n");
        std::thread unplug([this] {
            std::this_thread::sleep_for(std::chrono::milliseconds(150));
            plug(false, "delay.FT_Open = 600\n");
        });
        const ProductionStation::Outcome outcome = programAt("s2", 1, byPort);
        unplug.join();
        return outcome;
    }

    kestrom::platform::D2xxBinding d2xx_{[](const char *name) {
        return reinterpret_cast<kestrom::platform::ExportTable::Address>(dlsym(RTLD_DEFAULT, name));
    }};
    // The same driver as one that cannot open by port.
    kestrom::platform::D2xxBinding byIndexOnly_{[](const char *name) {
        return std::string_view(name) == "KT_OpenByPort"
                   ? nullptr
                   : reinterpret_cast<kestrom::platform::ExportTable::Address>(dlsym(RTLD_DEFAULT, name));
    }};
    std::optional<TemplateSource> source_;
    std::optional<SerialFormat> format_;
    std::unique_ptr<ProductionState> state_;
    ProductionLog log_{file("run.csv"), true};
};

TEST_F(Station, TheBoardAtTheStationsPortIsProgrammedWhateverIndexItWasListedAt) {
    plug(true);
    // s2 was listed at index 0 before s1 was plugged in; s1 is at index 0 now.
    const ProductionStation::Outcome outcome = programAt("s2", 0);
    ASSERT_TRUE(outcome.programmed) << outcome.said.toStdString();
    EXPECT_EQ(u"KS0001", outcome.serial);
    EXPECT_NE(std::string::npos,
              readBytes("s2.bin").find(std::string{'K', 0, 'S', 0, '0', 0, '0', 0, '0', 0, '1', 0}));
    EXPECT_FALSE(std::filesystem::exists(path("s1.bin"))) << "the board at index 0 was not touched";

    // No board at the port: nothing is done, no number used.
    const ProductionStation::Outcome none = programAt("s9", 1);
    EXPECT_TRUE(none.notThere);
    EXPECT_FALSE(none.number);
    EXPECT_EQ(2u, state_->next());
}

TEST_F(Station, ABoardThatMovedToAnotherIndexWhileItWasOpenedIsLeftAloneAndFoundAgain) {
    // Opened by its index, s2's open reaches s3, which has taken that index.
    const ProductionStation::Outcome moved = programS2WhileS1IsUnplugged(false);
    EXPECT_TRUE(moved.notThere) << moved.said.toStdString();
    EXPECT_FALSE(moved.number);
    EXPECT_FALSE(std::filesystem::exists(path("s3.bin"))) << "the board that opened instead was not written";
    EXPECT_EQ(1u, state_->next()) << "no number was used";

    const ProductionStation::Outcome found = programAt("s2", 1, false);
    ASSERT_TRUE(found.programmed) << found.said.toStdString();
    EXPECT_EQ(u"KS0001", found.serial);
    EXPECT_TRUE(std::filesystem::exists(path("s2.bin")));
    EXPECT_FALSE(std::filesystem::exists(path("s3.bin")));
}

// Opened by its port, the board is the one at the port however the others move while
// it opens; one that is gone from its port meanwhile is nothing to do.
TEST_F(Station, OpenedByItsPortTheBoardIsTheOneThereWhileOthersMove) {
    const ProductionStation::Outcome outcome = programS2WhileS1IsUnplugged(true);
    ASSERT_TRUE(outcome.programmed) << outcome.said.toStdString();
    EXPECT_EQ(u"KS0001", outcome.serial);
    EXPECT_TRUE(std::filesystem::exists(path("s2.bin")));
    EXPECT_FALSE(std::filesystem::exists(path("s3.bin"))) << "the board that took s2's index was not touched";

    const ProductionStation::Outcome gone = programAt("s1", 0);
    EXPECT_TRUE(gone.notThere);
    EXPECT_FALSE(gone.number);
    EXPECT_EQ(2u, state_->next());
}

}  // namespace
