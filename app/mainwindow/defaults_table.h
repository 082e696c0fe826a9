// The editor's built-in defaults by chip type, in the order they are filled.
#pragma once

#include <span>

namespace kestrom::mainwindow {

struct DefaultRow {
    const char *objectName;
    // Columns: FT232BM/FT245BM (0), FT8U232AM (1), FT2232C (4), every other code.
    // Toggles and options take "1" (ticked, selected) or "0"; text boxes their text.
    const char *values[4];
};

std::span<const DefaultRow> defaultRows();

// The column of `chipType`.
int defaultsColumn(int chipType);

}  // namespace kestrom::mainwindow
