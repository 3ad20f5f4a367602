#include "app/autostart.h"

#include <cwchar>

#include <windows.h>

#include "diag/folders.h"
#include "diag/log.h"
#include "diag/scoped_win.h"

namespace {

constexpr DWORD kValueBufferBytes = 2048;

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
