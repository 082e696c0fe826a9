// kestrom produce on simulated devices plugged in one after another: five devices,
// one that fails and one that loses its power in the middle of the write; numbers
// reserved before each write and never used twice, and a complete CSV log. And two
// runs that would share one state file, and Ctrl+C.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QJsonDocument>
#include <QJsonObject>
#include <csignal>
#include <filesystem>

#include "cli_run.h"

namespace {

// A running program's standard output, read as it comes.
struct Watched {
    QProcess process;
    std::string out;
    size_t seen = 0;

    // Waits until the output holds `text` after what the last wait found; false after 20 s.
    bool waitFor(const std::string &text) {
        QElapsedTimer timer;
        timer.start();
        while (out.find(text, seen) == std::string::npos && timer.elapsed() < 20000) {
            process.waitForReadyRead(100);
            out += process.readAllStandardOutput().toStdString();
            if (process.state() == QProcess::NotRunning && !process.bytesAvailable()) break;
        }
        const size_t found = out.find(text, seen);
        if (found == std::string::npos) return false;
        seen = found + text.size();
        return true;
    }
};

class Produce : public CliTest {
protected:
    void SetUp() override {
        CliTest::SetUp();
        writeBytes("board.ini",
                   "[template]\nchip = FT232BM\nProductId = 0x6015\nManufacturer = \"ACME\"\n"
                   "Description = \"Sensor\"\n");
        unplug();
    }
    // The devices file, replaced whole so that the running program never reads half of it.
    void devices(const std::string &ini) {
        writeBytes("devices.new", ini);
        std::filesystem::rename(path("devices.new"), path("devices.ini"));
    }
    void plug(const std::string &board, const std::string &extra = "") {
        devices("[" + board + "]\nchip = BM\neeprom = " + board + ".bin\neeprom_words = 64\n" + extra);
    }
    void unplug() { devices("[none]\nchip = BM\npresent = 0\n"); }

    // A run from number 7; without a count it goes on until it is stopped.
    QStringList produce(const char *count, const QStringList &more = {}) const {
        QStringList arguments{"produce", "board.ini", "--serial", "KS%04d",   "--start", "7",
                              "--poll",  "20",        "--state",  "run.json", "--log",   "records/run.csv"};
        if (count != nullptr) arguments << "--count" << count;
        return arguments + more;
    }
    // The fields show reads from a board, plugged in alone.
    QJsonObject fieldsOf(const std::string &board) {
        plug(board);
        const Outcome shown = run({"show", "--json"});
        return QJsonDocument::fromJson(QByteArray::fromStdString(shown.out)).object()["fields"].toObject();
    }
};

TEST_F(Produce, FiveBoardsOneFailingAndAPowerCutUseEveryNumberOnceAndLogEachOne) {
    Watched first;
    start(first.process, produce(nullptr));
    plug("b1");
    ASSERT_TRUE(first.waitFor("[1] KS0007: programmed and read back (FT232BM 0403:6015). Unplug it.\n"))
        << first.out;
    unplug();
    ASSERT_TRUE(first.waitFor("Plug in the next device.\n")) << first.out;
    plug("b2", "write_protect = 1\n");
    ASSERT_TRUE(first.waitFor(
        "[2] KS0008: FAILED: programming failed: status 12 (FT EEPROM WRITE FAILED). Unplug it.\n"))
        << first.out;
    unplug();
    ASSERT_TRUE(first.waitFor("Plug in the next device.\n")) << first.out;
    plug("b3", "crash.FT_EE_Program = during\n");
    ASSERT_TRUE(first.process.waitForFinished(20000));
    EXPECT_EQ(137, first.process.exitCode()) << "the power went in the middle of the write";

    // The operator plugs in the next board and starts the run again.
    plug("b4");
    Watched second;
    start(second.process, produce("2", {"--set", "SerNumEnable=0"}));
    ASSERT_TRUE(
        second.waitFor("KS0009: the last run ended while it wrote this number; logged as interrupted"))
        << second.out;
    ASSERT_TRUE(second.waitFor("[1] KS0010: programmed")) << second.out;
    unplug();
    ASSERT_TRUE(second.waitFor("Plug in the next device.\n")) << second.out;
    plug("b5");
    ASSERT_TRUE(second.waitFor("Done: 2 programmed, 0 failed; the next number is 12 (KS0012).\n"))
        << second.out;
    ASSERT_TRUE(second.process.waitForFinished(20000));
    EXPECT_EQ(0, second.process.exitCode());

    // One line per number, in order, none twice.
    const std::string log = readBytes("records/run.csv");
    std::vector<std::string> lines;
    for (size_t at = 0, end; (end = log.find('\n', at)) != std::string::npos; at = end + 1)
        lines.push_back(log.substr(at, end - at));
    ASSERT_EQ(6u, lines.size()) << log;
    EXPECT_EQ("time,number,serial,vid_pid,result,backup", lines[0]);
    const char *expected[] = {
        ",7,KS0007,0403:6015,ok,",
        ",8,KS0008,0403:6015,failed: programming failed: status 12 (FT EEPROM WRITE FAILED),",
        ",9,KS0009,0403:6015,interrupted,", ",10,KS0010,0403:6015,ok,", ",11,KS0011,0403:6015,ok,"};
    for (size_t i = 0; i < 5; ++i) {
        EXPECT_NE(std::string::npos, lines[i + 1].find(expected[i])) << lines[i + 1];
        EXPECT_NE(std::string::npos, lines[i + 1].find("kestrom/backups/"))
            << "each names its backup: " << lines[i + 1];
    }
    EXPECT_EQ(5u, backups().size());
    EXPECT_NE(std::string::npos, readBytes("run.json").find("\"next\": \"12\""));

    const QJsonObject b1 = fieldsOf("b1"), b4 = fieldsOf("b4");
    EXPECT_EQ("KS0007", b1["SerialNumber"].toString());
    EXPECT_TRUE(b1["SerNumEnable"].toBool()) << "produce turns the serial number on";
    EXPECT_EQ("KS0010", b4["SerialNumber"].toString());
    EXPECT_FALSE(b4["SerNumEnable"].toBool()) << "unless the template says otherwise";
    EXPECT_EQ("KS0011", fieldsOf("b5")["SerialNumber"].toString());
    EXPECT_FALSE(std::filesystem::exists(path("b2.bin")))
        << "the write-protected board kept its blank EEPROM";
}

TEST_F(Produce, TwoRunsCannotShareAStateFileAndCtrlCStopsBetweenDevices) {
    Watched waiting;
    start(waiting.process, produce("3"));
    ASSERT_TRUE(waiting.waitFor("Ctrl+C stops.\n")) << waiting.out;
    const Outcome second = run(produce("3"));
    EXPECT_EQ(2, second.exitCode);
    EXPECT_EQ(0u, second.err.find("kestrom produce: another run (process ")) << second.err;

    // A board that does not even open uses no number up.
    plug("b1", "fail.FT_Open = 4\n");
    ASSERT_TRUE(
        waiting.waitFor("[1] FAILED: the device could not be read: status 4 (FT IO ERROR). Unplug it.\n"))
        << waiting.out;
    unplug();
    ASSERT_TRUE(waiting.waitFor("Plug in the next device.\n")) << waiting.out;
    ::kill(pid_t(waiting.process.processId()), SIGINT);
    ASSERT_TRUE(waiting.waitFor("Stopped: 0 programmed, 1 failed; the next number is 7 (KS0007).\n"))
        << waiting.out;
    ASSERT_TRUE(waiting.process.waitForFinished(20000));
    EXPECT_EQ(1, waiting.process.exitCode()) << "a board failed";
    const std::string log = readBytes("records/run.csv");
    EXPECT_NE(std::string::npos,
              log.find(",,,,failed: the device could not be read: status 4 (FT IO ERROR),\n"))
        << log;
}

TEST_F(Produce, WhenTheLogOrTheStateCannotBeWrittenTheRunStops) {
    std::filesystem::create_directory(path("logs"));
    plug("b1");
    const Outcome unlogged = run(produce("1", {"--log", "logs", "--state", "other.json"}));
    EXPECT_EQ(1, unlogged.exitCode);
    EXPECT_NE(std::string::npos, unlogged.err.find("kestrom produce: the log logs cannot be written"))
        << unlogged.err;

    unplug();
    Watched station;
    start(station.process, produce("1"));
    ASSERT_TRUE(station.waitFor("Ctrl+C stops.\n")) << station.out;
    std::filesystem::remove(path("run.json"));
    std::filesystem::create_directory(path("run.json"));
    plug("b2");
    ASSERT_TRUE(station.process.waitForFinished(20000));
    EXPECT_EQ(1, station.process.exitCode());
    EXPECT_NE(std::string::npos, station.process.readAllStandardError().toStdString().find(
                                     "the state file run.json cannot be written"));
    EXPECT_FALSE(std::filesystem::exists(path("b2.bin"))) << "no number reserved, nothing written";
}

TEST_F(Produce, WhatCannotBeUnderstoodEndsBeforeAnyDeviceIsTouched) {
    for (const QStringList &arguments :
         {QStringList{"produce", "board.ini", "--serial", "KS%s", "--start", "1"},
          QStringList{"produce", "board.ini", "--serial", "KS%d"},
          QStringList{"produce", "board.ini", "--serial", "KS%d", "--start", "-1"},
          QStringList{"produce", "board.ini", "--serial", "KS%d", "--start", "1", "--count", "0"},
          QStringList{"produce", "board.ini", "--serial", "ABCDEFGHIJKLMNOP%06d", "--start", "1"},
          QStringList{"produce", "missing.ini", "--serial", "KS%d", "--start", "1"}}) {
        const Outcome outcome = run(arguments);
        EXPECT_EQ(2, outcome.exitCode) << arguments.join(' ').toStdString();
        EXPECT_EQ(1, std::count(outcome.err.begin(), outcome.err.end(), '\n')) << outcome.err;
    }
    EXPECT_FALSE(std::filesystem::exists(path("records")));
}

}  // namespace
