// The serial numbers of a production run: a FORMAT such as "KS%06d" with one
// number in it (%d, %u, %x or %X, with an optional 0 and width), and %% for a %.
// Formatted here, never by printf.
#pragma once

#include <QString>
#include <cstdint>
#include <optional>

namespace kestrom::cli {

class SerialFormat {
public:
    // Nothing, with the reason in `problem`, for a format without exactly one number.
    static std::optional<SerialFormat> parse(const QString &format, QString &problem);

    QString serial(uint64_t number) const;
    const QString &text() const { return text_; }
    // The one spelling of every format that gives the same serial numbers: "KS%06u"
    // is "KS%06d", and "KS%1d", "KS%01d" and "KS%0d" are "KS%d". Runs share their
    // numbers by it.
    QString key() const;
    // The greatest number the format takes: %d is a signed 32-bit number, the others
    // unsigned.
    uint64_t largest() const { return signed_ ? INT32_MAX : UINT32_MAX; }

private:
    QString text_;
    QString prefix_;
    QString suffix_;
    int width_ = 0;
    bool zeros_ = false;
    int base_ = 10;
    bool upper_ = false;
    bool signed_ = false;
};

}  // namespace kestrom::cli
