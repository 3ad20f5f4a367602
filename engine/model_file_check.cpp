#include "engine/model_file_check.h"

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include <ggml.h>

#include "engine/model_layout.h"

namespace {

// Whisper model vocabularies: English-only 51864, multilingual 51865, large-v3 51866.
// Other sizes make the loader look up language names that do not exist.
constexpr std::int32_t kMinVocab = 51864;
constexpr std::int32_t kMaxVocab = 51866;
constexpr std::int32_t kMaxNameLength = 256;
constexpr std::int32_t kMaxDims = 4;
// Below this the decoder's self-attention cache cannot hold the prompt.
constexpr std::int32_t kMinTextCtx = 16;

// Sequential reads with the position kept here: asking the stream for it
// costs a system call, and the vocabulary alone is 100 000 small reads.
class Reader {
public:
    // UTF-8 path: wide on Windows, so any folder name opens.
    explicit Reader(const char* path) : in_(std::filesystem::path(std::u8string(path, path + std::strlen(path))), std::ios::binary) {
        if (!in_) return;
        in_.seekg(0, std::ios::end);
        size_ = static_cast<std::int64_t>(in_.tellg());
        in_.seekg(0, std::ios::beg);
    }
    bool isOpen() const { return static_cast<bool>(in_) && size_ >= 0; }
    std::int64_t remaining() const { return size_ - position_; }

    bool readInt(std::int32_t& value) {
        unsigned char b[4];
        if (remaining() < 4 || !in_.read(reinterpret_cast<char*>(b), 4)) return false;
        position_ += 4;
        value = static_cast<std::int32_t>(std::uint32_t(b[0]) | std::uint32_t(b[1]) << 8 |
                                          std::uint32_t(b[2]) << 16 | std::uint32_t(b[3]) << 24);
        return true;
    }
    bool readBytes(std::string& out, std::int64_t count) {
        if (count < 0 || remaining() < count) return false;
        out.resize(static_cast<std::size_t>(count));
        if (count > 0 && !in_.read(out.data(), count)) return false;
        position_ += count;
        return true;
    }
    bool skip(std::int64_t count) {
        if (count < 0 || remaining() < count) return false;
        in_.seekg(count, std::ios::cur);
        position_ += count;
        return static_cast<bool>(in_);
    }

private:
    std::ifstream in_;
    std::int64_t size_ = -1;
    std::int64_t position_ = 0;
};

// The library's own mapping asserts (ends the process) on an unknown ftype.
bool weightTypeOf(std::int32_t ftype, ggml_type& type) {
    switch (static_cast<ggml_ftype>(ftype)) {
    case GGML_FTYPE_ALL_F32: type = GGML_TYPE_F32; return true;
    case GGML_FTYPE_MOSTLY_F16: type = GGML_TYPE_F16; return true;
    case GGML_FTYPE_MOSTLY_BF16: type = GGML_TYPE_BF16; return true;
    case GGML_FTYPE_MOSTLY_Q4_0: type = GGML_TYPE_Q4_0; return true;
    case GGML_FTYPE_MOSTLY_Q4_1: type = GGML_TYPE_Q4_1; return true;
    case GGML_FTYPE_MOSTLY_Q1_0: type = GGML_TYPE_Q1_0; return true;
    case GGML_FTYPE_MOSTLY_Q5_0: type = GGML_TYPE_Q5_0; return true;
    case GGML_FTYPE_MOSTLY_Q5_1: type = GGML_TYPE_Q5_1; return true;
    case GGML_FTYPE_MOSTLY_Q8_0: type = GGML_TYPE_Q8_0; return true;
    case GGML_FTYPE_MOSTLY_MXFP4: type = GGML_TYPE_MXFP4; return true;
    case GGML_FTYPE_MOSTLY_NVFP4: type = GGML_TYPE_NVFP4; return true;
    case GGML_FTYPE_MOSTLY_Q2_K: type = GGML_TYPE_Q2_K; return true;
    case GGML_FTYPE_MOSTLY_Q3_K: type = GGML_TYPE_Q3_K; return true;
    case GGML_FTYPE_MOSTLY_Q4_K: type = GGML_TYPE_Q4_K; return true;
    case GGML_FTYPE_MOSTLY_Q5_K: type = GGML_TYPE_Q5_K; return true;
    case GGML_FTYPE_MOSTLY_Q6_K: type = GGML_TYPE_Q6_K; return true;
    case GGML_FTYPE_MOSTLY_IQ2_XXS: type = GGML_TYPE_IQ2_XXS; return true;
    case GGML_FTYPE_MOSTLY_IQ2_XS: type = GGML_TYPE_IQ2_XS; return true;
    case GGML_FTYPE_MOSTLY_IQ3_XXS: type = GGML_TYPE_IQ3_XXS; return true;
    case GGML_FTYPE_MOSTLY_IQ1_S: type = GGML_TYPE_IQ1_S; return true;
    case GGML_FTYPE_MOSTLY_IQ1_M: type = GGML_TYPE_IQ1_M; return true;
    case GGML_FTYPE_MOSTLY_IQ4_NL: type = GGML_TYPE_IQ4_NL; return true;
    case GGML_FTYPE_MOSTLY_IQ4_XS: type = GGML_TYPE_IQ4_XS; return true;
    case GGML_FTYPE_MOSTLY_IQ3_S: type = GGML_TYPE_IQ3_S; return true;
    case GGML_FTYPE_MOSTLY_IQ2_S: type = GGML_TYPE_IQ2_S; return true;
    default: return false;
    }
}

bool validType(std::int32_t type) {
    if (type < 0 || type >= GGML_TYPE_COUNT) return false;
    const auto t = static_cast<ggml_type>(type);
    return ggml_blck_size(t) > 0 && ggml_type_size(t) > 0;
}

std::string checkHeader(const ModelHeader& h, ggml_type& weightType) {
    const std::int32_t dims[] = {h.nVocab,    h.nAudioCtx,  h.nAudioState, h.nAudioHead,
                                 h.nAudioLayer, h.nTextCtx, h.nTextState,  h.nTextHead,
                                 h.nTextLayer, h.nMels};
    for (std::int32_t d : dims)
        if (d <= 0) return "header has a zero or negative dimension";
    if (h.nVocab < kMinVocab || h.nVocab > kMaxVocab) return "unsupported vocabulary size " + std::to_string(h.nVocab);
    if (h.nAudioState % h.nAudioHead != 0) return "audio heads do not divide the audio state";
    if (h.nTextState % h.nTextHead != 0) return "text heads do not divide the text state";
    if (h.nAudioState != h.nTextState) return "audio and text state sizes differ";
    if (h.nTextCtx < kMinTextCtx) return "text context too small";
    if (h.ftype < 0) return "bad ftype";
    if (!weightTypeOf(h.ftype % kQuantVersionFactor, weightType) || !validType(weightType)) return "bad ftype";
    // Such a file loads, and its first recognition ends the process: the
    // library's convolution takes F16 kernels only, and an F32 file has F32 ones.
    if (weightType == GGML_TYPE_F32) return "all-F32 model files are not supported (F16 convolutions needed)";
    const std::int64_t block = ggml_blck_size(weightType);
    if (h.nAudioState % block != 0 || h.nTextState % block != 0)
        return "state size does not fit the weight type's blocks";
    return {};
}

}  // namespace

std::string checkModelFile(const char* path) {
    Reader in(path);
    std::int32_t magic = 0;
    if (!in.isOpen() || !in.readInt(magic) || static_cast<std::uint32_t>(magic) != kModelMagic) return {};

    ModelHeader h;
    for (std::int32_t* field : {&h.nVocab, &h.nAudioCtx, &h.nAudioState, &h.nAudioHead, &h.nAudioLayer,
                                &h.nTextCtx, &h.nTextState, &h.nTextHead, &h.nTextLayer, &h.nMels, &h.ftype})
        if (!in.readInt(*field)) return "header truncated";
    ggml_type weightType = GGML_TYPE_F16;
    if (std::string fault = checkHeader(h, weightType); !fault.empty()) return fault;

    std::int32_t melCount = 0, fftBins = 0;
    if (!in.readInt(melCount) || !in.readInt(fftBins)) return "mel filters truncated";
    if (melCount != h.nMels || fftBins != kMelFftBins) return "mel filter size does not match the header";
    if (!in.skip(std::int64_t(melCount) * fftBins * 4)) return "mel filters truncated";

    std::int32_t vocabCount = 0;
    if (!in.readInt(vocabCount)) return "vocabulary truncated";
    if (vocabCount < 0 || vocabCount > h.nVocab) return "bad vocabulary count";
    bool hasSpace = false;
    std::string token;
    for (std::int32_t i = 0; i < vocabCount; ++i) {
        std::int32_t length = 0;
        if (!in.readInt(length) || !in.readBytes(token, static_cast<std::uint32_t>(length)))
            return "vocabulary truncated";
        hasSpace = hasSpace || token == " ";
    }
    if (!hasSpace) return "vocabulary lacks the token \" \"";

    const std::vector<TensorLayout> layout = modelTensors(h);
    std::map<std::string, const TensorLayout*> expected;
    for (const TensorLayout& t : layout) expected.emplace(t.name, &t);
    std::map<std::string, bool> seen;
    while (in.remaining() > 0) {
        std::int32_t nDims = 0, nameLength = 0, type = 0;
        if (!in.readInt(nDims) || !in.readInt(nameLength) || !in.readInt(type)) return "tensor record truncated";
        if (nDims < 1 || nDims > kMaxDims) return "tensor with a bad dimension count";
        if (nameLength < 1 || nameLength > kMaxNameLength) return "tensor with a bad name length";
        if (!validType(type)) return "tensor with an unknown type";
        std::int64_t ne[kMaxDims] = {1, 1, 1, 1};
        std::int64_t elements = 1;
        for (int d = 0; d < nDims; ++d) {
            std::int32_t n = 0;
            if (!in.readInt(n)) return "tensor record truncated";
            if (n <= 0) return "tensor with a zero or negative dimension";
            ne[d] = n;
            elements *= n;
            if (elements > (std::int64_t(1) << 31) - 1) return "tensor too large";
        }
        std::string name;
        if (!in.readBytes(name, nameLength)) return "tensor record truncated";
        const auto it = expected.find(name);
        if (it == expected.end()) return "unknown tensor " + name;
        if (seen[name]) return "tensor " + name + " appears twice";
        seen[name] = true;
        const TensorLayout& shape = *it->second;
        for (std::size_t d = 0; d < kMaxDims; ++d) {
            const std::int64_t want = d < shape.ne.size() ? shape.ne[d] : 1;
            if (ne[d] != want) return "tensor " + name + " has the wrong shape";
        }
        const auto t = static_cast<ggml_type>(type);
        if (elements % ggml_blck_size(t) != 0) return "tensor " + name + " does not fill its blocks";
        if (!in.skip(elements / ggml_blck_size(t) * static_cast<std::int64_t>(ggml_type_size(t))))
            return "tensor data truncated";
    }
    for (const TensorLayout& t : layout)
        if (!seen.count(t.name)) return "tensor " + t.name + " is missing";
    return {};
}
