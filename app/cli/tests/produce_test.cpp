// kestrom produce on simulated devices plugged in one after another: five devices,
// one that fails and one that loses its power in the middle of the write; numbers
// reserved before each write and never used twice, and a complete CSV log. Two runs
// that would share one state file, formats that give the same serial numbers, damaged
// state files, logs that cannot be written, and the signals that stop a run.
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <unistd.h>

#include <QElapsedTimer>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStandardPaths>
#include <QThread>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <set>

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

// strace running kestrom with every rename (backup, journal, state, the chip's
// image) taking `microseconds` more.
QStringList slowedDown(int microseconds) {
    return {"-f",        "-qq",
            "-o",        "/dev/null",
            "-e",        "trace=rename,renameat,renameat2",
            "-e",        QStringLiteral("inject=rename,renameat,renameat2:delay_exit=%1").arg(microseconds),
            KESTROM_FILE};
}

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
    static std::string board(const std::string &name, const std::string &extra = "") {
        return "[" + name + "]\nchip = BM\neeprom = " + name + ".bin\neeprom_words = 64\n" + extra;
    }
    void plug(const std::string &name, const std::string &extra = "") { devices(board(name, extra)); }
    void unplug() { devices("[none]\nchip = BM\npresent = 0\n"); }

    // A run from number 7; without a count it goes on until it is stopped.
    QStringList produce(const char *count, const QStringList &more = {},
                        const char *format = "KS%04d") const {
        QStringList arguments{"produce", "board.ini", "--format", format,     "--start", "7",
                              "--poll",  "20",        "--state",  "run.json", "--log",   "records/run.csv"};
        if (count != nullptr) arguments << "--count" << count;
        return arguments + more;
    }
    // One board through a run of `format` with the default state and log.
    Outcome produceOne(const char *format, const char *flag = "--format") const {
        return run({"produce", "board.ini", flag, format, "--start", "1", "--count", "1", "--poll", "20"});
    }
    // Starts `arguments` (under `program`) and waits until it waits for a board.
    bool startWaiting(Watched &watched, const QStringList &arguments,
                      const QString &program = QStringLiteral(KESTROM_FILE)) const {
        start(watched.process, arguments, program);
        return watched.waitFor("Ctrl+C stops.\n");
    }
    // Sends `signal` to the run; true once it said `said` and ended.
    bool stop(Watched &watched, int signal, const std::string &said) const {
        ::kill(pid_t(watched.process.processId()), signal);
        return watched.waitFor(said) && watched.process.waitForFinished(20000);
    }
    // The running kestrom under strace.
    pid_t childOf(const QProcess &process) const {
        const std::string pid = std::to_string(process.processId());
        const std::string children = readBytes("/proc/" + pid + "/task/" + pid + "/children");
        return children.empty() ? pid_t(0) : pid_t(std::stoi(children));
    }
    void waitForBackups(size_t count) const {
        QElapsedTimer timer;
        timer.start();
        while (backups().size() < count && timer.elapsed() < 20000) QThread::msleep(5);
    }
    // The log's lines, its header first.
    std::vector<std::string> logText() const {
        const std::string log = readBytes("records/run.csv");
        std::vector<std::string> lines;
        for (size_t at = 0, end; (end = log.find('\n', at)) != std::string::npos; at = end + 1)
            lines.push_back(log.substr(at, end - at));
        return lines;
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
    const std::vector<std::string> lines = logText();
    ASSERT_EQ(6u, lines.size()) << readBytes("records/run.csv");
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
    EXPECT_EQ(std::string::npos, readBytes("run.json").find("pending")) << "the interrupted number settled";

    const QJsonObject b1 = fieldsOf("b1"), b4 = fieldsOf("b4");
    EXPECT_EQ("KS0007", b1["SerialNumber"].toString());
    EXPECT_TRUE(b1["SerNumEnable"].toBool()) << "produce turns the serial number on";
    EXPECT_EQ("KS0010", b4["SerialNumber"].toString());
    EXPECT_FALSE(b4["SerNumEnable"].toBool()) << "unless the template says otherwise";
    EXPECT_EQ("KS0011", fieldsOf("b5")["SerialNumber"].toString());
    EXPECT_FALSE(std::filesystem::exists(path("b2.bin")))
        << "the write-protected board kept its blank EEPROM";
}

// A board turned away before its write, one the template does not suit or one that
// cannot be backed up, is told and left as it was: it takes no number, and leaves no
// journal entry that could later pass for an interrupted change.
TEST_F(Produce, ABoardTurnedAwayBeforeItsWriteTakesNoNumberAndLeavesNoJournalEntry) {
    const struct {
        const char *board, *fullDisk, *said;
    } cases[] = {
        {"[odd]\nchip = 232R\neeprom = odd.bin\neeprom_words = 64\n", "",
         "the template is for an FT232BM; the device is an FT232R"},
        {"[odd]\nchip = BM\neeprom = odd.bin\neeprom_words = 64\n", "/backups/", "no backup could be made"}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.said);
        unplug();
        qputenv("KESTROM_FULL_DISK", c.fullDisk);
        Watched watched;
        start(watched.process, produce("1"));
        qunsetenv("KESTROM_FULL_DISK");
        devices(c.board);
        ASSERT_TRUE(watched.waitFor(c.said)) << watched.out;
        ASSERT_TRUE(watched.waitFor("Unplug it.\n")) << watched.out;
        ASSERT_TRUE(
            stop(watched, SIGINT, "Stopped: 0 programmed, 1 failed; the next number is 7 (KS0007).\n"))
            << watched.out;
        EXPECT_FALSE(std::filesystem::exists(path("odd.bin"))) << "the blank board was written";
        const std::filesystem::path journal = dataFolder() / "kestrom" / "journal";
        EXPECT_TRUE(!std::filesystem::exists(journal) || std::filesystem::is_empty(journal));
    }
}

TEST_F(Produce, TwoRunsCannotShareAStateFileAndCtrlCStopsBetweenDevices) {
    Watched waiting;
    ASSERT_TRUE(startWaiting(waiting, produce("3"))) << waiting.out;
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
    ASSERT_TRUE(stop(waiting, SIGINT, "Stopped: 0 programmed, 1 failed; the next number is 7 (KS0007).\n"))
        << waiting.out;
    EXPECT_EQ(1, waiting.process.exitCode()) << "a board failed";
    const std::string log = readBytes("records/run.csv");
    EXPECT_NE(std::string::npos,
              log.find(",,,,failed: the device could not be read: status 4 (FT IO ERROR),\n"))
        << log;
}

TEST_F(Produce, TheLogIsCheckedBeforeTheFirstBoardAndABoardItMissesIsToldAndLoggedLater) {
    std::filesystem::create_directory(path("logs"));
    plug("b1");
    for (const std::string log : {"/proc/x.csv", "logs"}) {
        const Outcome refused = run(produce("1", {"--log", QString::fromStdString(log)}));
        EXPECT_EQ(1, refused.exitCode);
        EXPECT_EQ(0u, refused.err.find("kestrom produce: the log " + log + " cannot be written"))
            << refused.err;
    }
    EXPECT_FALSE(std::filesystem::exists(path("b1.bin"))) << "refused before the board was touched";
    EXPECT_TRUE(backups().empty());

    // The log goes while the run waits: the operator still reads the board's serial,
    // and the next run logs it as it ended.
    unplug();
    Watched station;
    ASSERT_TRUE(startWaiting(station, produce("1"))) << station.out;
    std::filesystem::remove(path("records/run.csv"));
    std::filesystem::create_directory(path("records/run.csv"));
    plug("b2");
    ASSERT_TRUE(station.waitFor("[1] KS0007: programmed and read back")) << station.out;
    ASSERT_TRUE(station.process.waitForFinished(20000));
    EXPECT_EQ(1, station.process.exitCode());
    EXPECT_NE(std::string::npos, station.process.readAllStandardError().toStdString().find(
                                     "KS0007 (number 7) is not in the log yet: the next run logs it"));
    std::filesystem::remove(path("records/run.csv"));
    const Outcome next = run(produce("1"));
    EXPECT_NE(std::string::npos,
              next.out.find("KS0007: the last run could not log this number; logged now as ok"))
        << next.out;
    const std::string log = readBytes("records/run.csv");
    EXPECT_NE(std::string::npos, log.find(",7,KS0007,0403:6015,ok,")) << log;
    EXPECT_NE(std::string::npos, log.find(",8,KS0008,0403:6015,ok,")) << log;

    // The state goes while the run waits: no number is reserved, nothing written.
    unplug();
    ASSERT_TRUE(startWaiting(station, produce("1"))) << station.out;
    std::filesystem::remove(path("run.json"));
    std::filesystem::create_directory(path("run.json"));
    plug("b3");
    ASSERT_TRUE(station.process.waitForFinished(20000));
    EXPECT_EQ(1, station.process.exitCode());
    EXPECT_NE(std::string::npos, station.process.readAllStandardError().toStdString().find(
                                     "the state file run.json cannot be written"));
    EXPECT_FALSE(std::filesystem::exists(path("b3.bin")));
}

// The run ended between a board's line in the log and the state saying so: the
// next run settles the number as the log tells it, without calling it interrupted.
TEST_F(Produce, ANumberTheLogHoldsIsSettledAsLoggedNotAsInterrupted) {
    plug("b1");
    ASSERT_EQ(0, run(produce("1")).exitCode);
    QJsonObject state = QJsonDocument::fromJson(QByteArray::fromStdString(readBytes("run.json"))).object();
    state.insert(QStringLiteral("pending"), QJsonObject{{"number", "7"},
                                                        {"serial", "KS0007"},
                                                        {"vidPid", "0403:6015"},
                                                        {"backup", "b1-backup.bin"},
                                                        {"started", "2026-12-08T00:00:00.000"}});
    writeBytes("run.json", QJsonDocument(state).toJson().toStdString());

    plug("b2");
    const Outcome next = run(produce("1"));
    EXPECT_EQ(0, next.exitCode) << next.err;
    EXPECT_EQ(std::string::npos, next.out.find("KS0007")) << next.out;
    EXPECT_NE(std::string::npos, next.out.find("[1] KS0008: programmed")) << next.out;
    const std::string log = readBytes("records/run.csv");
    EXPECT_EQ(log.find(",7,"), log.rfind(",7,")) << "logged once: " << log;
    EXPECT_EQ(std::string::npos, log.find("interrupted")) << log;
    EXPECT_EQ(std::string::npos, readBytes("run.json").find("pending"));
}

TEST_F(Produce, ClosingTheTerminalOrTheOutputStopsTheRunBetweenBoards) {
    for (const int signal : {SIGHUP, SIGQUIT, SIGTERM}) {
        Watched waiting;
        ASSERT_TRUE(startWaiting(waiting, produce("1"))) << waiting.out;
        ASSERT_TRUE(
            stop(waiting, signal, "Stopped: 0 programmed, 0 failed; the next number is 7 (KS0007).\n"))
            << signal << ": " << waiting.out;
        EXPECT_EQ(QProcess::NormalExit, waiting.process.exitStatus()) << signal;
    }

    // Nobody reads its output any more: the board in hand is finished and logged.
    Watched unread;
    ASSERT_TRUE(startWaiting(
        unread,
        QStringList{"-c", "\"$0\" \"$@\" | head -n 4; echo \"exit ${PIPESTATUS[0]}\" >&2", KESTROM_FILE} +
            produce(nullptr),
        QStringLiteral("bash")))
        << unread.out;
    plug("b1");
    ASSERT_TRUE(unread.process.waitForFinished(20000));
    EXPECT_NE(std::string::npos, unread.process.readAllStandardError().toStdString().find("exit 0\n"));
    EXPECT_NE(std::string::npos, readBytes("records/run.csv").find(",7,KS0007,0403:6015,ok,"));
}

TEST_F(Produce, ATerminalClosedInTheMiddleOfABoardLetsItFinish) {
    if (QStandardPaths::findExecutable(QStringLiteral("strace")).isEmpty())
        GTEST_SKIP() << "strace, which slows the board down, is not installed";
    Watched board;
    ASSERT_TRUE(startWaiting(board, slowedDown(300000) + produce(nullptr), QStringLiteral("strace")))
        << board.out;
    plug("b1");
    waitForBackups(1);
    ASSERT_NE(0, childOf(board.process));
    ::kill(childOf(board.process), SIGHUP);
    ASSERT_TRUE(board.waitFor("[1] KS0007: programmed and read back")) << board.out;
    ASSERT_TRUE(board.waitFor("Stopped: 1 programmed, 0 failed; the next number is 8 (KS0008).\n"))
        << board.out;
    ASSERT_TRUE(board.process.waitForFinished(20000));
    EXPECT_EQ(0, board.process.exitCode());
    EXPECT_EQ("KS0007", fieldsOf("b1")["SerialNumber"].toString().toStdString());
}

TEST_F(Produce, TheLockOfARunThatEndedOnAFullDiskIsNotTakenForARunningOne) {
    if (::geteuid() != 0) GTEST_SKIP() << "a full disk is a small tmpfs here, which only root can mount";
    std::filesystem::create_directory(path("small"));
    if (::mount("tmpfs", path("small").c_str(), "tmpfs", 0, "size=128k") != 0)
        GTEST_SKIP() << "no tmpfs could be mounted: " << std::strerror(errno);
    const std::shared_ptr<void> unmount(nullptr,
                                        [&](void *) { ::umount2(path("small").c_str(), MNT_DETACH); });
    const QStringList onSmallDisk = produce(nullptr, {"--state", "small/run.json", "--log", "small/run.csv"});
    Watched ended;
    ASSERT_TRUE(startWaiting(ended, onSmallDisk)) << ended.out;
    const qint64 pid = ended.process.processId();
    ended.process.kill();
    ASSERT_TRUE(ended.process.waitForFinished(20000));
    ASSERT_TRUE(std::filesystem::exists(path("small/run.json.lock")));
    std::ofstream(path("small/filler"), std::ios::binary) << std::string(256 * 1024, 'x');  // what fits

    const Outcome refused = run(onSmallDisk);
    EXPECT_EQ(2, refused.exitCode);
    EXPECT_EQ(std::string::npos, refused.err.find("another run")) << refused.err;
    EXPECT_NE(std::string::npos,
              refused.err.find("the lock small/run.json.lock of a run that ended (process " +
                               std::to_string(pid) + ") cannot be replaced: the disk is full"))
        << refused.err;
}

TEST_F(Produce, WhatCannotBeUnderstoodEndsBeforeAnyDeviceIsTouched) {
    const std::pair<QStringList, const char *> refused[] = {
        {{"KS%s", "--start", "1"}, "'KS%s' has a % that is not %d, %u, %x or %X"},
        {{"KS%d"}, "--format FORMAT and --start N are needed"},
        {{"KS%d", "--start", "-1"}, "--start takes a number from 0 to 2147483647"},
        {{"KS%u", "--start", "4294967296"}, "--start takes a number from 0 to 4294967295"},
        {{"KS%d", "--start", "1", "--count", "0"}, "--count one from 1"},
        {{"ABCDEFGHIJKLMNOP%06d", "--start", "1"}, "the serial number ABCDEFGHIJKLMNOP000001 does not fit"},
        {{"KS%999999d", "--start", "1"}, "asks for a number 999999 characters wide"},
        {{"KS%99999999999d", "--start", "1"}, "asks for a number 99999999999 characters wide"},
        {{QString::fromUtf8("KS%\u0665d"), "--start", "1"}, "in other digits than 0 to 9"},
        {{"KS%d", "--start", "1", "--serial", "KS%d"}, "--serial is the old name of --format"}};
    for (const auto &[more, expected] : refused) {
        const Outcome outcome = run(QStringList{"produce", "board.ini", "--format"} + more);
        EXPECT_EQ(2, outcome.exitCode) << more.join(' ').toStdString();
        EXPECT_EQ(1, std::count(outcome.err.begin(), outcome.err.end(), '\n')) << outcome.err;
        EXPECT_NE(std::string::npos, outcome.err.find(expected)) << outcome.err;
        EXPECT_EQ(std::string::npos, outcome.err.find("%%")) << outcome.err;
    }
    const Outcome missing = run({"produce", "missing.ini", "--format", "KS%d", "--start", "1"});
    EXPECT_EQ(2, missing.exitCode) << missing.err;
    EXPECT_FALSE(std::filesystem::exists(path("records")));
}

TEST_F(Produce, FormatsThatGiveTheSameSerialsShareTheirNumbersAcrossVersions) {
    // A state file an earlier version left, named after the format as it was typed.
    std::filesystem::create_directories(path("data/kestrom/production"));
    writeBytes("data/kestrom/production/KS_06u.state", "{\"format\": \"KS%06u\", \"next\": \"5\"}");
    writeBytes("data/kestrom/production/AB_d.state", "{\"format\": \"AB%d\", \"next\": \"90\"}");
    // One that --state named, for a line of its own: never merged.
    writeBytes("data/kestrom/production/line2.state", "{\"format\": \"KS%06d\", \"next\": \"900\"}");
    plug("b1");
    const std::pair<const char *, const char *> runs[] = {
        {"KS%06d", "[1] KS000005: programmed"}, {"KS%06u", "[1] KS000006: programmed"},
        {"KS%1d", "[1] KS1: programmed"},       {"KS%0d", "[1] KS2: programmed"},
        {"KS%01u", "[1] KS3: programmed"},      {"KS%d", "[1] KS4: programmed"}};
    for (const auto &[format, expected] : runs) {
        const Outcome outcome = produceOne(format);
        EXPECT_EQ(0, outcome.exitCode) << format << ": " << outcome.err;
        EXPECT_NE(std::string::npos, outcome.out.find(expected)) << format << ": " << outcome.out;
    }
    EXPECT_FALSE(std::filesystem::exists(path("data/kestrom/production/KS_06u.state")));
    EXPECT_TRUE(std::filesystem::exists(path("data/kestrom/production/AB_d.state"))) << "another format's";
    EXPECT_TRUE(std::filesystem::exists(path("data/kestrom/production/line2.state")));
    const std::string log = readBytes("data/kestrom/production/KS_06d.csv");
    EXPECT_NE(std::string::npos, log.find(",5,KS000005,")) << log;
    EXPECT_NE(std::string::npos, log.find(",6,KS000006,")) << log;

    const Outcome old = produceOne("KS%06d", "--serial");
    EXPECT_EQ(0, old.exitCode) << old.err;
    EXPECT_NE(std::string::npos, old.out.find("[1] KS000007: programmed")) << old.out;
    EXPECT_EQ("kestrom produce: note: --serial is the old name of --format; it still works here\n", old.err);
}

TEST_F(Produce, NumbersNeverWrapAndADamagedStateIsRefused) {
    plug("b1");
    writeBytes("run.json", "{\"format\": \"KS%u\", \"next\": \"4294967295\"}");
    const Outcome last = run(produce(nullptr, {}, "KS%u"));
    EXPECT_NE(std::string::npos, last.out.find("[1] KS4294967295: programmed")) << last.out;
    EXPECT_NE(std::string::npos, last.out.find("Done: 1 programmed, 0 failed; no number of KS%u is left.\n"));
    EXPECT_EQ(1, last.exitCode) << "the run could not go on";
    const Outcome after = run(produce("1", {}, "KS%u"));
    EXPECT_EQ(2, after.exitCode);
    EXPECT_NE(std::string::npos, after.err.find("the format 'KS%u' has no number left")) << after.err;

    const std::pair<const char *, const char *> damaged[] = {
        {R"({"format": "KS%u", "next": "18446744073709551615"})",
         "its next number '18446744073709551615' is not one from 0 to 4294967296"},
        {R"({"format": "KS%u", "next": "8", "pending": {"number": "8", "serial": "KS8"}})",
         "the number of the device being written, '8', is not below the next number 8"},
        {R"({"format": "KS%u", "next": "8", "pending": {"serial": "KS7"}})",
         "the number of the device being written, '', is not below the next number 8"},
        {R"({"format": "KS%u", "next": "8")", "it is not JSON"},
        {"", "it is empty"}};
    for (const auto &[contents, expected] : damaged) {
        writeBytes("run.json", contents);
        const Outcome outcome = run(produce("1", {}, "KS%u"));
        EXPECT_EQ(2, outcome.exitCode) << contents;
        EXPECT_NE(std::string::npos,
                  outcome.err.find(std::string("the state file run.json is damaged: ") + expected))
            << outcome.err;
        EXPECT_EQ(contents, readBytes("run.json")) << "left as it was";
    }
    EXPECT_EQ(1u, backups().size()) << "only the board of the first run was touched";
}

// Four boards at stations s1 to s4 of one devices file, `extra` set on s3.
class Stations : public Produce {
protected:
    void plugFour(const std::string &extra = "") {
        std::string ini;
        for (const std::string name : {"s1", "s2", "s3", "s4"}) ini += board(name, name == "s3" ? extra : "");
        devices(ini);
    }
    // The log's lines after its header, each split at its commas.
    std::vector<std::vector<std::string>> logLines() const {
        std::vector<std::vector<std::string>> lines;
        const std::vector<std::string> text = logText();
        for (size_t i = 1; i < text.size(); ++i) {
            const std::string &line = text[i];
            std::vector<std::string> fields;
            for (size_t from = 0, comma;; from = comma + 1) {
                comma = line.find(',', from);
                fields.push_back(line.substr(from, comma - from));
                if (comma == std::string::npos) break;
            }
            lines.push_back(fields);
        }
        return lines;
    }
    // Every number from 7 up to the state's next is in the log once.
    void expectEveryNumberLoggedOnce() const {
        const uint64_t next = QJsonDocument::fromJson(QByteArray::fromStdString(readBytes("run.json")))
                                  .object()["next"]
                                  .toString()
                                  .toULongLong();
        std::multiset<std::string> numbers;
        for (const auto &line : logLines()) {
            if (line.at(1).empty() || std::stoull(line[1]) >= 7) numbers.insert(line[1]);
        }
        for (uint64_t number = 7; number < next; ++number)
            EXPECT_EQ(1u, numbers.count(std::to_string(number))) << "number " << number;
        EXPECT_EQ(next - 7, numbers.size());
    }
};

TEST_F(Stations, FourBoardsAtOnceGetFourConsecutiveNumbersEachLoggedWithItsStation) {
    plugFour();
    const Outcome outcome = run(produce("4", {"--stations", "4"}));
    EXPECT_EQ(0, outcome.exitCode) << outcome.out << outcome.err;
    EXPECT_NE(std::string::npos,
              outcome.out.find("Done: 4 programmed, 0 failed; the next number is 11 (KS0011).\n"))
        << outcome.out;
    EXPECT_EQ(0u, readBytes("records/run.csv").find("time,number,serial,vid_pid,result,backup,station\n"));
    std::set<std::string> serials;
    for (const auto &line : logLines()) {
        ASSERT_EQ(7u, line.size());
        EXPECT_EQ("ok", line[4]);
        // The board at the logged station holds the logged serial number.
        EXPECT_EQ(line[2], fieldsOf(line[6])["SerialNumber"].toString().toStdString()) << line[6];
        EXPECT_NE(std::string::npos, outcome.out.find("] " + line[6] + ": " + line[2] + ": programmed"));
        serials.insert(line[2]);
    }
    EXPECT_EQ((std::set<std::string>{"KS0007", "KS0008", "KS0009", "KS0010"}), serials);
}

TEST_F(Stations, ACountBelowTheBoardsPluggedInProgramsOnlyThatMany) {
    plugFour();
    const Outcome outcome = run(produce("2", {"--stations", "all"}));
    EXPECT_EQ(0, outcome.exitCode) << outcome.out << outcome.err;
    EXPECT_NE(std::string::npos,
              outcome.out.find("Done: 2 programmed, 0 failed; the next number is 9 (KS0009).\n"))
        << outcome.out;
    EXPECT_EQ(2u, logLines().size());
    int written = 0;
    for (const char *board : {"s1", "s2", "s3", "s4"})
        written += std::filesystem::exists(path(std::string(board) + ".bin"));
    EXPECT_EQ(2, written) << "the other two boards are left alone";
}

TEST_F(Stations, CtrlCWhileTheBoardsWaitToBeUnpluggedEndsTheRunAtOnce) {
    plugFour();
    Watched waiting;
    start(waiting.process, produce(nullptr, {"--stations", "all"}));
    ASSERT_TRUE(waiting.waitFor("[4] ")) << waiting.out;
    ::kill(pid_t(waiting.process.processId()), SIGINT);
    ASSERT_TRUE(waiting.waitFor("Stopped: 4 programmed, 0 failed; the next number is 11 (KS0011).\n"))
        << waiting.out;
    ASSERT_TRUE(waiting.process.waitForFinished(5000));
    EXPECT_EQ(0, waiting.process.exitCode());
    EXPECT_EQ(std::string::npos, readBytes("run.json").find("pending"));
    expectEveryNumberLoggedOnce();
}

TEST_F(Stations, ABoardFailingMidWriteIsLoggedAsFailedAndTheOthersGoOnInAnEarlierLog) {
    std::filesystem::create_directories(path("records"));
    writeBytes("records/run.csv",
               "time,number,serial,vid_pid,result,backup\n2025-01-01T00:00:00Z,6,KS0006,,ok,\n");
    plugFour("fail.FT_EE_Program = 4\n");
    // Three at a time: when s3 fails, s4 takes the place of its board.
    const Outcome outcome = run(produce("3", {"--stations", "all"}));
    EXPECT_EQ(1, outcome.exitCode) << outcome.out << outcome.err;
    EXPECT_NE(std::string::npos, outcome.out.find("Done: 3 programmed, 1 failed; the next number is 11"))
        << outcome.out;
    EXPECT_NE(std::string::npos, outcome.out.find("s3: KS00")) << outcome.out;
    EXPECT_NE(std::string::npos, outcome.err.find("has no station column")) << outcome.err;
    int failed = 0;
    for (const auto &line : logLines()) {
        EXPECT_EQ(6u, line.size()) << "the earlier log keeps its layout";
        failed += line[4].starts_with("failed: ");
    }
    EXPECT_EQ(1, failed);
    expectEveryNumberLoggedOnce();
    EXPECT_EQ("KS0010", fieldsOf("s4")["SerialNumber"].toString().toStdString());
}

TEST_F(Stations, AKillLeavesEveryReservedNumberForTheNextRunAndCtrlCLetsTheBoardsFinish) {
    if (QStandardPaths::findExecutable(QStringLiteral("strace")).isEmpty())
        GTEST_SKIP() << "strace, which slows the boards down, is not installed";
    plugFour();
    Watched killed;
    start(killed.process, slowedDown(200000) + produce(nullptr, {"--stations", "4"}),
          QStringLiteral("strace"));
    waitForBackups(2);
    ASSERT_NE(0, childOf(killed.process));
    ::kill(childOf(killed.process), SIGKILL);
    ASSERT_TRUE(killed.process.waitForFinished(20000));

    Watched stopped;
    ASSERT_TRUE(startWaiting(stopped, slowedDown(200000) + produce(nullptr, {"--stations", "all"}),
                             QStringLiteral("strace")))
        << stopped.out;
    const size_t before = backups().size();
    waitForBackups(before + 1);
    ::kill(childOf(stopped.process), SIGINT);
    ASSERT_TRUE(stopped.waitFor("Stopped: ")) << stopped.out;
    ASSERT_TRUE(stopped.process.waitForFinished(20000));
    EXPECT_EQ(std::string::npos, stopped.out.find("FAILED")) << stopped.out;
    EXPECT_EQ(0, stopped.process.exitCode()) << stopped.out;
    EXPECT_EQ(std::string::npos, readBytes("run.json").find("pending")) << "every board written is logged";
    for (const auto &line : logLines()) {
        EXPECT_TRUE(line[4] == "ok" || line[4] == "interrupted") << line[4];
        EXPECT_TRUE(line.size() == 7 && line[6].size() == 2 && line[6][0] == 's') << "each names its station";
    }
    expectEveryNumberLoggedOnce();
}

}  // namespace
