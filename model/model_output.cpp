#include "model/model_output.h"

#include "engine/model_file_check.h"

namespace fs = std::filesystem;

std::string utf8Of(const fs::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

fs::path pathOf(const std::string& utf8) { return fs::path(std::u8string(utf8.begin(), utf8.end())); }

PartFile::PartFile(const fs::path& target)
    : target_(target), part_(target.parent_path() / pathOf(utf8Of(target.filename()) + ".part")) {}

PartFile::~PartFile() {
    std::error_code ignored;
    if (!published_) fs::remove(part_, ignored);
}

ConvertOutcome PartFile::publish(const std::string& source) {
    if (const std::string problem = checkModelFile(utf8Of(part_).c_str()); !problem.empty())
        return {kConvertBadInput, source + ": the written model fails its check: " + problem};
    std::error_code renamed;
    fs::rename(part_, target_, renamed);
    if (renamed) return {kConvertCannotWrite, utf8Of(target_) + ": " + renamed.message()};
    published_ = true;
    return {};
}
