#include "model/checkpoint_convert.h"

#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <vector>

#include <ggml.h>
#include <nlohmann/json.hpp>

#include "engine/model_layout.h"
#include "model/checkpoint_config.h"
#include "model/checkpoint_names.h"
#include "model/mel_filters.h"
#include "model/safetensors.h"
#include "model/whisper_file_writer.h"

namespace fs = std::filesystem;

namespace {

struct Located {
    fs::path file;
    SafetensorsTensor tensor;
};

std::string utf8(const fs::path& path) { return utf8Of(path); }

ConvertOutcome badInput(const std::string& error) { return {kConvertBadInput, error}; }

bool readWhole(const fs::path& path, std::string& text) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::ostringstream all;
    all << in.rdbuf();
    text = all.str();
    return static_cast<bool>(in) || in.eof();
}

std::string shapeText(const std::vector<std::uint64_t>& shape) {
    std::string text = "[";
    for (std::size_t i = 0; i < shape.size(); ++i) text += (i ? ", " : "") + std::to_string(shape[i]);
    return text + "]";
}

// Every tensor of the checkpoint by name, from one file or from the shards
// its index names; "" or what is wrong.
std::string locateTensors(const fs::path& folder, std::map<std::string, Located>& tensors) {
    std::vector<fs::path> files;
    const fs::path index = folder / "model.safetensors.index.json";
    std::map<std::string, std::string> weightMap;
    if (fs::exists(index)) {
        std::string text;
        if (!readWhole(index, text)) return utf8(index) + ": cannot be read";
        const nlohmann::json json = nlohmann::json::parse(text, nullptr, false);
        const auto map = json.is_object() ? json.find("weight_map") : json.end();
        if (map == json.end() || !map->is_object()) return utf8(index) + ": no weight_map";
        std::set<std::string> shards;
        for (const auto& [name, file] : map->items()) {
            if (!file.is_string() || file.get<std::string>().find_first_of("/\\") != std::string::npos)
                return utf8(index) + ": tensor \"" + name + "\" names no shard of this folder";
            weightMap[name] = file.get<std::string>();
            shards.insert(file.get<std::string>());
        }
        for (const std::string& shard : shards) files.push_back(folder / pathOf(shard));
    } else if (fs::exists(folder / "model.safetensors")) {
        files.push_back(folder / "model.safetensors");
    } else if (fs::exists(folder / "pytorch_model.bin")) {
        return utf8(folder / "pytorch_model.bin") +
               ": the PyTorch format is not read (it can run code); download the .safetensors files instead";
    } else {
        return utf8(folder) + ": no model.safetensors or model.safetensors.index.json";
    }
    for (const fs::path& file : files) {
        const SafetensorsTable table = readSafetensorsTable(utf8(file));
        if (!table.error.empty()) return utf8(file) + ": " + table.error;
        for (const SafetensorsTensor& tensor : table.tensors) {
            if (!weightMap.empty() && weightMap[tensor.name] != utf8(file.filename()))
                return utf8(file) + ": tensor \"" + tensor.name + "\" is not in the index for this file";
            if (!tensors.emplace(tensor.name, Located{file, tensor}).second)
                return utf8(file) + ": tensor \"" + tensor.name + "\" twice";
        }
    }
    for (const auto& [name, file] : weightMap) {
        if (!tensors.count(name)) return utf8(index) + ": tensor \"" + name + "\" not in " + file;
    }
    return "";
}

// One tensor's values as floats, whatever the checkpoint stored.
bool readValues(const Located& where, std::vector<float>& values) {
    const SafetensorsTensor& t = where.tensor;
    std::ifstream in(where.file, std::ios::binary);
    std::vector<char> bytes(static_cast<std::size_t>(t.end - t.begin));
    in.seekg(static_cast<std::streamoff>(t.begin));
    if (!in || !in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()))) return false;
    values.resize(static_cast<std::size_t>(t.elements()));
    for (std::size_t i = 0; i < values.size(); ++i) {
        switch (t.dtype) {
        case TensorDtype::F32:
            std::memcpy(&values[i], bytes.data() + 4 * i, 4);
            break;
        case TensorDtype::F16: {
            ggml_fp16_t half;
            std::memcpy(&half, bytes.data() + 2 * i, 2);
            values[i] = ggml_fp16_to_fp32(half);
            break;
        }
        case TensorDtype::BF16: {
            std::uint16_t upper;
            std::memcpy(&upper, bytes.data() + 2 * i, 2);
            const std::uint32_t bits = static_cast<std::uint32_t>(upper) << 16;
            std::memcpy(&values[i], &bits, 4);
            break;
        }
        }
    }
    return true;
}

// The whisper file: preamble, then every tensor in the loader's order.
ConvertOutcome writeWhisperFile(const fs::path& path, const ModelHeader& header,
                                const std::vector<std::string>& vocabulary,
                                const std::vector<std::pair<TensorLayout, Located>>& plan, WeightType type,
                                const ConvertProgress& progress) {
    WhisperFileWriter out(path, type);
    if (!out.ok()) return {kConvertCannotWrite, utf8(path) + ": cannot be created"};
    out.writePreamble(header, melFilters(header.nMels), vocabulary);
    std::uint64_t total = 0, done = 0;
    for (const auto& [layout, where] : plan) total += where.tensor.end - where.tensor.begin;
    std::vector<float> values;
    for (const auto& [layout, where] : plan) {
        if (!readValues(where, values))
            return badInput(utf8(where.file) + ": tensor \"" + where.tensor.name + "\" cannot be read");
        out.writeTensor(layout, values);
        if (!out.ok()) return {kConvertCannotWrite, utf8(path) + ": write failed"};
        done += where.tensor.end - where.tensor.begin;
        if (progress && !progress(total > 0 ? static_cast<double>(done) / static_cast<double>(total) : 1.0))
            return {kConvertStopped, "stopped"};
    }
    if (!out.close()) return {kConvertCannotWrite, utf8(path) + ": write failed"};
    return {};
}

}  // namespace

ConvertOutcome convertCheckpoint(const std::string& folderName, const std::string& output, WeightType type,
                                 const ConvertProgress& progress) {
    const fs::path folder = pathOf(folderName);
    std::string config, vocab;
    for (const auto& [file, text] : {std::pair{"config.json", &config}, std::pair{"vocab.json", &vocab}}) {
        if (!readWhole(folder / file, *text)) return badInput(utf8(folder / file) + ": cannot be read");
    }
    const ConfigReading dimensions = readCheckpointConfig(config);
    if (!dimensions.error.empty()) return badInput(utf8(folder / "config.json") + ": " + dimensions.error);
    const VocabularyReading vocabulary = readCheckpointVocabulary(vocab, dimensions.header.nVocab);
    if (!vocabulary.error.empty()) return badInput(utf8(folder / "vocab.json") + ": " + vocabulary.error);

    std::map<std::string, Located> tensors;
    if (const std::string problem = locateTensors(folder, tensors); !problem.empty()) return badInput(problem);
    std::vector<std::pair<TensorLayout, Located>> plan;
    for (const TensorLayout& layout : modelTensors(dimensions.header)) {
        const std::string name = checkpointNameOf(layout.name);
        const auto found = tensors.find(name);
        if (found == tensors.end()) return badInput(utf8(folder) + ": tensor \"" + name + "\" missing");
        const std::vector<std::uint64_t> expected = checkpointShapeOf(layout);
        if (found->second.tensor.shape != expected)
            return badInput(utf8(found->second.file) + ": tensor \"" + name + "\" is " +
                            shapeText(found->second.tensor.shape) + ", config.json gives " + shapeText(expected));
        plan.emplace_back(layout, found->second);
        tensors.erase(found);
    }
    for (const auto& [name, where] : tensors) {
        if (!isTiedCheckpointTensor(name)) {
            return badInput(utf8(where.file) + ": tensor \"" + name + "\" is not a whisper tensor");
        }
    }

    PartFile part(pathOf(output));
    if (ConvertOutcome outcome = writeWhisperFile(part.path(), dimensions.header, vocabulary.tokens, plan, type, progress);
        outcome.exitCode != 0)
        return outcome;
    return part.publish(utf8(folder));
}
