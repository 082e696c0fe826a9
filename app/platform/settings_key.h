// Where the program keeps its settings: an INI file Pelmora/Vantorel.conf in the
// user's configuration folder, the registry key of the same name on Windows.
#pragma once

namespace kestrom::platform {

inline constexpr const char *kSettingsOrganization = "Pelmora";
inline constexpr const char *kSettingsApplication = "Vantorel";

}  // namespace kestrom::platform
