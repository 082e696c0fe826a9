// Whether a file can be written in a folder, told as the user should hear it.
#pragma once

#include <QString>

namespace kestrom::cli {

// Writes a small file in `folder`, syncs it and removes it again: empty when that
// worked, else why not ("the disk is full", "Permission denied", ...).
QString folderWriteProblem(const QString &folder);

// The reason a file operation failed with `error` (an errno value), in words.
QString fileErrorText(int error);

}  // namespace kestrom::cli
