// The command line's view of the chip model's setting tables (chip_settings.h):
// the same settings with Qt's strings, and texts quoted as templates write them.
#pragma once

#include <QString>
#include <cstdint>
#include <optional>
#include <span>

#include "chip_settings.h"

namespace kestrom::cli {

using d2xx::EepromContents;
using FieldSpec = eeprom::Setting;
using FieldKind = eeprom::SettingKind;

// A field's value: a number, or for a text field the text.
struct FieldValue {
    uint32_t number = 0;
    QString text;
    bool operator==(const FieldValue &) const = default;
};

// The fields of a chip type, in its structure's (or the record's) order; empty for
// a chip whose layout Kestrom does not know.
std::span<const FieldSpec *const> chipFields(uint32_t chipType);
// The fields every chip's record has (IDs, texts, power): what is shown of a chip
// whose own table Kestrom lacks.
std::span<const FieldSpec *const> commonFields();
// A field of the chip by name (any case); null when it has none of that name.
const FieldSpec *findField(uint32_t chipType, const QString &name);
// A field of any chip by name, the first chip's that has it; null when none has.
const FieldSpec *findField(const QString &name);
bool chipHasField(uint32_t chipType, const FieldSpec &field);

// The chip type a template names ("FT232BM", also "BM"; any case).
std::optional<uint32_t> chipByName(const QString &name);
// The chips whose fields Kestrom knows, as their names: "FT8U232AM, FT232BM, ...".
QString knownChipNames();

FieldValue valueOf(const FieldSpec &field, const EepromContents &contents);
void setValue(const FieldSpec &field, EepromContents &contents, const FieldValue &value);

// The value as templates and `show` write it: 0x0403, 90, 1, "text", TXLED.
QString formatValue(const FieldSpec &field, const FieldValue &value);
// A choice's name (a CBUS function, a driver); the number itself for one without a name.
QString choiceText(const FieldSpec &field, uint32_t value);

// Reads a value as written in a template (texts already unquoted). Nothing, with
// the reason in `problem`, for one the field does not allow.
std::optional<FieldValue> parseValue(const FieldSpec &field, const QString &written, QString &problem);
// Why a number or text does not suit the field; empty when it does.
QString valueProblem(const FieldSpec &field, const FieldValue &value);
// The values a field allows, for comments and messages: "0x0001-0xFFFF".
QString allowedValues(const FieldSpec &field);

}  // namespace kestrom::cli
