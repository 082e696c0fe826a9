// The data lines of the hex dump: ten words a line with the first word's
// address in front and the words' characters behind.
#pragma once

#include <QStringList>
#include <array>
#include <cstdint>

namespace kestrom::reports {

inline constexpr int kDumpWords = 128;
inline constexpr int kDumpWordsPerLine = 10;

// Thirteen lines; the last holds eight words and is padded so that its "|" lines up.
QStringList dumpDataLines(const std::array<uint16_t, kDumpWords> &words);

}  // namespace kestrom::reports
