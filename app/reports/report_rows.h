// The lines of the text report's field block: captions, the reader that gives
// each value, how the value is shown, and the comment after it.
#pragma once

#include <QString>
#include <cstdint>
#include <span>

#include "romgate_binding.h"

namespace kestrom::reports {

using platform::RomgateBinding;

struct TextRow {
    const char *caption;
    int32_t (RomgateBinding::*read)(char *buffer);
};

enum class Shown { Decimal, Hexadecimal };

// A row without a reader is a whole line of its own (a heading or an empty line).
struct FieldRow {
    const char *caption;
    int32_t (RomgateBinding::*read)() = nullptr;
    Shown shown = Shown::Decimal;
    const char *comment = "";
};

// Manufacturer, ManufacturerID, Description, Serialnumber.
std::span<const TextRow> textRows();
// VendorID to IsoOut and the empty line after them.
std::span<const FieldRow> commonRows();
// The section of the chip type: none for a type without one or a failed query.
std::span<const FieldRow> chipRows(int32_t chipType);

// The caption left-justified in 19 characters, ": ", the value, the comment.
QString fieldLine(const char *caption, const QString &value, const char *comment = "");
// -1 and other failures in decimal; a value as "0x" and four upper-case digits.
QString hexadecimal(int32_t value);

}  // namespace kestrom::reports
