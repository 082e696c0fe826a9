// What the main window keeps between runs, under the same value names as ever:
// "x" (the top edge), "y" (the left edge), "text_info", "binary_info", "Height".
// Positions and height are in twips; the report options 0 clear, 1 checked, 2 greyed.
#pragma once

#include <optional>

#include "settings_key.h"

namespace kestrom::mainwindow {

using platform::kSettingsApplication;
using platform::kSettingsOrganization;

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
