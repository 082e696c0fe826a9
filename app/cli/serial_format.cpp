#include "serial_format.h"

#include <algorithm>

namespace kestrom::cli {

namespace {

constexpr int kWidestNumber = 19;  // the longest serial number the record holds

bool asciiDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}

QString escaped(const QString &text) {
    return QString(text).replace(u'%', QStringLiteral("%%"));
}

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
        const QString widthText = format.mid(at, digits - at);
        const QChar kind = digits < format.size() ? format[digits] : QChar();
        if (QStringLiteral("duxX").indexOf(kind) < 0 || kind.isNull()) {
            problem = QStringLiteral(
                          "'%1' has a % that is not %d, %u, %x or %X (with an optional 0 and width), "
                          "nor a percent sign written twice")
                          .arg(format);
            return std::nullopt;
        }
        if (converted) {
            problem = QStringLiteral("'%1' holds more than one number").arg(format);
            return std::nullopt;
        }
        if (!std::all_of(widthText.begin(), widthText.end(), asciiDigit)) {
            problem =
                QStringLiteral("'%1' gives the width %2 in other digits than 0 to 9").arg(format, widthText);
            return std::nullopt;
        }
        // Counted, not converted, so that no width is too long to be refused.
        qsizetype lead = 0;
        while (lead < widthText.size() && widthText[lead] == u'0') ++lead;
        const QString significant = widthText.mid(lead);
        if (significant.size() > 2 || significant.toInt() > kWidestNumber) {
            problem = QStringLiteral("'%1' asks for a number %2 characters wide; a serial number holds %3")
                          .arg(format, significant, QString::number(kWidestNumber));
            return std::nullopt;
        }
        converted = true;
        result.zeros_ = zeros;
        result.width_ = significant.toInt();
        result.base_ = kind == u'x' || kind == u'X' ? 16 : 10;
        result.upper_ = kind == u'X';
        result.signed_ = kind == u'd';
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

QString SerialFormat::key() const {
    // A width of one or none never pads: every number has a digit.
    const bool pads = width_ > 1;
    const QString width =
        pads ? (zeros_ ? QStringLiteral("0") : QString()) + QString::number(width_) : QString();
    const QChar kind = base_ == 10 ? u'd' : upper_ ? u'X' : u'x';
    return escaped(prefix_) + u'%' + width + kind + escaped(suffix_);
}

}  // namespace kestrom::cli
