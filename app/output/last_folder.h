// "sCesta": the folder of the last saved log, kept with the program's settings.
#pragma once

#include <QString>

namespace kestrom::output {

// Where the Save dialog opens: "sCesta"; the home folder when no settings exist
// yet; empty (the dialog's own choice) when settings exist without "sCesta".
QString saveDialogFolder();
// Stores the folder of `path`, with its trailing separator.
void rememberFolderOf(const QString &path);

}  // namespace kestrom::output
