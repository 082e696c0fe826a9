// Why a real chip would not open: the user may not open its USB device node,
// because the udev rule that grants it is not installed. Asked after a failed
// report, it looks at the FTDI chips the kernel lists (the maker's vendor ID and
// the vendors named in FTD2XX_VIDPID) and tries their device nodes.
#pragma once

#include <QString>

#include "log_sink.h"

namespace kestrom::reports {

// True when such a chip is plugged in and its device node refuses this user.
// Never for simulated devices (FTD2XX_SIM).
bool DeviceNodeRefused();

// The line that tells the user what to do about it.
QString UdevRuleHint();

// Appends the hint to `log` when a device node is refused.
void AppendAccessHint(LogSink &log);

}  // namespace kestrom::reports
