// The caption of every message box that has no title of its own.
#pragma once

namespace kestrom::platform {

inline constexpr const char *kApplicationTitle = "***  Kestrom  ***";

}  // namespace kestrom::platform
