// The EEPROM text report: the connected devices, every EEPROM field of device 0
// and the section of its chip type, then the hex dump and a closing line.
#pragma once

#include "libraries.h"
#include "log_sink.h"

namespace kestrom::reports {

// The window's "Text info" and "Binary info" check boxes.
struct ReportOptions {
    bool textInfo = true;
    bool binaryInfo = true;
};

// True when the device answered: the EEPROM read succeeded or, with the text part
// off, the dump could open the device (or nothing asked the device at all).
bool ReportEeprom(LogSink &log, const ReportOptions &options, platform::Libraries &libraries);

}  // namespace kestrom::reports
