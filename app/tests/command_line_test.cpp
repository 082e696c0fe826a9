// The kestrom executable's command line: the report on standard output, the exit
// codes, --help and --version, usage errors, and a program folder missing a library.
#include <gtest/gtest.h>

#include <QImage>
#include <QProcess>
#include <filesystem>
#include <ostream>
#include <vector>

#include "expected_text.h"
#include "sim_fixture.h"

namespace fs = std::filesystem;

namespace {

struct Outcome {
    int exitCode = -1;
    std::string out;
    std::string err;
};

Outcome run(const QStringList &arguments, const fs::path &program = KESTROM_FILE) {
    QProcess process;
    process.start(QString::fromStdString(program.string()), arguments);
    Outcome outcome;
    if (!process.waitForFinished(30000) || process.exitStatus() != QProcess::NormalExit) {
        process.kill();
        outcome.err = "did not end normally";
        return outcome;
    }
    outcome.exitCode = process.exitCode();
    outcome.out = process.readAllStandardOutput().toStdString();
    outcome.err = process.readAllStandardError().toStdString();
    return outcome;
}

struct Case {
    const char *name;
    const char *devices;  // an example devices file; null for none connected
    QStringList arguments;
    std::vector<const char *> expected;
    int exitCode;
};

void PrintTo(const Case &c, std::ostream *out) {
    *out << c.name;
}

class ReportMode : public SimFixture, public ::testing::WithParamInterface<Case> {};

TEST_P(ReportMode, PrintsTheReportAndAnswersWhetherTheDeviceAnswered) {
    const Case &c = GetParam();
    copyAllExamples();
    if (c.devices != nullptr) useDevicesFile(c.devices);
    const Outcome outcome = run(c.arguments);
    EXPECT_EQ(expectedText(c.expected) + "\n", outcome.out);
    EXPECT_EQ("", outcome.err);
    EXPECT_EQ(c.exitCode, outcome.exitCode);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Devices, ReportMode, ::testing::Values(
    Case{"ft232bm", "ft232bm.ini", {"--report"}, {"ft232bm.text.txt", "ft232bm.dump.txt", "closing.txt"}, 0},
    Case{"twoDevicesNoBinary", "two-devices.ini", {"--report", "--no-binary"},
         {"two-devices.text.txt", "closing.txt"}, 0},
    Case{"blank", "blank-ft232bm.ini", {"--report"}, {"blank-ft232bm.text.txt"}, 1},
    // Without the text part nothing is read: the dump opening the device is what counts.
    Case{"blankNoText", "blank-ft232bm.ini", {"--report", "--no-text"}, {"blank-ft232bm.dump.txt", "closing.txt"}, 0},
    Case{"noDevice", nullptr, {"--report"}, {"no-device.text.txt"}, 1},
    Case{"noDeviceNoText", nullptr, {"--report", "--no-text"}, {"open-failed.dump.txt", "closing.txt"}, 1},
    Case{"noDeviceNothingAsked", nullptr, {"--no-binary", "--report", "--no-text"}, {"closing.txt"}, 0}
), [](const ::testing::TestParamInfo<Case> &info) { return std::string(info.param.name); });
// clang-format on

class CommandLine : public SimFixture {};

TEST_F(CommandLine, TextsLeaveInUtf8) {
    copyExample("ft232bm.bin");
    writeDevices("[d]\nchip = BM\neeprom = ft232bm.bin\neeprom_words = 64\ndescription = Měřič Žluťoučký\n");
    const Outcome outcome = run({"--report", "--no-binary"});
    EXPECT_EQ(0, outcome.exitCode);
    EXPECT_EQ("Number Device: 1\nMěřič Žluťoučký\n", outcome.out.substr(0, outcome.out.find('\n', 17) + 1));
}

TEST_F(CommandLine, HelpAndVersion) {
    const Outcome help = run({"--help"});
    EXPECT_EQ(0, help.exitCode);
    for (const char *option : {"--report", "--no-text", "--no-binary", "--version"}) {
        EXPECT_NE(std::string::npos, help.out.find(option)) << option;
    }
    // --help names --help-all, which shows every command's help as well.
    EXPECT_NE(std::string::npos, help.out.find("--help-all")) << help.out;
    const Outcome all = run({"--help-all"});
    EXPECT_EQ(0, all.exitCode) << all.err;
    EXPECT_EQ(0u, all.out.find(help.out)) << all.out;
    for (const char *usage :
         {"Usage: kestrom list ", "Usage: kestrom restore FILE", "Usage: kestrom produce "}) {
        EXPECT_NE(std::string::npos, all.out.find(usage)) << usage;
    }
    const Outcome version = run({"--version"});
    EXPECT_EQ(0, version.exitCode);
    EXPECT_EQ("kestrom " KESTROM_VERSION "\n", version.out);
}

TEST_F(CommandLine, WhatCannotBeUnderstoodIsSaidOnStandardErrorWithExitCode2) {
    for (const QStringList &arguments :
         {QStringList{"--report", "--bogus"}, QStringList{"--report", "device1"}, QStringList{"--no-text"}}) {
        const Outcome outcome = run(arguments);
        EXPECT_EQ(2, outcome.exitCode) << arguments.join(' ').toStdString();
        EXPECT_EQ("", outcome.out);
        EXPECT_NE(std::string::npos, outcome.err.find("kestrom --help")) << outcome.err;
    }
    EXPECT_NE(std::string::npos, run({"--bogus"}).err.find("Unknown option 'bogus'"));
}

// The program folder holds the program and, one by one, the two libraries.
TEST_F(CommandLine, AMissingLibraryIsNamedAndEndsTheProgramWithExitCode1) {
    copyAllExamples();
    useDevicesFile("ft232bm.ini");
    const fs::path folder = path("program");
    fs::create_directory(folder);
    fs::copy_file(KESTROM_FILE, folder / "kestrom");

    Outcome outcome = run({"--report"}, folder / "kestrom");
    EXPECT_EQ(1, outcome.exitCode);
    EXPECT_EQ("library libromgate.so Not found ...\n", outcome.err);
    EXPECT_EQ("", outcome.out);

    fs::copy_file(ROMGATE_FILE, folder / "libromgate.so");
    outcome = run({"--report"}, folder / "kestrom");
    EXPECT_EQ(1, outcome.exitCode);
    EXPECT_EQ("library libftd2xx.so Not found ...\n", outcome.err);

    fs::copy_file(FTD2XX_FILE, folder / "libftd2xx.so");
    outcome = run({"--report", "--no-binary"}, folder / "kestrom");
    EXPECT_EQ(0, outcome.exitCode) << outcome.err;
    EXPECT_EQ(expectedText({"ft232bm.text.txt", "closing.txt"}) + "\n", outcome.out);
}

// Without arguments: the window, painted with its report (here offscreen, saved as a picture).
TEST_F(CommandLine, WithoutArgumentsTheWindowOpensAndIsPainted) {
    copyAllExamples();
    useDevicesFile("ft232bm.ini");
    for (const char *folder : {"config", "run", "system"}) fs::create_directory(path(folder));
    const std::pair<const char *, std::string> environment[] = {
        {"QT_QPA_PLATFORM", "offscreen"},           {"KESTROM_EXIT_AFTER_SHOW", "1"},
        {"KESTROM_SCREENSHOT", path("window.png")}, {"XDG_CONFIG_HOME", path("config")},
        {"XDG_RUNTIME_DIR", path("run")},           {"KESTROM_SYSTEM_LIBDIR", path("system")}};
    for (const auto &[name, value] : environment) qputenv(name, QByteArray::fromStdString(value));
    const Outcome outcome = run({});
    for (const auto &[name, value] : environment) qunsetenv(name);
    EXPECT_EQ(0, outcome.exitCode) << outcome.err;
    const QImage picture(QString::fromStdString(path("window.png").string()));
    ASSERT_FALSE(picture.isNull());
    EXPECT_EQ(10215 / 15, picture.width()) << "the window's fixed width";
    EXPECT_GE(picture.height(), 7020 / 15);
}

}  // namespace
