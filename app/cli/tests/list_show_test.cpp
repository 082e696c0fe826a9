// kestrom list and show on simulated devices: what they print, their JSON, and
// their exit codes.
#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "cli_run.h"

namespace {

QJsonDocument json(const Outcome &outcome) { return QJsonDocument::fromJson(QByteArray::fromStdString(outcome.out)); }

class ListShow : public CliTest {};

TEST_F(ListShow, ListNamesEveryDeviceAndOneThatDoesNotOpenByItsStatus) {
    copyAllExamples();
    useDevicesFile("two-devices.ini");
    Outcome listed = run({"list"});
    EXPECT_EQ(0, listed.exitCode) << listed.err;
    EXPECT_EQ("INDEX  CHIP     VID:PID    SERIAL    DESCRIPTION\n"
              "0      FT232BM  0403:6001  QV000005  USB FTDI port\n"
              "1      FT2232C  0403:6010  QV000006  USB FTDI dual port\n",
              listed.out);

    // Another program holds device 1: its open answers 3.
    FT_HANDLE held = open(1);
    listed = run({"list", "--json"});
    EXPECT_EQ(0, listed.exitCode);
    const QJsonArray devices = json(listed).array();
    ASSERT_EQ(2, devices.size()) << listed.out;
    EXPECT_EQ(QJsonObject({{"index", 0}, {"chip", "FT232BM"}, {"type", 0}, {"vidPid", "0403:6001"},
                           {"serial", "QV000005"}, {"description", "USB FTDI port"}, {"status", 0}}),
              devices[0].toObject());
    EXPECT_EQ(QJsonObject({{"index", 1}, {"chip", QJsonValue()}, {"type", QJsonValue()}, {"vidPid", QJsonValue()},
                           {"serial", "QV000006"}, {"description", "USB FTDI dual port"}, {"status", 3}}),
              devices[1].toObject());
    (void)held;
}

TEST_F(ListShow, ListWithoutDevicesSaysSoAndItsJsonIsEmpty) {
    writeDevices("[d]\nchip = BM\npresent = 0\n");
    EXPECT_EQ("No devices.\n", run({"list"}).out);
    const Outcome outcome = run({"list", "--json"});
    EXPECT_EQ(0, outcome.exitCode);
    EXPECT_TRUE(json(outcome).isArray() && json(outcome).array().isEmpty()) << outcome.out;
}

}  // namespace
