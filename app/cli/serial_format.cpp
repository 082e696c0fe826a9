#include "serial_format.h"

namespace kestrom::cli {

namespace {

constexpr int kWidestNumber = 19;  // the longest serial number the record holds

}  // namespace

std::optional<SerialFormat> SerialFormat::parse(const QString &format, QString &problem) {
    SerialFormat result;
    result.text_ = format;
    bool converted = false;
    QString *out = &result.prefix_;
    for (qsizetype i = 0; i < format.size(); ++i) {
        if (format[i] != u'%') {
            *out += format[i];
            continue;
        }
        if (i + 1 < format.size() && format[i + 1] == u'%') {
            *out += u'%';
            ++i;
            continue;
        }
        qsizetype at = i + 1;
        const bool zeros = at < format.size() && format[at] == u'0';
        if (zeros) ++at;
        qsizetype digits = at;
        while (digits < format.size() && format[digits].isDigit()) ++digits;
        const int width = format.mid(at, digits - at).toInt();
        const QChar kind = digits < format.size() ? format[digits] : QChar();
        if (QStringLiteral("duxX").indexOf(kind) < 0 || kind.isNull()) {
            problem = QStringLiteral(
                          "'%1' has a %% that is not %d, %u, %x, %X (with an optional 0 and width) or %%")
                          .arg(format);
            return std::nullopt;
        }
        if (converted) {
            problem = QStringLiteral("'%1' holds more than one number").arg(format);
            return std::nullopt;
        }
        if (width > kWidestNumber) {
            problem = QStringLiteral("'%1' asks for a number %2 characters wide; a serial number holds %3")
                          .arg(format, QString::number(width), QString::number(kWidestNumber));
            return std::nullopt;
        }
        converted = true;
        result.zeros_ = zeros;
        result.width_ = width;
        result.base_ = kind == u'x' || kind == u'X' ? 16 : 10;
        result.upper_ = kind == u'X';
        out = &result.suffix_;
        i = digits;
    }
    if (!converted) {
        problem = QStringLiteral("'%1' holds no number: put one in it, such as KS%06d").arg(format);
        return std::nullopt;
    }
    return result;
}

QString SerialFormat::serial(uint64_t number) const {
    QString digits = QString::number(number, base_);
    if (upper_) digits = digits.toUpper();
    return prefix_ + digits.rightJustified(width_, zeros_ ? u'0' : u' ') + suffix_;
}

}  // namespace kestrom::cli
