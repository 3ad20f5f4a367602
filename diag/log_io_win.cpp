#include "diag/log_io.h"

#include <windows.h>

#include "diag/scoped_win.h"

LocalTime localTimeNow() {
    SYSTEMTIME now;
    GetLocalTime(&now);
    return {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
}

void writeDebugOutput(const std::wstring& text) { OutputDebugStringW(text.c_str()); }

bool appendToFile(const std::wstring& path, const std::string& bytes) {
    // Opened and closed for every line, shared, so other programs may read,
    // rotate or delete the log while the program runs.
    const UniqueHandle file = ownHandle(CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                                    nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    DWORD written = 0;
    return WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
}

std::optional<std::uint64_t> fileSize(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return std::nullopt;
    return (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

void deleteFile(const std::wstring& path) { DeleteFileW(path.c_str()); }

void renameFile(const std::wstring& from, const std::wstring& to) { MoveFileW(from.c_str(), to.c_str()); }
