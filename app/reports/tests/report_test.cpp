// Whole reports of the example devices and of failing ones, line for line.
#include <gtest/gtest.h>

#include <cctype>
#include <ostream>
#include <string>
#include <vector>

#include "eeprom_report.h"
#include "expected_text.h"
#include "report_rows.h"
#include "sim_fixture.h"

using kestrom::reports::LineList;
using kestrom::reports::ReportEeprom;
using kestrom::reports::ReportOptions;

namespace {

constexpr ReportOptions kBoth{true, true};
constexpr ReportOptions kTextOnly{true, false};
constexpr ReportOptions kDumpOnly{false, true};
constexpr ReportOptions kNeither{false, false};

struct Case {
    const char *name;
    const char *devices;  // an example devices file; null for none connected
    const char *fault;    // a fail.* entry for device 0, or null
    ReportOptions options;
    std::vector<const char *> expected;
    bool answered;
};

void PrintTo(const Case &c, std::ostream *out) {
    *out << c.name;
}

class Report : public SimFixture, public ::testing::WithParamInterface<Case> {
protected:
    // The example's devices file with `fault` added to the first device's section.
    void useDevices(const Case &c) {
        if (c.devices == nullptr) {
            writeDevices("");
            return;
        }
        copyAllExamples();
        std::string ini = readBytes(c.devices);
        if (c.fault != nullptr) ini.insert(ini.find('\n', ini.find('[')) + 1, std::string(c.fault) + "\n");
        writeDevices(ini);
    }
};

TEST_P(Report, MatchesLineForLine) {
    const Case &c = GetParam();
    useDevices(c);
    LineList log;
    const bool answered = ReportEeprom(log, c.options, kestrom::platform::programLibraries());
    EXPECT_EQ(expectedText(c.expected), joined(log.lines));
    EXPECT_EQ(c.answered, answered);
}

// Renamed for test names: letters and digits only.
std::string caseName(const ::testing::TestParamInfo<Case> &info) {
    std::string name;
    for (const char *p = info.param.name; *p != '\0'; ++p) {
        if (std::isalnum(static_cast<unsigned char>(*p))) name += *p;
    }
    return name;
}

// clang-format off
#define DEVICE_CASES(name, file)                                                                          \
    Case{name "Both", file, nullptr, kBoth, {name ".text.txt", name ".dump.txt", "closing.txt"}, true},  \
    Case{name "Text", file, nullptr, kTextOnly, {name ".text.txt", "closing.txt"}, true},                 \
    Case{name "Dump", file, nullptr, kDumpOnly, {name ".dump.txt", "closing.txt"}, true}

INSTANTIATE_TEST_SUITE_P(ExampleDevices, Report, ::testing::Values(
    DEVICE_CASES("ft232bm", "ft232bm.ini"),
    DEVICE_CASES("ft2232c", "ft2232c.ini"),
    DEVICE_CASES("ft232r", "ft232r.ini"),
    DEVICE_CASES("ft8u232am", "ft8u232am.ini"),
    DEVICE_CASES("two-devices", "two-devices.ini"),
    Case{"ft232bmNeither", "ft232bm.ini", nullptr, kNeither, {"closing.txt"}, true},
    // A blank EEPROM cannot be read: the report stops, no dump.
    Case{"blankBoth", "blank-ft232bm.ini", nullptr, kBoth, {"blank-ft232bm.text.txt"}, false},
    Case{"blankDump", "blank-ft232bm.ini", nullptr, kDumpOnly, {"blank-ft232bm.dump.txt", "closing.txt"}, true},
    Case{"noDeviceBoth", nullptr, nullptr, kBoth, {"no-device.text.txt"}, false},
    Case{"noDeviceDump", nullptr, nullptr, kDumpOnly, {"open-failed.dump.txt", "closing.txt"}, false}
), caseName);

INSTANTIATE_TEST_SUITE_P(Failures, Report, ::testing::Values(
    // Device 0's description cannot be listed; the next one still is.
    Case{"listing", "two-devices.ini", "fail.FT_ListDevices = 4", kTextOnly,
         {"listing-fails.text.txt", "closing.txt"}, true},
    Case{"read", "ft232bm.ini", "fail.FT_EE_Read = 11", kBoth, {"read-fails.text.txt"}, false},
    Case{"userArea", "ft232bm.ini", "fail.FT_EE_UASize = 4", kBoth, {"uasize-fails.text.txt"}, false},
    // Unplugged after the read: texts as read, every later value -1, no chip section.
    Case{"chipQuery", "ft232bm.ini", "fail.FT_GetDeviceInfo = 4", kBoth,
         {"chip-query-fails.text.txt", "ft232bm.dump.txt", "closing.txt"}, true},
    Case{"dumpOpen", "ft232bm.ini", "fail.FT_Open = 3", kDumpOnly, {"open-failed.dump.txt", "closing.txt"}, false},
    Case{"dumpClose", "ft232bm.ini", "fail.FT_Close = 4", kDumpOnly,
         {"ft232bm.dump.txt", "close-failed.txt", "closing.txt"}, true},
    // Words that cannot be read show the word variable's start value.
    Case{"wordRead", "ft232bm.ini", "fail.FT_ReadEE = 4", kDumpOnly,
         {"unreadable-words.dump.txt", "closing.txt"}, true}
), caseName);
// clang-format on

}  // namespace

// Word fields shown in hexadecimal have four digits whatever the value, 0 included;
// a reader's -1 is shown as it is.
TEST(ReportValues, HexadecimalWordsHaveFourDigitsZeroIncluded) {
    const std::pair<int32_t, const char *> table[] = {
        {0, "0x0000"}, {1, "0x0001"}, {0x0ABC, "0x0ABC"}, {0x0200, "0x0200"}, {0xFFFF, "0xFFFF"}, {-1, "-1"},
    };
    for (const auto &[value, shown] : table) {
        EXPECT_EQ(shown, kestrom::reports::hexadecimal(value).toStdString()) << value;
    }
}
