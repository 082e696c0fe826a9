// Messages on standard error that a process says once: the devices file is read again
// for every listing and open, and its complaints should not repeat each time.
#pragma once

#include <string>

namespace kestrom::d2xx {

// One line "libftd2xx: <message>" on standard error, unless this process said the same
// line before. Control characters are shown as '?'.
void sayOnce(std::string message);

}  // namespace kestrom::d2xx
