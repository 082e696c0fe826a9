// The folder of the running executable: where the program finds its libraries.
#pragma once

#include <filesystem>

namespace kestrom::platform {

// Empty when the system cannot tell.
std::filesystem::path programFolder();

}  // namespace kestrom::platform
