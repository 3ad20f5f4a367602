#include "diag/folders.h"

std::wstring parentOf(const std::wstring& path) {
    const std::size_t separator = path.find_last_of(kPathSeparator);
    return separator == std::wstring::npos ? path : path.substr(0, separator);
}

std::wstring exeDirectory() { return parentOf(exePath()); }
