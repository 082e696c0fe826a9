// The record fields each chip's EEPROM holds, listed once per chip: the record's
// own names, what each field allows and how it reads and sets decoded contents.
// `show`, its JSON, the templates and the ftdi_eeprom mapping are views of these
// tables; a chip joins by giving its own table.
#pragma once

#include <QString>
#include <QStringView>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "eeprom_codec.h"

namespace kestrom::cli {

using d2xx::EepromContents;

enum class FieldKind {
    Hex16,    // a 16-bit number written 0x0403: IDs, BCD versions
    Decimal,  // a number written in decimal: milliamperes, bytes
    Flag,     // 0 or 1
    Text,     // UTF-8 text
    Cbus,     // an FT232R CBUS function, written by its name
};

// What a number must be besides lying between the field's least and greatest value.
enum class NumberRule { Any, Even, Bcd };

struct FieldSpec {
    const char *name;     // the record's field name
    const char *meaning;  // for people: "USB vendor ID"
    FieldKind kind;
    uint32_t least = 0;     // numbers
    uint32_t greatest = 0;  // numbers; texts: bytes of UTF-8 at most
    NumberRule rule = NumberRule::Any;
    // Set by the chip itself (Rev4, Rev5): shown, and a template may only repeat it.
    bool chipFixed = false;
    uint32_t (*number)(const EepromContents &) = nullptr;
    void (*setNumber)(EepromContents &, uint32_t) = nullptr;
    QString (*text)(const EepromContents &) = nullptr;
    // Null for a text the EEPROM does not store (ManufacturerId).
    void (*setText)(EepromContents &, const QString &) = nullptr;

    bool settable() const { return setNumber != nullptr || setText != nullptr; }
};

// A field's value: a number, or for a text field the text.
struct FieldValue {
    uint32_t number = 0;
    QString text;
    bool operator==(const FieldValue &) const = default;
};

// The fields of a chip type, in the record's order; empty for a chip whose layout
// Kestrom does not know.
std::span<const FieldSpec *const> chipFields(uint32_t chipType);
// The fields every chip's record has (IDs, texts, power): what is shown of a chip
// whose own table Kestrom lacks.
std::span<const FieldSpec *const> commonFields();
// A field of any chip, by name (any case); null when no chip has it.
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
// A CBUS function's name; the number itself for one without a name.
QString cbusName(uint32_t function);

// Reads a value as written in a template (texts already unquoted). Nothing, with
// the reason in `problem`, for one the field does not allow.
std::optional<FieldValue> parseValue(const FieldSpec &field, const QString &written, QString &problem);
// Why a number or text does not suit the field; empty when it does.
QString valueProblem(const FieldSpec &field, const FieldValue &value);
// The values a field allows, for comments and messages: "0x0001-0xFFFF".
QString allowedValues(const FieldSpec &field);

}  // namespace kestrom::cli
