// Why a real chip failed: with FTD2XX_LOG=1 in the environment, each failed USB or
// libftdi1 step writes one line to standard error, naming the step, the D2XX
// status it became and libusb's or libftdi1's own error text, e.g.
//   ftd2xx: libusb_open(1-1): Access denied (insufficient permissions) [LIBUSB_ERROR_ACCESS] -> FT_DEVICE_NOT_OPENED (3)
#pragma once

#include <string>
#include <string_view>

#include "ftd2xx.h"

namespace kestrom::d2xx {

// Writes the line when FTD2XX_LOG is 1; returns `status`, so a failing step can
// log and answer in one go.
FT_STATUS logUsbFailure(std::string_view step, std::string_view error, FT_STATUS status);

// libusb's text for one of its error codes, with the code's name.
std::string libusbErrorText(int code);

// The status's name, "FT_DEVICE_NOT_OPENED (3)".
std::string statusName(FT_STATUS status);

}  // namespace kestrom::d2xx
