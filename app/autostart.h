#pragma once
// Starting with Windows through the current user's Run key: the value
// "Vornika" holding this executable's quoted path. No administrator rights.

#include <string>

inline constexpr wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr wchar_t kRunValueName[] = L"Vornika";

// The executable's path in double quotes; "" when it is unknown.
std::wstring autostartCommand();
// The Run value exists, is REG_SZ and names this executable (letter case aside).
bool isAutostartEnabled();
// Writes or removes the Run value; failures are logged, never shown.
bool setAutostart(bool enable);

// The path lies inside the folder (letter case and short 8.3 names aside).
bool isInsideFolder(const std::wstring& path, const std::wstring& folder);
// This executable runs from the user's temporary folder, as a program
// started from inside a zip opened in Explorer does: an autostart entry
// would point at a copy Windows deletes.
bool runsFromTemporaryFolder();
