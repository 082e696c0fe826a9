// `kestrom --report`: the EEPROM report of device 0 on standard output, without a window.
#pragma once

#include "eeprom_report.h"

namespace kestrom {

// Prints the lines ReportEeprom writes, one per line, in UTF-8. Answers the exit
// code: 0 when the device answered, 1 when it did not or a library is missing
// (the loader's message then goes to standard error).
int printReport(const reports::ReportOptions &options);

}  // namespace kestrom
