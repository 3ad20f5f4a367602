#include "model/model_import.h"

#include <fstream>
#include <vector>

#include "model/checkpoint_convert.h"
#include "model/model_info.h"

namespace fs = std::filesystem;

namespace {

ConvertOutcome copyModelFile(const std::string& chosen, const std::string& target, const ConvertProgress& progress) {
    const ModelDescription model = describeModelFile(chosen);
    if (!model.error.empty()) return {kConvertBadInput, model.error};
    std::error_code same;
    if (fs::equivalent(pathOf(chosen), pathOf(target), same)) return {};
    std::ifstream in(pathOf(chosen), std::ios::binary);
    PartFile part(pathOf(target));
    std::ofstream out(part.path(), std::ios::binary | std::ios::trunc);
    if (!out) return {kConvertCannotWrite, utf8Of(part.path()) + ": cannot be created"};
    std::vector<char> buffer(8 << 20);
    std::uint64_t done = 0;
    while (in) {
        in.read(buffer.data(), static_cast<std::streamsize>(buffer.size()));
        out.write(buffer.data(), in.gcount());
        if (!out) return {kConvertCannotWrite, utf8Of(part.path()) + ": write failed"};
        done += static_cast<std::uint64_t>(in.gcount());
        const double share = model.fileBytes > 0 ? static_cast<double>(done) / static_cast<double>(model.fileBytes) : 1.0;
        if (progress && !progress(share)) return {kConvertStopped, "stopped"};
    }
    if (!in.eof() || done != model.fileBytes) return {kConvertBadInput, chosen + ": cannot be read"};
    out.close();
    if (out.fail()) return {kConvertCannotWrite, utf8Of(part.path()) + ": write failed"};
    return part.publish(chosen);
}

}  // namespace

ModelSource modelSourceOf(const fs::path& chosen) {
    std::error_code ignored;
    if (fs::is_directory(chosen, ignored) || chosen.filename() == "config.json") return ModelSource::CheckpointFolder;
    return ModelSource::WhisperFile;
}

ConvertOutcome importModel(const std::string& chosen, const std::string& target, const ConvertProgress& progress) {
    const fs::path path = pathOf(chosen);
    if (modelSourceOf(path) == ModelSource::WhisperFile) return copyModelFile(chosen, target, progress);
    const fs::path folder = path.filename() == "config.json" ? path.parent_path() : path;
    return convertCheckpoint(utf8Of(folder), target, WeightType::Q8_0, progress);
}
