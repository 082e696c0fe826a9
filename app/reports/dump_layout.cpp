#include "dump_layout.h"

#include <algorithm>

namespace kestrom::reports {

namespace {

constexpr int kWordFieldWidth = 5;  // four digits and a space
constexpr int kDataWidth = kDumpWordsPerLine * kWordFieldWidth;

QChar shown(unsigned byte) {
    return byte >= 32 && byte <= 127 ? QChar(byte) : QChar(u'.');
}

QString hex(unsigned value, int digits) {
    return QStringLiteral("%1").arg(value, digits, 16, QChar(u'0')).toUpper();
}

}  // namespace

QStringList dumpDataLines(const std::array<uint16_t, kDumpWords> &words) {
    QStringList lines;
    for (int first = 0; first < kDumpWords; first += kDumpWordsPerLine) {
        QString data;
        QString characters;
        for (int i = first; i < std::min(first + kDumpWordsPerLine, kDumpWords); ++i) {
            data += hex(words[i], 4) + u' ';
            characters += shown(words[i] >> 8);
            characters += shown(words[i] & 0xFFu);
        }
        lines.append(u'$' + hex(static_cast<unsigned>(first), 3) + QStringLiteral(" | ") +
                     data.leftJustified(kDataWidth) + QStringLiteral("| ") + characters);
    }
    return lines;
}

}  // namespace kestrom::reports
