// The controls Write hands to the library, group by group, in the order of the
// writer calls. Which groups go depends on the chip type alone.
#pragma once

namespace kestrom::mainwindow {

inline constexpr const char *kWriteCommon[] = {
    "VendorID",      "ProductID", "manufactuer",   "Text6",        "Description_",
    "serial_number", "max_power", "plug_and_play", "self_powered", "remote_wakeup"};

inline constexpr const char *kWriteBm[] = {"Rev4",         "iso_in", "iso_out",    "int_pden",
                                           "int_do_serno", "Text5",  "int_usb_ver"};

inline constexpr const char *kWriteFt2232c[] = {
    "Rev5",          "IsoInA",       "IsoOutA",          "AIsHighCurrent",
    "IFAIsFifo",     "IFAIsFifoTar", "IFAIsFastSer",     "AIsVCP",
    "IsoInB",        "IsoOutB",      "BIsHighCurrent",   "IFBIsFifo",
    "IFBIsFifoTar",  "IFBIsFastSer", "BIsVCP",           "PullDownEnable5",
    "SerNumEnable5", "USBVersion5",  "USBVersionEnable5"};

}  // namespace kestrom::mainwindow
