#include "number_text.h"

#include <limits>

namespace kestrom::mainwindow {

QString NumberToBase(int16_t value, int32_t base) {
    if (base < 2) base = 10;  // no base below 2 can write a number
    int32_t magnitude = value < 0 ? -int32_t{value} : value;
    QString text;
    do {
        const int32_t digit = magnitude % base;
        text.prepend(QChar(digit < 10 ? u'0' + digit : digit + 55));
        magnitude /= base;
    } while (magnitude != 0);
    return value < 0 ? u'-' + text : text;
}

int32_t BaseToNumber(QString text, int32_t base) {
    text = text.toUpper();
    // 32-bit wrap-around, as the conversion's arithmetic does past seven digits.
    uint32_t result = 0;
    uint32_t weight = 1;
    for (qsizetype i = text.size() - 1; i >= 0; --i) {
        const char16_t c = text.at(i).unicode();
        if (c == u'-') return static_cast<int32_t>(0u - result);
        if (c >= u'0' && c <= u'9') result += (c - u'0') * weight;
        if (c >= u'A' && c <= u'Z') result += (c - 55u) * weight;
        weight *= static_cast<uint32_t>(base);
    }
    return static_cast<int32_t>(result);
}

char16_t filterDecimalKey(char16_t key) {
    return key == 8 || (key >= u'0' && key <= u'9') ? key : 0;
}

char16_t filterHexadecimalKey(char16_t key) {
    if (key == 8 || (key >= u'0' && key <= u'9') || (key >= u'A' && key <= u'F')) return key;
    if (key >= u'a' && key <= u'f') return static_cast<char16_t>(key - 32);
    return 0;
}

QString hexForm(int32_t value) {
    if (value < 0 || value > 0xFFFF) return QString::number(value);
    // Values from 0x8000 show as their four digits, not as a negative number.
    return QStringLiteral("%1").arg(value, 4, 16, QChar(u'0')).toUpper();
}

QString decimalForm(int32_t value) {
    return QString::number(value);
}

int32_t leadingDecimal(const QString &text) {
    qsizetype i = 0;
    while (i < text.size() && text.at(i) == u' ') ++i;
    bool negative = false;
    if (i < text.size() && (text.at(i) == u'-' || text.at(i) == u'+')) negative = text.at(i++) == u'-';
    int64_t value = 0;
    for (; i < text.size() && text.at(i).isDigit() && text.at(i).unicode() < 128; ++i) {
        value = value * 10 + (text.at(i).unicode() - u'0');
        if (value > std::numeric_limits<int32_t>::max()) break;
    }
    value = std::min<int64_t>(value, std::numeric_limits<int32_t>::max());
    return static_cast<int32_t>(negative ? -value : value);
}

}  // namespace kestrom::mainwindow
