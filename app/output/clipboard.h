// The system clipboard's plain text.
#pragma once

#include <QString>
#include <cstdint>

namespace kestrom::output {

enum class ClipboardResult : int32_t {
    Placed = 1,
    EmptyText = -1,   // nothing done: the clipboard keeps what it had
    Unavailable = -2  // no clipboard to reach (no GUI application)
};

ClipboardResult ClipboardPutText(const QString &text);
// The clipboard's plain text up to any NUL; empty when there is none or no clipboard.
QString ClipboardGetText();

}  // namespace kestrom::output
