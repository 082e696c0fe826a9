// Putting the driver library and libromgate where the program loads them from.
#pragma once

#include <filesystem>

namespace kestrom::startup {

// True when anything of that name is there, a folder included.
bool present(const std::filesystem::path &file);

// Copies `from` to `to`, replacing `to` only once the copy is complete, so a
// program that has the old file loaded keeps an intact one. False when it fails.
bool copyReplacing(const std::filesystem::path &from, const std::filesystem::path &to);

// The driver library in the program folder, copied from the system folder when
// missing; false when it is neither there nor copyable.
bool ensureDriver(const std::filesystem::path &programFolder, const std::filesystem::path &systemFolder);

// libromgate from the program folder over the system folder's copy, or, when the
// program folder lacks it, the other way round. Failures are silent.
void mirrorRomgate(const std::filesystem::path &programFolder, const std::filesystem::path &systemFolder);

}  // namespace kestrom::startup
