// What a write changes: each setting whose value differs, old and new, as the
// question before the write lists them.
#pragma once

#include <QStringList>
#include <cstdint>

#include "eeprom_codec.h"

namespace kestrom::chipeditor {

// "Cbus5: TRISTATE -> TXLED", one line for each setting of the chip that
// `after` holds otherwise than `before`; texts in quotes.
QStringList settingChanges(uint32_t chipType, const d2xx::EepromContents &before,
                           const d2xx::EepromContents &after);

// "Cbus5 = TXLED", one line for each setting of the chip that the EEPROM stores:
// what is written to a chip that reads blank.
QStringList settingValues(uint32_t chipType, const d2xx::EepromContents &contents);

// "0403:6001 -> 0403:6015" when the USB IDs differ; empty when they do not.
QString idChange(const d2xx::EepromContents &before, const d2xx::EepromContents &after);

}  // namespace kestrom::chipeditor
