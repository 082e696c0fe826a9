// Named runs of controls that are enabled and disabled together, in the order
// they are switched.
#pragma once

namespace kestrom::mainwindow {

inline constexpr const char *kBmGroup[] = {"int_do_serno", "int_pden", "int_usb_ver", "iso_in", "iso_out", "Text5"};

inline constexpr const char *kFt2232cGroup[] = {
    "IsoInA",   "IsoOutA",      "AIsHighCurrent", "IFAIsFifo",       "IFAIsFifoTar",  "IFAIsFastSer",
    "AIsVCP",   "IsoInB",       "IsoOutB",        "BIsHighCurrent",  "IFBIsFifo",     "IFBIsFifoTar",
    "IFBIsFastSer", "BIsVCP",   "PullDownEnable5", "SerNumEnable5",  "USBVersion5",   "USBVersionEnable5"};

// The commands and the common group: enabled by Read and by a returning device.
inline constexpr const char *kCommonControls[] = {
    "write1",        "eeprom_erase", "eeprom_refresh", "default",  "plug_and_play", "self_powered", "remote_wakeup",
    "manufactuer",   "Description_", "VendorID",       "Text6",    "ProductID",     "max_power",    "serial_number"};

}  // namespace kestrom::mainwindow
