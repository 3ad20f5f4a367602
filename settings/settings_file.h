#pragma once
// settings.ini in the roaming application folder: read once at start-up,
// written whole through a temporary file that then replaces it, so a crash
// or a full disk never leaves half a file.

#include <string>

#include "settings/settings.h"

// The roaming application folder + "settings.ini"; "" when there is no folder.
std::wstring settingsFilePath();

// Never fails: whatever goes wrong gives a usable record (the defaults).
Settings loadSettings();
// True when the new file is in place; settings.ini is untouched otherwise.
bool saveSettings(const Settings& settings);

// The same at a given path.
Settings loadSettingsFrom(const std::wstring& path);
bool saveSettingsTo(const std::wstring& path, const Settings& settings);
