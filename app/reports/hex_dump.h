// The hex dump: the first 128 EEPROM words of device 0, read word by word
// straight from the driver.
#pragma once

#include "d2xx_binding.h"
#include "log_sink.h"

namespace kestrom::reports {

// Appends nothing unless `binaryInfo`. False only when the device could not be opened.
bool DumpEeprom(LogSink &log, bool binaryInfo, platform::D2xxBinding &d2xx);

}  // namespace kestrom::reports
