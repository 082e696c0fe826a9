// The Edit menu's commands on the log: Copy, Paste and Cut.
#pragma once

#include "logger_list.h"

namespace kestrom::output {

// The selected lines, each ended by CR LF; with none selected the clipboard keeps its text.
void copySelectedLines(LoggerList &log);
// The clipboard's text appended as lines.
void pasteClipboard(LoggerList &log);
// Removes the selected lines, never line 0; the clipboard is not touched.
void cutSelectedLines(LoggerList &log);

}  // namespace kestrom::output
