#include "diag/folders.h"

#include <cerrno>
#include <cstdlib>
#include <string>

#include <sys/stat.h>
#include <unistd.h>

#include "diag/encoding.h"

namespace {

constexpr std::size_t kLongestModulePath = 1 << 16;

// $VARIABLE, or $HOME/fallback when it is unset or relative (as XDG asks).
std::wstring xdgFolder(const char* variable, const char* fallback) {
    if (const char* value = std::getenv(variable); value != nullptr && value[0] == '/') return fromUtf8(value);
    const char* home = std::getenv("HOME");
    if (home == nullptr || home[0] == '\0') return {};
    return fromUtf8(std::string(home) + "/" + fallback);
}

std::wstring appFolderUnder(const std::wstring& base) {
    if (base.empty()) return {};
    std::wstring path = base + kPathSeparator + kAppFolderName;
    ensureDirectory(path);
    return path;
}

}  // namespace

// Settings roam with the user's configuration, the log and models stay with the data.
std::wstring roamingAppFolder() { return appFolderUnder(xdgFolder("XDG_CONFIG_HOME", ".config")); }
std::wstring localAppFolder() { return appFolderUnder(xdgFolder("XDG_DATA_HOME", ".local/share")); }

bool ensureDirectory(const std::wstring& path) {
    if (path.empty()) return false;
    const std::string bytes = toUtf8(path);
    struct stat info {};
    if (stat(bytes.c_str(), &info) == 0) return S_ISDIR(info.st_mode);
    const std::size_t separator = path.find_last_of(kPathSeparator);
    if (separator != std::wstring::npos && separator > 0) ensureDirectory(path.substr(0, separator));
    if (mkdir(bytes.c_str(), 0777) == 0) return true;
    return errno == EEXIST;
}

std::wstring exePath() {
    std::string buffer(260, '\0');
    while (buffer.size() <= kLongestModulePath) {
        const ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (length <= 0) return {};
        if (static_cast<std::size_t>(length) < buffer.size()) {
            buffer.resize(static_cast<std::size_t>(length));
            return fromUtf8(buffer);
        }
        buffer.resize(buffer.size() * 2);  // the name was cut
    }
    return {};
}

bool fileExists(const std::wstring& path) {
    struct stat info {};
    return !path.empty() && stat(toUtf8(path).c_str(), &info) == 0 && !S_ISDIR(info.st_mode);
}
