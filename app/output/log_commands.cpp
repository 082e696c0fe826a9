#include "log_commands.h"

#include "clipboard.h"
#include "log_text.h"

namespace kestrom::output {

void copySelectedLines(LoggerList &log) {
    if (log.count() == 0) return;
    const std::vector<bool> selected = log.selectedRows();
    QStringList lines;
    for (int row = 0; row < log.count(); ++row) {
        if (selected[static_cast<size_t>(row)]) lines << log.item(row)->text();
    }
    ClipboardPutText(joinLines(lines));
}

void pasteClipboard(LoggerList &log) {
    log.appendLines(splitLines(ClipboardGetText()));
}

// One pass over the lines: removing them one at a time would cost a move of
// every later line for each.
void cutSelectedLines(LoggerList &log) {
    if (log.count() == 0) return;
    const std::vector<bool> selected = log.selectedRows();
    QStringList kept;
    kept.reserve(log.count());
    for (int row = 0; row < log.count(); ++row) {
        if (row == 0 || !selected[static_cast<size_t>(row)]) kept << log.item(row)->text();
    }
    if (kept.size() < log.count()) log.replaceLines(kept);
}

}  // namespace kestrom::output
