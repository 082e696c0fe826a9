// Small texts about devices that several commands print, and the identity of a
// device without reading its EEPROM.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include "chip_words.h"

namespace kestrom::cli {

// "0403:6001" of VID << 16 | PID.
QString vidPid(uint32_t id);
// `text` with its control characters written out ("\n", "\x1B"), so that a chip's
// texts cannot break a line or steer the terminal.
QString printable(const QString &text);
// Rows of columns, each column as wide as its widest cell, two spaces apart.
QString alignedColumns(const QList<QStringList> &rows);
// Opens device `index` for its chip type, USB IDs and strings only.
FT_STATUS readIdentity(platform::D2xxBinding &d2xx, int index, safety::ChipIdentity &identity);

}  // namespace kestrom::cli
