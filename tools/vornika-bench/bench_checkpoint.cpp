// Converting a checkpoint folder as a user downloads it: random F32 weights
// at a preset's real dimensions, written straight to disk (a medium folder is
// about 3 GB, more than a test wants in memory), then converted to q8_0 in a
// child process so that its peak memory is the conversion's own.

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <nlohmann/json.hpp>

#include "engine/model_layout.h"
#include "model/checkpoint_config.h"
#include "model/checkpoint_convert.h"
#include "model/checkpoint_names.h"
#include "tools/testmodel/test_model.h"
#include "tools/vornika-bench/bench.h"

namespace fs = std::filesystem;

namespace {

struct PlannedTensor {
    std::string name;
    std::vector<std::uint64_t> shape;
    std::uint64_t bytes = 0;
};

std::vector<PlannedTensor> plannedTensors(const ModelHeader& header) {
    std::vector<PlannedTensor> planned;
    for (const TensorLayout& layout : modelTensors(header)) {
        planned.push_back({checkpointNameOf(layout.name), checkpointShapeOf(layout),
                           static_cast<std::uint64_t>(elementCount(layout)) * 4});
        if (layout.name == "decoder.token_embedding.weight") {
            planned.push_back({"proj_out.weight", planned.back().shape, planned.back().bytes});
        }
    }
    return planned;
}

// Uniform in [-0.05, 0.05): what matters for the timing is the amount.
void writeRandomFloats(std::ofstream& out, std::uint64_t bytes, std::uint64_t& state) {
    std::vector<float> chunk(1 << 20);
    for (std::uint64_t left = bytes / 4; left > 0;) {
        const std::size_t count = static_cast<std::size_t>(std::min<std::uint64_t>(left, chunk.size()));
        for (std::size_t i = 0; i < count; ++i) {
            state ^= state << 13;
            state ^= state >> 7;
            state ^= state << 17;
            chunk[i] = static_cast<float>(state >> 40) / static_cast<float>(1 << 24) * 0.1f - 0.05f;
        }
        out.write(reinterpret_cast<const char*>(chunk.data()), static_cast<std::streamsize>(count * 4));
        left -= count;
    }
}

std::string writeRandomCheckpoint(const ModelHeader& h, const fs::path& folder) {
    fs::create_directories(folder);
    const nlohmann::ordered_json config = {
        {"vocab_size", h.nVocab},          {"num_mel_bins", h.nMels},
        {"d_model", h.nAudioState},        {"encoder_layers", h.nAudioLayer},
        {"encoder_attention_heads", h.nAudioHead}, {"decoder_layers", h.nTextLayer},
        {"decoder_attention_heads", h.nTextHead},  {"max_source_positions", h.nAudioCtx},
        {"max_target_positions", h.nTextCtx},      {"max_length", h.nTextCtx}};
    std::ofstream(folder / "config.json") << config.dump(2);
    constexpr int kTextTokens = 50257;
    nlohmann::ordered_json vocab = nlohmann::ordered_json::object();
    // The 256 single bytes first, as byte-level vocabularies have them (the
    // model check wants the space among them), then filler words.
    for (int id = 0; id < 256; ++id) {
        const char32_t c = byteLevelCharacter(static_cast<unsigned char>(id));
        std::string text;
        if (c < 0x80) {
            text += static_cast<char>(c);
        } else {
            text += static_cast<char>(0xC0 | (c >> 6));
            text += static_cast<char>(0x80 | (c & 0x3F));
        }
        vocab[text] = id;
    }
    for (int id = 256; id < kTextTokens; ++id) vocab["t" + std::to_string(id)] = id;
    vocab["<|endoftext|>"] = kTextTokens;
    std::ofstream(folder / "vocab.json") << vocab.dump();

    const std::vector<PlannedTensor> tensors = plannedTensors(h);
    nlohmann::ordered_json table = nlohmann::ordered_json::object();
    std::uint64_t offset = 0;
    for (const PlannedTensor& t : tensors) {
        table[t.name] = {{"dtype", "F32"}, {"shape", t.shape}, {"data_offsets", {offset, offset + t.bytes}}};
        offset += t.bytes;
    }
    const std::string header = table.dump();
    const std::uint64_t length = header.size();
    std::ofstream out(folder / "model.safetensors", std::ios::binary);
    out.write(reinterpret_cast<const char*>(&length), 8);
    out << header;
    std::uint64_t state = 0x9E3779B97F4A7C15ull;
    for (const PlannedTensor& t : tensors) writeRandomFloats(out, t.bytes, state);
    out.close();
    return out ? "" : (folder / "model.safetensors").string() + ": cannot be written";
}

}  // namespace

int convertChild(const std::string& folder, const std::string& output, const std::string& type) {
    WeightType weights = WeightType::Q8_0;
    if (!parseWeightType(type, weights)) return 2;
    const auto start = std::chrono::steady_clock::now();
    const ConvertOutcome outcome = convertCheckpoint(folder, output, weights);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (outcome.exitCode != 0) {
        std::fprintf(stderr, "%s\n", outcome.error.c_str());
        return outcome.exitCode;
    }
    std::printf("seconds %.3f\npeak_rss_mb %.1f\n", seconds, peakResidentMegabytes());
    return 0;
}

void benchCheckpoint(const EngineBenchOptions& o, const std::string& preset) {
    ModelHeader header;
    if (!presetHeader(preset, header)) {
        std::fprintf(stderr, "no preset %s\n", preset.c_str());
        return;
    }
    const fs::path folder = fs::u8path(o.modelDir) / ("checkpoint-" + preset + "-f32");
    const fs::path output = fs::u8path(o.modelDir) / ("converted-" + preset + "-q8_0.bin");
    if (!fs::exists(folder / "model.safetensors")) {
        const auto start = std::chrono::steady_clock::now();
        if (const std::string error = writeRandomCheckpoint(header, folder); !error.empty()) {
            std::fprintf(stderr, "%s\n", error.c_str());
            return;
        }
        figure("checkpoint_" + preset + "_write_seconds",
               std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), "s");
    }
    figure("checkpoint_" + preset + "_f32_bytes", static_cast<double>(fs::file_size(folder / "model.safetensors")), "B");
    std::vector<double> seconds, peaks;
    for (int run = 0; run < o.runs; ++run) {
        std::stringstream reply(runAndCapture("\"" + o.self + "\" --child-convert \"" + folder.string() + "\" \"" +
                                              output.string() + "\" q8_0"));
        double s = -1, peak = -1;
        for (std::string key; reply >> key;) {
            if (key == "seconds") reply >> s;
            else if (key == "peak_rss_mb") reply >> peak;
        }
        if (s < 0 || peak < 0) {
            std::fprintf(stderr, "the conversion failed\n");
            return;
        }
        seconds.push_back(s);
        peaks.push_back(peak);
    }
    figure("checkpoint_" + preset + "_to_q8_0_seconds_median", median(seconds), "s");
    figure("checkpoint_" + preset + "_to_q8_0_peak_rss_median", median(peaks), "MB");
    figure("checkpoint_" + preset + "_q8_0_bytes", static_cast<double>(fs::file_size(output)), "B");
    std::error_code ignored;
    fs::remove(output, ignored);
}
