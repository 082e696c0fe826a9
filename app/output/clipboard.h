// The system clipboard's plain text.
#pragma once

#include <QString>
#include <cstdint>

namespace kestrom::output {

enum ClipboardResult : int32_t {
    kClipboardPlaced = 1,
    kClipboardEmptyText = -1,   // nothing done: the clipboard keeps what it had
    kClipboardUnavailable = -2  // no clipboard to reach (no GUI application)
};

int32_t ClipboardPutText(const QString &text);
// The clipboard's plain text up to any NUL; empty when there is none or no clipboard.
QString ClipboardGetText();

}  // namespace kestrom::output
