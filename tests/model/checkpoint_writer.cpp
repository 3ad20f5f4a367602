#include "tests/model/checkpoint_writer.h"

#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <vector>

#include <ggml.h>
#include <nlohmann/json.hpp>

#include "engine/model_layout.h"
#include "model/checkpoint_config.h"
#include "model/checkpoint_names.h"
#include "tests/model/safetensors_writer.h"

namespace fs = std::filesystem;

namespace {

struct Reader {
    std::ifstream in;
    std::int32_t i32() {
        std::int32_t value = 0;
        in.read(reinterpret_cast<char*>(&value), 4);
        return value;
    }
    std::string bytes(std::size_t count) {
        std::string text(count, '\0');
        in.read(text.data(), static_cast<std::streamsize>(count));
        return text;
    }
};

std::string byteLevel(const std::string& bytes) {
    std::string text;
    for (const unsigned char byte : bytes) {
        const char32_t c = byteLevelCharacter(byte);
        if (c < 0x80) {
            text += static_cast<char>(c);
        } else {
            text += static_cast<char>(0xC0 | (c >> 6));
            text += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return text;
}

std::string encode(const std::vector<float>& values, TensorDtype dtype) {
    std::string data;
    for (const float value : values) {
        if (dtype == TensorDtype::F32) {
            data.append(reinterpret_cast<const char*>(&value), 4);
        } else if (dtype == TensorDtype::F16) {
            const ggml_fp16_t half = ggml_fp32_to_fp16(value);
            data.append(reinterpret_cast<const char*>(&half), 2);
        } else {
            std::uint32_t bits;
            std::memcpy(&bits, &value, 4);
            bits += 0x7FFF + ((bits >> 16) & 1);  // round to nearest even
            const auto upper = static_cast<std::uint16_t>(bits >> 16);
            data.append(reinterpret_cast<const char*>(&upper), 2);
        }
    }
    return data;
}

}  // namespace

std::string writeCheckpointFrom(const std::string& modelPath, const std::string& folderName, const CheckpointShape& shape) {
    Reader model{std::ifstream(fs::u8path(modelPath), std::ios::binary)};
    if (!model.in || static_cast<std::uint32_t>(model.i32()) != kModelMagic) return modelPath + ": not a model file";
    ModelHeader h;
    for (std::int32_t* field : {&h.nVocab, &h.nAudioCtx, &h.nAudioState, &h.nAudioHead, &h.nAudioLayer, &h.nTextCtx,
                                &h.nTextState, &h.nTextHead, &h.nTextLayer, &h.nMels, &h.ftype})
        *field = model.i32();
    const std::int32_t melRows = model.i32(), melColumns = model.i32();
    model.bytes(static_cast<std::size_t>(melRows) * static_cast<std::size_t>(melColumns) * 4);

    nlohmann::ordered_json vocab = nlohmann::ordered_json::object();
    const std::int32_t tokens = model.i32();
    std::set<std::string> used;
    for (std::int32_t id = 0; id < tokens; ++id) {
        std::string text = byteLevel(model.bytes(static_cast<std::size_t>(model.i32())));
        // Unused ids hold nothing in a test model; JSON keys must differ.
        if (text.empty() || !used.insert(text).second) text = "<" + std::to_string(id) + ">";
        vocab[text] = id;
    }
    vocab["<|endoftext|>"] = tokens;
    vocab["<|startoftranscript|>"] = tokens + 1;

    std::map<std::string, TensorLayout> layouts;
    for (const TensorLayout& layout : modelTensors(h)) layouts[layout.name] = layout;
    std::vector<WrittenTensor> written;
    while (model.in.peek() != EOF) {
        const std::int32_t dims = model.i32(), nameLength = model.i32(), type = model.i32();
        std::vector<std::int64_t> ne(static_cast<std::size_t>(dims));
        std::int64_t count = 1;
        for (std::int64_t& size : ne) count *= (size = model.i32());
        const std::string name = model.bytes(static_cast<std::size_t>(nameLength));
        std::vector<float> values(static_cast<std::size_t>(count));
        if (type == 0) {
            model.in.read(reinterpret_cast<char*>(values.data()), static_cast<std::streamsize>(count * 4));
        } else {
            std::vector<ggml_fp16_t> halves(values.size());
            model.in.read(reinterpret_cast<char*>(halves.data()), static_cast<std::streamsize>(count * 2));
            ggml_fp16_to_fp32_row(halves.data(), values.data(), count);
        }
        if (!model.in || !layouts.count(name)) return modelPath + ": cannot read tensor " + name;
        written.push_back({checkpointNameOf(name), "", checkpointShapeOf(layouts[name]), encode(values, shape.dtype)});
        if (name == "decoder.token_embedding.weight" && shape.tiedProjection) {
            written.push_back({"proj_out.weight", "", written.back().shape, written.back().data});
        }
    }
    const char* dtypeName = shape.dtype == TensorDtype::F32 ? "F32" : shape.dtype == TensorDtype::F16 ? "F16" : "BF16";
    for (WrittenTensor& tensor : written) tensor.dtype = dtypeName;

    const fs::path folder = fs::u8path(folderName);
    fs::create_directories(folder);
    const nlohmann::ordered_json config = {
        {"vocab_size", h.nVocab},          {"num_mel_bins", h.nMels},
        {"d_model", h.nAudioState},        {"encoder_layers", h.nAudioLayer},
        {"encoder_attention_heads", h.nAudioHead}, {"decoder_layers", h.nTextLayer},
        {"decoder_attention_heads", h.nTextHead},  {"max_source_positions", h.nAudioCtx},
        {"max_target_positions", h.nTextCtx},      {"max_length", h.nTextCtx / 2}};
    std::ofstream(folder / "config.json") << config.dump(2);
    std::ofstream(folder / "vocab.json") << vocab.dump();
    if (shape.shards <= 1) {
        std::ofstream(folder / "model.safetensors", std::ios::binary) << safetensorsFile(written);
        return "";
    }
    nlohmann::ordered_json weightMap = nlohmann::ordered_json::object();
    const std::size_t perShard = (written.size() + static_cast<std::size_t>(shape.shards) - 1) / shape.shards;
    for (int shard = 0; shard < shape.shards; ++shard) {
        char name[64];
        std::snprintf(name, sizeof name, "model-%05d-of-%05d.safetensors", shard + 1, shape.shards);
        const auto first = written.begin() + static_cast<std::ptrdiff_t>(std::min(written.size(), shard * perShard));
        const auto last = written.begin() + static_cast<std::ptrdiff_t>(std::min(written.size(), (shard + 1) * perShard));
        const std::vector<WrittenTensor> part(first, last);
        for (const WrittenTensor& tensor : part) weightMap[tensor.name] = name;
        std::ofstream(folder / name, std::ios::binary) << safetensorsFile(part);
    }
    std::ofstream(folder / "model.safetensors.index.json") << nlohmann::ordered_json{{"weight_map", weightMap}}.dump(2);
    return "";
}
