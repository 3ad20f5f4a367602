#pragma once
// A private folder for one test, removed with everything in it afterwards,
// and the conversions between wide program paths and std::filesystem paths
// (UTF-8 bytes in the native build, UTF-16 on Windows).

#include <cstdint>
#include <filesystem>
#include <string>

std::wstring widePath(const std::filesystem::path& path);
std::filesystem::path fsPath(const std::wstring& path);

class TempFolder {
public:
    TempFolder();  // in the system's temporary folder
    explicit TempFolder(const std::filesystem::path& base);
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::wstring& path() const { return root; }
    // root + separator + relative (relative may contain separators).
    std::wstring operator/(const std::wstring& relative) const;

private:
    std::wstring root;
};

// Creates the parents as needed; false on failure.
bool writeFile(const std::wstring& path, const std::string& bytes);
std::string readFile(const std::wstring& path);
bool writeFileOfSize(const std::wstring& path, std::uint64_t size, char fill);
