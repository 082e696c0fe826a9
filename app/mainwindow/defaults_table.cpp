#include "defaults_table.h"

namespace kestrom::mainwindow {

namespace {

constexpr DefaultRow kDefaults[] = {
    {"Rev4", {"1", "0", "0", "0"}},
    {"int_do_serno", {"1", "1", "0", "0"}},
    {"int_pden", {"0", "0", "0", "0"}},
    {"int_usb_ver", {"1", "1", "0", "0"}},
    {"iso_in", {"0", "0", "0", "0"}},
    {"iso_out", {"0", "0", "0", "0"}},
    {"Text5", {"0000", "0000", "0000", "0000"}},
    {"Rev5", {"0", "0", "1", "0"}},
    {"IsoInA", {"0", "0", "0", "0"}},
    {"IsoOutA", {"0", "0", "0", "0"}},
    {"AIsHighCurrent", {"0", "0", "0", "0"}},
    {"IFAIsFifo", {"0", "0", "1", "0"}},
    {"IFAIsFifoTar", {"0", "0", "0", "0"}},
    {"IFAIsFastSer", {"0", "0", "0", "0"}},
    {"AIsVCP", {"0", "0", "0", "0"}},
    {"IsoInB", {"0", "0", "0", "0"}},
    {"IsoOutB", {"0", "0", "0", "0"}},
    {"BIsHighCurrent", {"0", "0", "0", "0"}},
    {"IFBIsFifo", {"0", "0", "1", "0"}},
    {"IFBIsFifoTar", {"0", "0", "0", "0"}},
    {"IFBIsFastSer", {"0", "0", "0", "0"}},
    {"BIsVCP", {"0", "0", "0", "0"}},
    {"PullDownEnable5", {"0", "0", "0", "0"}},
    {"SerNumEnable5", {"0", "0", "0", "0"}},
    {"USBVersion5", {"0000", "0000", "0200", "0000"}},
    {"USBVersionEnable5", {"0", "0", "0", "0"}},
    {"remote_wakeup", {"0", "0", "0", "0"}},
    {"plug_and_play", {"1", "1", "1", "0"}},
    {"self_powered", {"0", "0", "0", "0"}},
    {"max_power", {"50", "45", "99", "00"}},
    {"ProductID", {"6001", "6001", "6010", "0000"}},
    {"VendorID", {"0403", "0403", "0403", "0000"}},
    {"manufactuer", {"FTDI", "FTDI", "FTDI", " "}},
    {"Description_", {"USB FTDI port", "USB FTDI port", "USB FTDI port", " "}},
    {"Text6", {"QV", "QV", "QV", " "}},
    {"serial_number", {"QV000001", "QV000001", "QV000001", " "}},
};

}  // namespace

std::span<const DefaultRow> defaultRows() { return kDefaults; }

int defaultsColumn(int chipType) {
    switch (chipType) {
        case 0: return 0;
        case 1: return 1;
        case 4: return 2;
        default: return 3;
    }
}

}  // namespace kestrom::mainwindow
