#include "settings/settings_io.h"

#include <algorithm>

#include <windows.h>

#include "diag/scoped_win.h"

namespace {

bool writeAll(HANDLE file, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 30));
        DWORD written = 0;
        if (!WriteFile(file, bytes.data() + done, chunk, &written, nullptr) || written == 0) return false;
        done += written;
    }
    return true;
}

}  // namespace

std::optional<std::string> readSharedFile(const std::wstring& path) {
    const UniqueHandle file = ownHandle(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                                     nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return std::nullopt;
    std::string bytes;
    char buffer[64 * 1024];
    for (;;) {
        DWORD read = 0;
        if (!ReadFile(file.get(), buffer, sizeof buffer, &read, nullptr)) return std::nullopt;
        if (read == 0) return bytes;
        bytes.append(buffer, read);
    }
}

bool replaceFile(const std::wstring& path, const std::string& bytes) {
    const std::wstring temporary = path + L".tmp";
    {
        const UniqueHandle file = ownHandle(
            CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file || !writeAll(file.get(), bytes)) return false;
    }
    // Windows refuses to replace a read-only file; Wine does not, so the
    // refusal is made here too: whoever marked the file read-only keeps it.
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) return false;
    return MoveFileExW(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
}
