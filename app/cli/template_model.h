// A template as the commands use it: the chip kind it names and the fields it
// sets, each with where it was set, whatever file format it came from.
#pragma once

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

#include "record_fields.h"

namespace kestrom::cli {

struct Setting {
    const FieldSpec *field = nullptr;
    FieldValue value;
    QString origin;  // "board.ini line 7", "--set MaxPower=100"
};

struct Template {
    std::optional<uint32_t> chip;  // the chip kind the file names, if it names one
    QString chipOrigin;
    std::vector<Setting> settings;
    // Options of the file that set no field of the chip (ftdi_eeprom files).
    QStringList ignored;
};

// "file line N", as every message about a line of a file says it.
inline QString lineOrigin(const QString &file, int line) {
    return QStringLiteral("%1 line %2").arg(file).arg(line);
}

}  // namespace kestrom::cli
