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
    // Null while the chip is not known: chips give one name different values (an
    // FT232R's Cbus0 = TXLED is 3, an FT232H's 1), so the value waits for the chip.
    const FieldSpec *field = nullptr;
    FieldValue value;
    QString origin;  // "board.ini line 7", "--set MaxPower=100"
    // As written, for a setting read from text: its name, its value (a text unquoted)
    // and how a problem with the value names it ("board.ini line 7: MaxPower = 91").
    QString name{};
    QString written{};
    QString statement{};
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

// Binds `setting` to the field of its name on a chip of `chipType` and reads its
// written value by that field's rules; false, with the problem naming where it was
// set, when the chip has no such field or the field does not take the value.
bool resolveSetting(Setting &setting, uint32_t chipType, QString &problem);

// Why no chip with a field `name` takes `written` for it; empty when one does, so
// that a value no chip takes is refused before the device is known.
QString problemOnEveryChip(const QString &name, const QString &written);

}  // namespace kestrom::cli
