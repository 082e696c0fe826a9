// The extra USB IDs a user asks the real-hardware backend to look for, given in
// FTD2XX_VIDPID as "VID:PID" pairs in hex, e.g. "1234:5678,abcd:ef01".
#pragma once

#include <compare>
#include <cstdint>
#include <string_view>
#include <vector>

namespace kestrom::d2xx {

struct UsbId {
    uint16_t vendor = 0;
    uint16_t product = 0;
    auto operator<=>(const UsbId &) const = default;
};

// Pairs are separated by commas, semicolons or white space; each number has one to
// four hex digits and may start with 0x. Malformed pairs and 0:0 are skipped, and
// each pair is kept once, in the order first given.
std::vector<UsbId> parseVidPidList(std::string_view text);

}  // namespace kestrom::d2xx
