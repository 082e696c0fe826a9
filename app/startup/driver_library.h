// Finding the driver library: beside the program, else in the system library
// folder where the chip maker's driver installs. Nothing is copied anywhere.
#pragma once

#include <QString>
#include <filesystem>
#include <optional>

namespace kestrom::startup {

// Nothing when the program can go on: the program folder has the driver (anything
// of that name, a folder included: the libraries beside it load it themselves),
// or the system folder's copy is now loaded for the rest of the run, where
// libromgate and the program's own calls find it. Otherwise why not, naming the
// file and the folders it was looked for in.
std::optional<QString> findDriver(const std::filesystem::path &programFolder,
                                  const std::filesystem::path &systemFolder);

}  // namespace kestrom::startup
