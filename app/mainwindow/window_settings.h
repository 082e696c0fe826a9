// What the main window keeps between runs, under the same value names as ever:
// "x" (the top edge), "y" (the left edge), "text_info", "binary_info", "Height".
// Positions and height are in twips; the report options 0 clear, 1 checked, 2 greyed.
#pragma once

#include <optional>

namespace kestrom::mainwindow {

// The store: an INI file Pelmora/Vantorel.conf in the user's configuration folder,
// the registry key of the same name on Windows.
inline constexpr const char *kSettingsOrganization = "Pelmora";
inline constexpr const char *kSettingsApplication = "Vantorel";

struct WindowSettings {
    int top = 0;
    int left = 0;
    int textInfo = 0;
    int binaryInfo = 0;
    int height = 0;
};

// Nothing on a first run (no settings stored); a missing value takes its default,
// "binary_info" that of "text_info".
std::optional<WindowSettings> loadWindowSettings();
void saveWindowSettings(const WindowSettings &settings);

}  // namespace kestrom::mainwindow
