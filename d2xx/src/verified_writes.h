// Writes that are read back, for both backends: a part that did not take a write
// (no EEPROM fitted, its write-protect pin held, a worn-out cell) is never reported
// as written. Each word written is read back once, and no more.
//
// Where the backend knows what the part holds (read on the same handle, see
// Device::heldWord), only the words that differ are written: on a real chip a
// transfer costs about a millisecond and a word written a few more.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "backend.h"

namespace kestrom::d2xx {

// Writes `image` from word 0 on, the words the part does not hold already; when it
// does not then read as `image`, every word once more. FT_EEPROM_WRITE_FAILED when
// a word still reads back otherwise.
FT_STATUS writeImageVerified(Device &device, const std::vector<uint16_t> &image);

// One word, unless the part holds it already; FT_EEPROM_WRITE_FAILED when it reads back otherwise.
FT_STATUS writeWordVerified(Device &device, size_t address, uint16_t value);

// Erases; FT_EEPROM_ERASE_FAILED when the part does not read blank afterwards (the
// USB backend's erase checks the chip itself and answers these reads from what it
// found, usb_eeprom.h). Parts whose erase changes nothing by design (the FT232R,
// the X series) are not checked.
FT_STATUS eraseVerified(Device &device);

}  // namespace kestrom::d2xx
