// What a chip holds as it leaves the factory, for the chip editor's "Defaults".
#pragma once

#include <cstdint>

#include "eeprom_codec.h"

namespace kestrom::chipeditor {

// The factory settings of a chip of `chipType` as its datasheet gives them, over
// `held` (what the chip holds now), which keeps whatever has no public default: the
// serial number each chip is given, the description of an X-series member, and
// every setting of a chip without a table.
d2xx::EepromContents factoryDefaults(uint32_t chipType, const d2xx::EepromContents &held);

}  // namespace kestrom::chipeditor
