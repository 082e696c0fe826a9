// Identification of every chip type code, from a window that named an FT232BM
// before, so what a row leaves unchanged shows.
#include "window_fixture.h"

namespace {

struct Row {
    int code;  // -1: the device is unplugged
    const char *caption;
    bool rev4;  // enabled and ticked
    bool rev5;
    bool unknownLogged;
};

const Row kRows[] = {
    {0, "Device FTU232BM ...", true, false, false},
    {1, "Device FT8U232AM ...", false, false, false},
    {2, "Device FT8U100AX ...", false, false, false},
    {3, "FTDI Device UNKNOWN ...", false, false, false},
    {4, "Device FT2232C ...", false, true, false},
    {5, "Device FT_DEVICE_232R ...", false, false, false},
    {6, "Device FT2232H ...", false, false, false},
    {7, "Device FT4232H ...", false, false, false},
    {8, "Device FT232H ...", false, false, false},
    {9, "Device FT-X ...", false, false, false},
    // A code the program does not know, and no device: caption and boxes as they were.
    {10, "Device FTU232BM ...", true, false, true},
    {-1, "FTDI Device Not Find ...", true, false, false},
};

}  // namespace

TEST_F(WindowTest, IdentificationNamesEveryChipItKnows) {
    for (const Row &row : kRows) {
        SCOPED_TRACE("chip type code " + std::to_string(row.code));
        start("ft232bm");
        replug(row.code < 0 ? std::string() : "[d]\nchip = " + std::to_string(row.code) + "\n");
        const qsizetype unknown = logLines().count(QStringLiteral("Device Unknown ..."));
        EXPECT_EQ(row.code < 0 ? kestrom::mainwindow::kNoDeviceAnswers : row.code, window().IdentifyDevice());
        EXPECT_EQ(QString::fromLatin1(row.caption), window().windowTitle());
        EXPECT_EQ(row.rev4, enabled("Rev4"));
        EXPECT_EQ(row.rev4, ticked("Rev4"));
        EXPECT_EQ(row.rev5, enabled("Rev5"));
        EXPECT_EQ(row.rev5, ticked("Rev5"));
        EXPECT_EQ(row.rev4, enabled("iso_in")) << "the FT2xxBM group follows its box";
        EXPECT_EQ(row.rev5, enabled("IsoInA")) << "the FT2232C group follows its box";
        EXPECT_EQ(unknown + (row.unknownLogged ? 1 : 0),
                  logLines().count(QStringLiteral("Device Unknown ...")));
    }
}
