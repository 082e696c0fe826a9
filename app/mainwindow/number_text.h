// The editor's number forms: hexadecimal identifiers and versions, decimal power,
// and the keystroke filters of the two filtered boxes.
#pragma once

#include <QChar>
#include <QString>
#include <cstdint>

namespace kestrom::mainwindow {

// No prefix, no leading zeros, upper-case letters; a negative value gets "-".
QString NumberToBase(int16_t value, int32_t base);

// Walks the text from its last character: "-" negates and stops, "0"-"9" and
// "A"-"Z" are digits (never checked against the base), anything else counts as 0.
int32_t BaseToNumber(QString text, int32_t base);

// Digits and Backspace pass; every other key is discarded (0).
char16_t filterDecimalKey(char16_t key);
// Hex digits and Backspace pass, "a"-"f" become "A"-"F"; every other key is discarded.
char16_t filterHexadecimalKey(char16_t key);

// The four-digit form the editor shows: NumberToBase in base 16, zero-padded.
QString hexForm(int32_t value);
// The decimal form: digits only, as the value reads.
QString decimalForm(int32_t value);
// The number the text starts with: blanks skipped, an optional sign, then digits.
int32_t leadingDecimal(const QString &text);

}  // namespace kestrom::mainwindow
