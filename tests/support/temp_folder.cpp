#include "tests/support/temp_folder.h"

#include <atomic>
#include <chrono>
#include <fstream>
#include <iterator>
#include <system_error>

#include "diag/encoding.h"
#include "diag/folders.h"

namespace fs = std::filesystem;

#ifdef _WIN32
std::wstring widePath(const fs::path& path) { return path.wstring(); }
fs::path fsPath(const std::wstring& path) { return fs::path(path); }
#else
std::wstring widePath(const fs::path& path) { return fromUtf8(path.string()); }
fs::path fsPath(const std::wstring& path) { return fs::path(toUtf8(path)); }
#endif

TempFolder::TempFolder() : TempFolder(fs::temp_directory_path()) {}

TempFolder::TempFolder(const fs::path& base) {
    static std::atomic<int> counter{0};
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    const fs::path folder = base / ("vornika-test-" + std::to_string(stamp) + "-" + std::to_string(counter++));
    fs::create_directories(folder);
    root = widePath(folder);
}

TempFolder::~TempFolder() {
    std::error_code ignored;
    fs::remove_all(fsPath(root), ignored);
}

std::wstring TempFolder::operator/(const std::wstring& relative) const { return root + kPathSeparator + relative; }

bool writeFile(const std::wstring& path, const std::string& bytes) {
    const fs::path target = fsPath(path);
    std::error_code ignored;
    fs::create_directories(target.parent_path(), ignored);
    std::ofstream out(target, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

std::string readFile(const std::wstring& path) {
    std::ifstream in(fsPath(path), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool writeFileOfSize(const std::wstring& path, std::uint64_t size, char fill) {
    return writeFile(path, std::string(static_cast<std::size_t>(size), fill));
}
