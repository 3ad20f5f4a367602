#include "model/quantize.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <vector>

#include <common-ggml.h>
#include <ggml.h>

#include "engine/model_layout.h"

namespace {

struct TypeName {
    WeightType type;
    const char* name;
    ggml_ftype ftype;
};

constexpr std::array<TypeName, 3> kTypes{{
    {WeightType::F16, "f16", GGML_FTYPE_MOSTLY_F16},
    {WeightType::Q8_0, "q8_0", GGML_FTYPE_MOSTLY_Q8_0},
    {WeightType::Q5_0, "q5_0", GGML_FTYPE_MOSTLY_Q5_0},
}};

const TypeName& entryOf(WeightType type) {
    for (const TypeName& t : kTypes)
        if (t.type == type) return t;
    return kTypes[0];
}

// Copies `count` bytes, or fails.
bool copyBytes(std::ifstream& in, std::ofstream& out, std::int64_t count) {
    std::vector<char> buffer(64 * 1024);
    while (count > 0) {
        const auto n = static_cast<std::streamsize>(std::min<std::int64_t>(count, buffer.size()));
        if (!in.read(buffer.data(), n)) return false;
        out.write(buffer.data(), n);
        count -= n;
    }
    return static_cast<bool>(out);
}

bool copyInt(std::ifstream& in, std::ofstream& out, std::int32_t& value) {
    if (!in.read(reinterpret_cast<char*>(&value), sizeof value)) return false;
    out.write(reinterpret_cast<const char*>(&value), sizeof value);
    return static_cast<bool>(out);
}

// Everything before the tensors: magic, header (with the new ftype), mel
// filters and vocabulary.
std::string copyPreamble(std::ifstream& in, std::ofstream& out, ggml_ftype ftype) {
    std::int32_t magic = 0;
    if (!copyInt(in, out, magic) || static_cast<std::uint32_t>(magic) != kModelMagic) return "not a whisper model file";
    std::int32_t header[11] = {};
    if (!in.read(reinterpret_cast<char*>(header), sizeof header)) return "header truncated";
    const std::int32_t sourceType = header[10] % GGML_QNT_VERSION_FACTOR;
    if (sourceType != GGML_FTYPE_ALL_F32 && sourceType != GGML_FTYPE_MOSTLY_F16)
        return "the source must be an F16 or F32 model";
    header[10] = GGML_QNT_VERSION * GGML_QNT_VERSION_FACTOR + ftype;
    out.write(reinterpret_cast<const char*>(header), sizeof header);

    std::int32_t mels = 0, fftBins = 0;
    if (!copyInt(in, out, mels) || !copyInt(in, out, fftBins) || mels < 0 || fftBins < 0 ||
        !copyBytes(in, out, std::int64_t(mels) * fftBins * 4))
        return "mel filters truncated";
    std::int32_t tokens = 0;
    if (!copyInt(in, out, tokens) || tokens < 0) return "vocabulary truncated";
    for (std::int32_t i = 0; i < tokens; ++i) {
        std::int32_t length = 0;
        if (!copyInt(in, out, length) || length < 0 || !copyBytes(in, out, length)) return "vocabulary truncated";
    }
    return {};
}

}  // namespace

bool parseWeightType(std::string_view name, WeightType& type) {
    for (const TypeName& t : kTypes) {
        if (name == t.name) {
            type = t.type;
            return true;
        }
    }
    return false;
}

const char* weightTypeName(WeightType type) { return entryOf(type).name; }

std::string quantizeModelFile(const std::string& input, const std::string& output, WeightType type) {
    if (type == WeightType::F16) return "f16 is not a quantized type";
    std::ifstream in(input, std::ios::binary);
    if (!in) return "cannot read " + input;
    std::string problem;
    {
        std::ofstream out(output, std::ios::binary | std::ios::trunc);
        if (!out) return "cannot create " + output;
        const ggml_ftype ftype = entryOf(type).ftype;
        problem = copyPreamble(in, out, ftype);
        if (problem.empty()) {
            // The library's tables are set up by its first context.
            ggml_free(ggml_init({0, nullptr, false}));
            // As the library's own tool: positional embeddings and conv biases
            // stay as they are; it quantizes only 2-D tensors.
            const std::vector<std::string> skip{"encoder.conv1.bias", "encoder.conv2.bias",
                                                "encoder.positional_embedding", "decoder.positional_embedding"};
            if (!ggml_common_quantize_0(in, out, ftype, {".*"}, skip)) problem = "the library's quantizer failed";
        }
        out.flush();
        if (problem.empty() && !out) problem = "write failed: " + output;
    }
    if (!problem.empty()) std::remove(output.c_str());
    return problem;
}
