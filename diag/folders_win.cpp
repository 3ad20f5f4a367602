#include "diag/app_folder_win.h"
#include "diag/folders.h"
#include "diag/scoped_win.h"

#include <memory>

namespace {

// Paths longer than this exist (\\?\ and long-path aware systems); the
// doubling stops well past the 32767-character limit of Windows paths.
constexpr std::size_t kLongestModulePath = 1 << 16;

}  // namespace

std::wstring appFolder(const KNOWNFOLDERID& folder) {
    CoTaskMemPtr<wchar_t> owned;
    // Released in every case: the call may hand back memory even when it fails.
    const HRESULT result = SHGetKnownFolderPath(folder, 0, nullptr, owned.put());
    if (FAILED(result)) return {};
    std::wstring path = owned.get() != nullptr ? owned.get() : L"";
    if (path.empty()) return {};
    path += L'\\';
    path += kAppFolderName;
    ensureDirectory(path);
    return path;
}

std::wstring roamingAppFolder() { return appFolder(FOLDERID_RoamingAppData); }
std::wstring localAppFolder() { return appFolder(FOLDERID_LocalAppData); }

bool ensureDirectory(const std::wstring& path) {
    if (path.empty()) return false;
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    const std::size_t separator = path.find_last_of(L'\\');
    // Index 2 is the backslash of a drive root such as C:\, which is never split off.
    if (separator != std::wstring::npos && separator > 2) ensureDirectory(path.substr(0, separator));
    if (CreateDirectoryW(path.c_str(), nullptr)) return true;
    return GetLastError() == ERROR_ALREADY_EXISTS;
}

std::wstring exePath() {
    std::wstring buffer(MAX_PATH, L'\0');
    while (buffer.size() <= kLongestModulePath) {
        const DWORD length = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) return {};
        if (length < buffer.size()) {
            buffer.resize(length);
            return buffer;
        }
        buffer.resize(buffer.size() * 2);  // the name was cut
    }
    return {};
}

bool fileExists(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}
