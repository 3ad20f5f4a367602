#include "tools/testmodel/test_model.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <map>

#include "tools/testmodel/half_float.h"

namespace {

constexpr std::int32_t kFtypeF16 = 1;
constexpr std::int32_t kTypeF32 = 0;
constexpr std::int32_t kTypeF16 = 1;
constexpr std::int32_t kVocabInFile = 50257;  // ordinary tokens; the loader adds the special ones
constexpr std::int32_t kSpaceToken = 220;
constexpr std::int32_t kFirstScriptToken = 1000;
constexpr std::int32_t kEmptyToken = 50256;  // empty bytes, as in the real vocabulary
constexpr float kLayerNormEps = 1e-5f;
constexpr float kUnitInput = 16.0f;  // hidden unit input: +16 on, -16 off (GELU exact there)
constexpr float kNextLogit = 40.0f;  // margin over every other token: e^-40

std::int32_t eotToken(const ModelHeader&) { return 50257; }
std::int32_t noTimestampsToken(const ModelHeader& h) { return 50362 + (h.nVocab - 51864); }

int largestPowerOfTwo(int n) {
    int p = 1;
    while (p * 2 <= n) p *= 2;
    return p;
}

float hadamard(int row, int column) { return (__builtin_popcount(unsigned(row & column)) & 1) ? -1.0f : 1.0f; }

using Filler = std::function<void(const TensorLayout&, std::vector<float>&)>;

class ModelFileWriter {
public:
    explicit ModelFileWriter(const std::string& path) : out_(path, std::ios::binary | std::ios::trunc) {}
    bool ok() const { return static_cast<bool>(out_); }

    void i32(std::int32_t v) { out_.write(reinterpret_cast<const char*>(&v), 4); }
    void bytes(const std::string& s) { out_.write(s.data(), static_cast<std::streamsize>(s.size())); }
    void f32(const std::vector<float>& v) {
        out_.write(reinterpret_cast<const char*>(v.data()), static_cast<std::streamsize>(v.size() * 4));
    }
    void f16(const std::vector<float>& v) {
        std::vector<std::uint16_t> half(v.size());
        std::transform(v.begin(), v.end(), half.begin(), toHalf);
        out_.write(reinterpret_cast<const char*>(half.data()), static_cast<std::streamsize>(half.size() * 2));
    }
    bool finish() {
        out_.flush();
        return static_cast<bool>(out_);
    }

private:
    std::ofstream out_;
};

// Triangular filters evenly spaced on the mel scale, 0-8000 Hz.
std::vector<float> melFilters(int mels) {
    std::vector<float> f(static_cast<std::size_t>(mels) * kMelFftBins, 0.0f);
    auto toMel = [](double hz) { return 2595.0 * std::log10(1.0 + hz / 700.0); };
    auto toHz = [](double mel) { return 700.0 * (std::pow(10.0, mel / 2595.0) - 1.0); };
    const double top = toMel(8000.0);
    for (int m = 0; m < mels; ++m) {
        const double lo = toHz(top * m / (mels + 1)), mid = toHz(top * (m + 1) / (mels + 1)),
                     hi = toHz(top * (m + 2) / (mels + 1));
        for (int k = 0; k < kMelFftBins; ++k) {
            const double hz = k * 8000.0 / (kMelFftBins - 1);
            double w = 0.0;
            if (hz > lo && hz <= mid) w = (hz - lo) / (mid - lo);
            else if (hz > mid && hz < hi) w = (hi - hz) / (hi - mid);
            f[static_cast<std::size_t>(m) * kMelFftBins + k] = static_cast<float>(w);
        }
    }
    return f;
}

std::string writeModel(const std::string& path, const ModelHeader& h,
                       const std::map<std::int32_t, std::string>& tokenTexts, const Filler& fill) {
    ModelFileWriter w(path);
    if (!w.ok()) return "cannot create " + path;
    w.i32(static_cast<std::int32_t>(kModelMagic));
    for (std::int32_t v : {h.nVocab, h.nAudioCtx, h.nAudioState, h.nAudioHead, h.nAudioLayer, h.nTextCtx,
                           h.nTextState, h.nTextHead, h.nTextLayer, h.nMels, h.ftype})
        w.i32(v);
    w.i32(h.nMels);
    w.i32(kMelFftBins);
    w.f32(melFilters(h.nMels));
    w.i32(kVocabInFile);
    for (std::int32_t id = 0; id < kVocabInFile; ++id) {
        const auto it = tokenTexts.find(id);
        const std::string text = it == tokenTexts.end() ? std::string() : it->second;
        w.i32(static_cast<std::int32_t>(text.size()));
        w.bytes(text);
    }
    std::vector<float> values;
    for (const TensorLayout& t : modelTensors(h)) {
        values.assign(static_cast<std::size_t>(elementCount(t)), 0.0f);
        fill(t, values);
        const bool half = t.kind != TensorKind::F32;
        w.i32(static_cast<std::int32_t>(t.ne.size()));
        w.i32(static_cast<std::int32_t>(t.name.size()));
        w.i32(half ? kTypeF16 : kTypeF32);
        for (std::int64_t d : t.ne) w.i32(static_cast<std::int32_t>(d));
        w.bytes(t.name);
        if (half)
            w.f16(values);
        else
            w.f32(values);
    }
    return w.finish() ? std::string() : "write failed: " + path;
}

bool endsWith(const std::string& s, const std::string& tail) {
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

bool isNormWeight(const std::string& name) {
    return endsWith(name, "ln.weight") || endsWith(name, "ln_post.weight");
}

// Decoder that ignores the audio and follows `chain` (notimestamps first, eot
// last). Every token on the chain gets a row of a Hadamard matrix as its
// embedding: +-1 entries, zero mean, mutually orthogonal. Attention and the
// encoder are zero; one hidden unit of the first decoder MLP per step turns
// the current token's code into the next one's; the final norm scales the
// next token's logit to 40 and leaves every other at about 0.
std::string writeChainModel(const std::string& path, const ModelHeader& h, const std::vector<std::int32_t>& chain,
                            const std::map<std::int32_t, std::string>& texts) {
    const int d = h.nTextState;
    const int dp = largestPowerOfTwo(d);
    if (static_cast<int>(chain.size()) > dp - 1)
        return "script too long for this model size (" + std::to_string(chain.size() - 3) + " tokens, at most " +
               std::to_string(dp - 3) + ")";
    std::map<std::int32_t, int> codeRow;
    for (std::size_t i = 0; i < chain.size(); ++i) codeRow[chain[i]] = static_cast<int>(i) + 1;
    auto code = [&](std::int32_t token, int j) { return j < dp ? hadamard(codeRow.at(token), j) : 0.0f; };

    const float normScale = std::sqrt(static_cast<float>(dp) / d + kLayerNormEps);  // 1 / layer-norm gain
    const float inputWeight = 2.0f * kUnitInput * normScale / dp;
    const float outputNorm = kNextLogit * normScale / dp;
    const std::int32_t eot = chain.back();
    const int hidden = 4 * d;

    Filler fill = [&](const TensorLayout& t, std::vector<float>& v) {
        const std::string& n = t.name;
        if (n == "decoder.ln.weight") {
            std::fill(v.begin(), v.end(), outputNorm);
        } else if (isNormWeight(n)) {
            std::fill(v.begin(), v.end(), 1.0f);
        } else if (n == "decoder.token_embedding.weight") {
            for (std::int32_t token : chain)
                for (int j = 0; j < d; ++j) v[static_cast<std::size_t>(token) * d + j] = code(token, j);
        } else if (n == "decoder.blocks.0.mlp.0.weight") {
            for (std::size_t u = 0; u + 1 < chain.size(); ++u)
                for (int j = 0; j < d; ++j) v[u * d + j] = inputWeight * code(chain[u], j);
        } else if (n == "decoder.blocks.0.mlp.0.bias") {
            std::fill(v.begin(), v.end(), -kUnitInput);
        } else if (n == "decoder.blocks.0.mlp.2.weight") {
            for (std::size_t u = 0; u + 1 < chain.size(); ++u)
                for (int j = 0; j < d; ++j)
                    v[static_cast<std::size_t>(j) * hidden + u] =
                        (code(chain[u + 1], j) - code(chain[u], j) - code(eot, j)) / kUnitInput;
        } else if (n == "decoder.blocks.0.mlp.2.bias") {
            for (int j = 0; j < d; ++j) v[j] = code(eot, j);
        }
    };
    return writeModel(path, h, texts, fill);
}

std::map<std::int32_t, std::string> baseVocabulary() { return {{kSpaceToken, " "}}; }

}  // namespace

bool presetHeader(const std::string& preset, ModelHeader& h) {
    h = ModelHeader{};
    h.nVocab = 51865;
    h.nAudioCtx = 1500;
    h.nTextCtx = 448;
    h.nMels = 80;
    h.ftype = kFtypeF16;
    if (preset == "micro") {
        h.nAudioState = h.nTextState = 64;
        h.nAudioHead = h.nTextHead = 2;
        h.nAudioLayer = h.nTextLayer = 2;
    } else if (preset == "tiny") {
        h.nAudioState = h.nTextState = 384;
        h.nAudioHead = h.nTextHead = 6;
        h.nAudioLayer = h.nTextLayer = 4;
    } else if (preset == "base") {
        h.nAudioState = h.nTextState = 512;
        h.nAudioHead = h.nTextHead = 8;
        h.nAudioLayer = h.nTextLayer = 6;
    } else if (preset == "small") {
        h.nAudioState = h.nTextState = 768;
        h.nAudioHead = h.nTextHead = 12;
        h.nAudioLayer = h.nTextLayer = 12;
    } else if (preset == "medium") {
        h.nAudioState = h.nTextState = 1024;
        h.nAudioHead = h.nTextHead = 16;
        h.nAudioLayer = h.nTextLayer = 24;
    } else {
        return false;
    }
    return true;
}

std::vector<std::string> scriptTokens(const std::string& text) {
    auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    std::vector<std::string> tokens;
    std::size_t i = 0;
    while (i < text.size()) {
        std::string piece;
        while (i < text.size() && blank(text[i])) piece += text[i++];
        while (i < text.size() && !blank(text[i])) {
            const auto lead = static_cast<unsigned char>(text[i]);
            if (lead >= 0xF0 && i + 4 <= text.size()) {
                // Blanks before it ride on its first half: a bare " " token would be banned.
                const bool onlyBlanks = piece.find_first_not_of(" \t\r\n") == std::string::npos;
                if (!onlyBlanks) tokens.push_back(piece);
                tokens.push_back((onlyBlanks ? piece : std::string()) + text.substr(i, 2));
                tokens.push_back(text.substr(i + 2, 2));
                piece.clear();
                i += 4;
            } else {
                piece += text[i++];
            }
        }
        if (!piece.empty()) {
            // Blanks at the very end stay with the last word.
            if (!tokens.empty() && piece.find_first_not_of(" \t\r\n") == std::string::npos)
                tokens.back() += piece;
            else
                tokens.push_back(piece);
        }
    }
    return tokens;
}

int scriptCapacity(const ModelHeader& h) { return largestPowerOfTwo(h.nTextState) - 3; }

std::string writeScriptedModel(const std::string& path, const ModelHeader& h, const std::string& text) {
    if (text.find('\0') != std::string::npos) return "the script must not contain NUL";
    const std::vector<std::string> tokens = scriptTokens(text);
    if (tokens.empty()) return "the script is empty";
    if (static_cast<int>(tokens.size()) > scriptCapacity(h))
        return "script too long for this model size (" + std::to_string(tokens.size()) + " tokens, at most " +
               std::to_string(scriptCapacity(h)) + ")";
    std::map<std::int32_t, std::string> texts = baseVocabulary();
    std::vector<std::int32_t> chain{noTimestampsToken(h)};
    for (std::size_t i = 0; i < tokens.size(); ++i) {
        const std::int32_t id = kFirstScriptToken + static_cast<std::int32_t>(i);
        texts[id] = tokens[i];
        chain.push_back(id);
    }
    chain.push_back(eotToken(h));
    return writeChainModel(path, h, chain, texts);
}

std::string writeSilenceModel(const std::string& path, const ModelHeader& h) {
    // The only "word" has no bytes: the segment is empty and the library keeps none.
    return writeChainModel(path, h, {noTimestampsToken(h), kEmptyToken, eotToken(h)}, baseVocabulary());
}

std::string writeRandomModel(const std::string& path, const ModelHeader& h, std::uint64_t seed) {
    std::uint64_t state = seed * 0x9E3779B97F4A7C15ull + 1;
    auto next = [&state] {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        return static_cast<float>(state >> 40) / static_cast<float>(1u << 24) * 2.0f - 1.0f;  // [-1, 1)
    };
    std::map<std::int32_t, std::string> texts = baseVocabulary();
    for (std::int32_t id = 256; id < kEmptyToken; ++id) texts[id] = "w" + std::to_string(id);
    Filler fill = [&](const TensorLayout& t, std::vector<float>& v) {
        if (isNormWeight(t.name)) {
            std::fill(v.begin(), v.end(), 1.0f);
            return;
        }
        const float scale = t.kind == TensorKind::F32 ? 0.01f : 0.05f;
        for (float& x : v) x = next() * scale;
    };
    return writeModel(path, h, texts, fill);
}

std::string writeModelAs(const std::string& path, WeightType type,
                         const std::function<std::string(const std::string&)>& writeF16) {
    if (type == WeightType::F16) return writeF16(path);
    const std::string f16 = path + ".f16";
    std::string error = writeF16(f16);
    if (error.empty()) error = quantizeModelFile(f16, path, type);
    std::remove(f16.c_str());
    return error;
}
