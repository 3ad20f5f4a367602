#include "app/autostart.h"

#include <cwchar>

#include <windows.h>

#include "diag/folders.h"
#include "diag/log.h"
#include "diag/scoped_win.h"

namespace {

constexpr DWORD kValueBufferBytes = 2048;

// The long form of an existing path ("C:\\Users\\ABCDEF~1" becomes the
// user's name); the path as given when it cannot be had.
std::wstring longPath(const std::wstring& path) {
    const DWORD length = GetLongPathNameW(path.c_str(), nullptr, 0);
    if (length == 0) return path;
    std::wstring result(length, L'\0');
    const DWORD written = GetLongPathNameW(path.c_str(), result.data(), length);
    if (written == 0 || written >= length) return path;
    result.resize(written);
    return result;
}

}  // namespace

std::wstring autostartCommand() {
    const std::wstring exe = exePath();
    return exe.empty() ? std::wstring() : L"\"" + exe + L"\"";
}

bool isAutostartEnabled() {
    HKEY raw = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kRunKey, 0, KEY_QUERY_VALUE, &raw) != ERROR_SUCCESS) return false;
    const UniqueRegistryKey key(raw);
    // Zeroed and one character short of full, so the data always ends in a zero.
    wchar_t data[kValueBufferBytes / sizeof(wchar_t) + 1] = {};
    DWORD type = 0, size = kValueBufferBytes;
    if (RegQueryValueExW(key.get(), kRunValueName, nullptr, &type, reinterpret_cast<BYTE*>(data), &size) !=
            ERROR_SUCCESS ||
        type != REG_SZ)
        return false;
    const std::wstring command = autostartCommand();
    return !command.empty() && _wcsicmp(data, command.c_str()) == 0;
}

bool setAutostart(bool enable) {
    HKEY raw = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, kRunKey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE, nullptr, &raw,
                        nullptr) != ERROR_SUCCESS) {
        logLine(L"XATO: Run kaliti ochilmadi");
        return false;
    }
    LSTATUS status;
    {
        const UniqueRegistryKey key(raw);
        if (enable) {
            const std::wstring command = autostartCommand();
            const auto bytes = static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t));
            status = RegSetValueExW(key.get(), kRunValueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                                    bytes);
        } else {
            status = RegDeleteValueW(key.get(), kRunValueName);
            if (status == ERROR_FILE_NOT_FOUND) status = ERROR_SUCCESS;  // nothing to remove
        }
    }
    if (status != ERROR_SUCCESS) {
        logLine(L"XATO: avtostart o'zgartirilmadi, kod " + std::to_wstring(static_cast<long>(status)));
        return false;
    }
    logLine(enable ? L"avtostart yoqildi" : L"avtostart o'chirildi");
    return true;
}

bool isInsideFolder(const std::wstring& path, const std::wstring& folder) {
    const std::wstring longFolder = longPath(folder);
    const std::wstring longFile = longPath(path);
    std::size_t length = longFolder.size();
    while (length > 0 && (longFolder[length - 1] == L'\\' || longFolder[length - 1] == L'/')) --length;
    if (length == 0 || longFile.size() <= length || (longFile[length] != L'\\' && longFile[length] != L'/')) return false;
    return CompareStringOrdinal(longFile.c_str(), static_cast<int>(length), longFolder.c_str(), static_cast<int>(length),
                                TRUE) == CSTR_EQUAL;
}

bool runsFromTemporaryFolder() {
    wchar_t temp[MAX_PATH + 1] = {};
    const DWORD length = GetTempPathW(MAX_PATH + 1, temp);
    return length > 0 && length <= MAX_PATH && isInsideFolder(exePath(), temp);
}
