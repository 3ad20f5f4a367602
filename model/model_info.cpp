#include "model/model_info.h"

#include <array>
#include <filesystem>
#include <fstream>

#include <ggml.h>

#include "engine/model_file_check.h"
#include "model/model_output.h"

namespace {

struct SizeClass {
    const char* name;
    std::int32_t state;
    std::int32_t heads;
    std::int32_t audioLayers;
    std::int32_t textLayers;
};

// large-v3-turbo keeps large's encoder and four decoder layers.
constexpr std::array<SizeClass, 6> kSizeClasses{{
    {"tiny", 384, 6, 4, 4},
    {"base", 512, 8, 6, 6},
    {"small", 768, 12, 12, 12},
    {"medium", 1024, 16, 24, 24},
    {"large", 1280, 20, 32, 32},
    {"large", 1280, 20, 32, 4},
}};

struct FtypeName {
    ggml_ftype ftype;
    const char* name;
};

constexpr std::array<FtypeName, 8> kFtypeNames{{
    {GGML_FTYPE_ALL_F32, "f32"},
    {GGML_FTYPE_MOSTLY_F16, "f16"},
    {GGML_FTYPE_MOSTLY_BF16, "bf16"},
    {GGML_FTYPE_MOSTLY_Q8_0, "q8_0"},
    {GGML_FTYPE_MOSTLY_Q5_0, "q5_0"},
    {GGML_FTYPE_MOSTLY_Q5_1, "q5_1"},
    {GGML_FTYPE_MOSTLY_Q4_0, "q4_0"},
    {GGML_FTYPE_MOSTLY_Q4_1, "q4_1"},
}};

}  // namespace

ModelDescription describeModelFile(const std::string& path) {
    ModelDescription model;
    const std::filesystem::path file = pathOf(path);
    std::error_code failed;
    model.fileBytes = std::filesystem::file_size(file, failed);
    std::ifstream in(file, std::ios::binary);
    std::int32_t fields[12] = {};
    if (failed || !in.read(reinterpret_cast<char*>(fields), sizeof fields) ||
        static_cast<std::uint32_t>(fields[0]) != kModelMagic) {
        model.error = path + ": not a whisper model file";
        return model;
    }
    if (const std::string problem = checkModelFile(path.c_str()); !problem.empty()) {
        model.error = path + ": " + problem;
        return model;
    }
    ModelHeader& h = model.header;
    std::int32_t* header[] = {&h.nVocab,    &h.nAudioCtx, &h.nAudioState, &h.nAudioHead,
                              &h.nAudioLayer, &h.nTextCtx, &h.nTextState, &h.nTextHead,
                              &h.nTextLayer, &h.nMels,    &h.ftype};
    for (std::size_t i = 0; i < std::size(header); ++i) *header[i] = fields[i + 1];
    return model;
}

const char* sizeClassOf(const ModelHeader& h) {
    for (const SizeClass& size : kSizeClasses) {
        if (h.nAudioState == size.state && h.nAudioHead == size.heads && h.nAudioLayer == size.audioLayers &&
            h.nTextLayer == size.textLayers && h.nAudioCtx == 1500)
            return size.name;
    }
    return "custom";
}

std::string weightTypeOfFile(std::int32_t ftype) {
    for (const FtypeName& entry : kFtypeNames)
        if (entry.ftype == ftype % kQuantVersionFactor) return entry.name;
    return "unknown";
}

bool isMultilingual(const ModelHeader& h) { return h.nVocab >= 51865; }

std::uint64_t expectedMemoryBytes(const ModelHeader& h, std::uint64_t fileBytes) {
    const std::uint64_t state = static_cast<std::uint64_t>(h.nTextState);
    // Keys and values in F16: the decoder's own over the text context, and
    // the cross-attention's over the audio context.
    const std::uint64_t selfCache = 2ull * 2 * h.nTextLayer * h.nTextCtx * state;
    const std::uint64_t crossCache = 2ull * 2 * h.nTextLayer * h.nAudioCtx * state;
    // Work buffers: the encoder's activations (a few rows of the audio
    // context per state unit, attention done in tiles) and the decoder's
    // logits over the vocabulary for a full prompt.
    const std::uint64_t encoder = 4ull * 12 * h.nAudioCtx * state + 4ull * h.nMels * 2 * h.nAudioCtx * 2;
    const std::uint64_t decoder = 4ull * h.nVocab * 64 + 4ull * 16 * h.nTextCtx * state;
    return fileBytes + selfCache + crossCache + encoder + decoder;
}

std::vector<std::pair<std::string, std::string>> modelInfoLines(const ModelDescription& model) {
    const ModelHeader& h = model.header;
    return {
        {"size", sizeClassOf(h)},
        {"type", weightTypeOfFile(h.ftype)},
        {"layers", std::to_string(h.nAudioLayer) + "+" + std::to_string(h.nTextLayer)},
        {"mel_bins", std::to_string(h.nMels)},
        {"vocabulary", std::to_string(h.nVocab)},
        {"multilingual", isMultilingual(h) ? "yes" : "no"},
        {"file_bytes", std::to_string(model.fileBytes)},
        {"memory_bytes", std::to_string(expectedMemoryBytes(h, model.fileBytes))},
    };
}
