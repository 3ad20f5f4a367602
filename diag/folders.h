#pragma once
// Where the program keeps its files: the application folder under the
// user's roaming and local application-data folders, and the folder of the
// running executable. Empty strings stand for "not available".

#include <string>

#ifdef _WIN32
inline constexpr wchar_t kPathSeparator = L'\\';
#else
inline constexpr wchar_t kPathSeparator = L'/';
#endif

inline constexpr wchar_t kAppFolderName[] = L"Vornika";

// Both create the folder when it is missing.
std::wstring roamingAppFolder();
std::wstring localAppFolder();

// True when the path is (now) an existing directory; creates missing parents.
bool ensureDirectory(const std::wstring& path);

std::wstring exePath();
std::wstring exeDirectory();

// The path exists and is not a directory.
bool fileExists(const std::wstring& path);

// The part before the last separator, or the whole path when there is none.
std::wstring parentOf(const std::wstring& path);
