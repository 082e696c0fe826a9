// File > Save Log: the log into a text file the user picks.
#pragma once

#include <QStringList>
#include <cstdint>

#include "dialogs.h"

namespace kestrom::output {

enum SaveResult : int32_t {
    kSaved = 0,
    kCannotOpen = -1,     // cancelled, or the path can be neither created nor opened
    kCannotReplace = -2,  // the user agreed to overwrite, but the new file could not be made
    kIncomplete = -3,     // writing failed; any old file is intact
    kDeclined = -4        // the user kept the existing file
};

// The chosen path, ".txt" added under the text filter when the name lacks it;
// empty when cancelled.
QString ShowSaveDialog(QWidget *owner, Dialogs &dialogs);
// Writes every line, each ended by CR LF, replacing an existing file only after
// the user's Yes and only once the new text is wholly written. Every failure but
// a cancel is explained in a message box.
int32_t SaveLogToFile(const QString &path, const QStringList &lines, Dialogs &dialogs);

}  // namespace kestrom::output
