// File > Save Log: the log into a text file the user picks.
#pragma once

#include <QStringList>
#include <cstdint>

class QWidget;

namespace kestrom::output {

enum class SaveResult : int32_t {
    Saved = 0,
    CannotOpen = -1,     // cancelled, or the path can be neither created nor opened
    CannotReplace = -2,  // the user agreed to overwrite, but the new file could not be made
    Incomplete = -3,     // writing failed; any old file is intact
    Declined = -4        // the user kept the existing file
};

// The chosen path, ".txt" added under the text filter when the name lacks it;
// empty when cancelled.
QString ShowSaveDialog(QWidget *owner);
// Writes every line, each ended by CR LF, replacing an existing file only after
// the user's Yes and only once the new text is wholly written. Every failure but
// a cancel is explained in a message box.
SaveResult SaveLogToFile(const QString &path, const QStringList &lines);

}  // namespace kestrom::output
