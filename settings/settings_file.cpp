#include "settings/settings_file.h"

#include "diag/encoding.h"
#include "diag/folders.h"
#include "settings/settings_io.h"
#include "settings/settings_text.h"

std::wstring settingsFilePath() {
    const std::wstring folder = roamingAppFolder();
    return folder.empty() ? std::wstring() : folder + kPathSeparator + L"settings.ini";
}

Settings loadSettingsFrom(const std::wstring& path) {
    if (path.empty() || !fileExists(path)) return defaultSettings();
    const std::optional<std::string> bytes = readSharedFile(path);
    if (!bytes) return defaultSettings();
    return parseSettingsText(fromUtf8(*bytes));
}

bool saveSettingsTo(const std::wstring& path, const Settings& settings) {
    if (path.empty()) return false;
    return replaceFile(path, toUtf8(composeSettingsText(settings)));
}

Settings loadSettings() { return loadSettingsFrom(settingsFilePath()); }

bool saveSettings(const Settings& settings) { return saveSettingsTo(settingsFilePath(), settings); }
