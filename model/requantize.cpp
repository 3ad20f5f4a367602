#include "model/requantize.h"

#include <cstdint>
#include <fstream>
#include <map>

#include <ggml.h>

#include "engine/model_file_check.h"
#include "engine/model_layout.h"
#include "model/whisper_file_writer.h"

namespace fs = std::filesystem;

namespace {

// Reads a file the model-file check has passed: its structure is sound, so
// a short read here means the file changed under us.
class SourceReader {
public:
    explicit SourceReader(const fs::path& path) : in_(path, std::ios::binary) {}
    bool ok() const { return !in_.fail(); }
    std::int32_t i32() {
        std::int32_t value = 0;
        in_.read(reinterpret_cast<char*>(&value), 4);
        return value;
    }
    void raw(void* data, std::size_t bytes) { in_.read(static_cast<char*>(data), static_cast<std::streamsize>(bytes)); }
    bool atEnd() { return in_.peek() == std::char_traits<char>::eof(); }
    std::int64_t position() { return static_cast<std::int64_t>(in_.tellg()); }

private:
    std::ifstream in_;
};

}  // namespace

ConvertOutcome requantizeModelFile(const std::string& input, const std::string& output, WeightType type,
                                   const ConvertProgress& progress) {
    const fs::path source = pathOf(input);
    std::error_code sized;
    const std::uintmax_t total = fs::file_size(source, sized);
    if (sized) return {kConvertBadInput, input + ": cannot be read"};
    if (const std::string problem = checkModelFile(input.c_str()); !problem.empty())
        return {kConvertBadInput, input + ": " + problem};
    SourceReader in(source);
    if (!in.ok() || in.i32() != static_cast<std::int32_t>(kModelMagic))
        return {kConvertBadInput, input + ": not a whisper model file"};
    ModelHeader h;
    for (std::int32_t* field : {&h.nVocab, &h.nAudioCtx, &h.nAudioState, &h.nAudioHead, &h.nAudioLayer,
                                &h.nTextCtx, &h.nTextState, &h.nTextHead, &h.nTextLayer, &h.nMels, &h.ftype})
        *field = in.i32();
    const std::int32_t fileType = h.ftype % kQuantVersionFactor;
    if (fileType != GGML_FTYPE_MOSTLY_F16 && fileType != GGML_FTYPE_ALL_F32)
        return {kConvertBadInput, input + ": already quantized (only F16 and F32 files are read)"};
    const std::int32_t mels = in.i32(), bins = in.i32();
    std::vector<float> mel(static_cast<std::size_t>(mels) * bins);
    in.raw(mel.data(), mel.size() * 4);
    std::vector<std::string> vocabulary(static_cast<std::size_t>(in.i32()));
    for (std::string& token : vocabulary) {
        token.resize(static_cast<std::size_t>(in.i32()));
        in.raw(token.data(), token.size());
    }

    std::map<std::string, TensorLayout> layouts;
    for (TensorLayout& layout : modelTensors(h)) layouts.emplace(layout.name, std::move(layout));
    PartFile part(pathOf(output));
    WhisperFileWriter out(part.path(), type);
    if (!out.ok()) return {kConvertCannotWrite, utf8Of(part.path()) + ": cannot be created"};
    out.writePreamble(h, mel, vocabulary);
    std::vector<float> values;
    std::vector<ggml_fp16_t> halves;
    while (in.ok() && !in.atEnd()) {
        const std::int32_t dims = in.i32(), nameLength = in.i32(), stored = in.i32();
        for (std::int32_t d = 0; d < dims; ++d) (void)in.i32();
        std::string name(static_cast<std::size_t>(nameLength), '\0');
        in.raw(name.data(), name.size());
        const auto found = layouts.find(name);
        if (!in.ok() || found == layouts.end()) return {kConvertBadInput, input + ": changed while it was read"};
        const TensorLayout& layout = found->second;
        values.resize(static_cast<std::size_t>(elementCount(layout)));
        if (stored == GGML_TYPE_F32) {
            in.raw(values.data(), values.size() * 4);
        } else if (stored == GGML_TYPE_F16) {
            halves.resize(values.size());
            in.raw(halves.data(), halves.size() * 2);
            ggml_fp16_to_fp32_row(halves.data(), values.data(), static_cast<std::int64_t>(values.size()));
        } else {
            return {kConvertBadInput, input + ": tensor " + name + " is already quantized"};
        }
        out.writeTensor(layout, values);
        if (!out.ok()) return {kConvertCannotWrite, utf8Of(part.path()) + ": write failed"};
        if (progress && !progress(static_cast<double>(in.position()) / static_cast<double>(total)))
            return {kConvertStopped, "stopped"};
    }
    if (!in.ok()) return {kConvertBadInput, input + ": changed while it was read"};
    if (!out.close()) return {kConvertCannotWrite, utf8Of(part.path()) + ": write failed"};
    return part.publish(input);
}
