#pragma once
// How the model tools finish a file: never a partial output. The result is
// written beside the target under "<target>.part", checked the way the
// program checks a model before loading it, and only then renamed over the
// target; on any failure or stop the part file is removed and an existing
// target is left as it was.

#include <filesystem>
#include <functional>
#include <string>

inline constexpr int kConvertBadInput = 2;
inline constexpr int kConvertCannotWrite = 3;
inline constexpr int kConvertStopped = 130;  // as a shell reports Ctrl+C

struct ConvertOutcome {
    int exitCode = 0;   // 0, kConvertBadInput, kConvertCannotWrite or kConvertStopped
    std::string error;  // English, naming the file and what is wrong
};

// Hears the share of the work done (0 to 1) after each tensor; false stops
// the work, which then ends with kConvertStopped.
using ConvertProgress = std::function<bool(double)>;

// A path as UTF-8 text, for messages; and UTF-8 text as a path (wide on Windows).
std::string utf8Of(const std::filesystem::path& path);
std::filesystem::path pathOf(const std::string& utf8);

class PartFile {
public:
    explicit PartFile(const std::filesystem::path& target);
    ~PartFile();
    PartFile(const PartFile&) = delete;
    PartFile& operator=(const PartFile&) = delete;

    const std::filesystem::path& path() const { return part_; }
    // Checks the part file and renames it over the target. A file failing
    // the check is blamed on `source` (bad input).
    ConvertOutcome publish(const std::string& source);

private:
    std::filesystem::path target_;
    std::filesystem::path part_;
    bool published_ = false;
};
