#include "diag/encoding.h"

#include <climits>

#include <windows.h>

std::string toUtf8(const std::wstring& text) {
    if (text.empty() || text.size() > INT_MAX) return {};
    const int length = static_cast<int>(text.size());
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0) return {};
    std::string result(static_cast<std::size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), length, result.data(), bytes, nullptr, nullptr);
    return result;
}

std::wstring fromUtf8(const std::string& text) {
    if (text.empty() || text.size() > INT_MAX) return {};
    const int length = static_cast<int>(text.size());
    const int units = MultiByteToWideChar(CP_UTF8, 0, text.data(), length, nullptr, 0);
    if (units <= 0) return {};
    std::wstring result(static_cast<std::size_t>(units), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), length, result.data(), units);
    return result;
}

std::string toAsciiPath(const std::wstring& path) {
    if (path.empty()) return {};
    if (isAsciiText(path)) return toUtf8(path);
    const DWORD needed = GetShortPathNameW(path.c_str(), nullptr, 0);
    if (needed == 0) return {};
    std::wstring shortPath(needed, L'\0');
    const DWORD written = GetShortPathNameW(path.c_str(), shortPath.data(), needed);
    if (written == 0 || written >= needed) return {};
    shortPath.resize(written);
    // A volume without short names hands the long form back unchanged.
    return isAsciiText(shortPath) ? toUtf8(shortPath) : std::string();
}
