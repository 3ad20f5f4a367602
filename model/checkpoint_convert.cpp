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

#include "engine/model_file_check.h"
#include "engine/model_layout.h"
#include "model/checkpoint_config.h"
#include "model/checkpoint_names.h"
#include "model/mel_filters.h"
#include "model/safetensors.h"

namespace fs = std::filesystem;

namespace {

constexpr std::int32_t kFileF32 = 0;
constexpr std::int32_t kFileF16 = 1;

struct Located {
    fs::path file;
    SafetensorsTensor tensor;
};

// A path as UTF-8 text, for messages and the other readers.
std::string utf8(const fs::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

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
        for (const std::string& shard : shards) files.push_back(folder / fs::u8path(shard));
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

class FileWriter {
public:
    explicit FileWriter(const fs::path& path) : out(path, std::ios::binary | std::ios::trunc) {}
    bool ok() const { return static_cast<bool>(out); }
    void i32(std::int32_t value) { out.write(reinterpret_cast<const char*>(&value), 4); }
    void raw(const void* data, std::size_t bytes) {
        out.write(static_cast<const char*>(data), static_cast<std::streamsize>(bytes));
    }
    bool close() {
        out.close();
        return static_cast<bool>(out);
    }

private:
    std::ofstream out;
};

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

// Which tensors a written file holds as F16: the matrices, the convolution
// kernels (the loader wants them F16 in every file but an all-F32 one).
struct HalfTensors {
    bool weights = false;
    bool convolutions = false;
};

// The whisper file: header, mel filters, vocabulary, then every tensor in
// the loader's order, 1-D tensors and positional embeddings in F32.
ConvertOutcome writeWhisperFile(const fs::path& path, ModelHeader header, const std::vector<std::string>& vocabulary,
                                const std::vector<std::pair<TensorLayout, Located>>& plan, HalfTensors halves,
                                const std::function<void(double)>& progress) {
    FileWriter out(path);
    if (!out.ok()) return {kConvertCannotWrite, utf8(path) + ": cannot be created"};
    header.ftype = halves.convolutions ? kFileF16 : kFileF32;
    out.i32(static_cast<std::int32_t>(kModelMagic));
    for (const std::int32_t value : {header.nVocab, header.nAudioCtx, header.nAudioState, header.nAudioHead,
                                     header.nAudioLayer, header.nTextCtx, header.nTextState, header.nTextHead,
                                     header.nTextLayer, header.nMels, header.ftype})
        out.i32(value);
    const std::vector<float> mel = melFilters(header.nMels);
    out.i32(header.nMels);
    out.i32(kMelFftBins);
    out.raw(mel.data(), mel.size() * 4);
    out.i32(static_cast<std::int32_t>(vocabulary.size()));
    for (const std::string& token : vocabulary) {
        out.i32(static_cast<std::int32_t>(token.size()));
        out.raw(token.data(), token.size());
    }
    std::uint64_t total = 0, done = 0;
    for (const auto& [layout, where] : plan) total += where.tensor.end - where.tensor.begin;
    std::vector<float> values;
    std::vector<ggml_fp16_t> half16;
    for (const auto& [layout, where] : plan) {
        if (!readValues(where, values)) {
            return badInput(utf8(where.file) + ": tensor \"" + where.tensor.name + "\" cannot be read");
        }
        const bool half = layout.kind == TensorKind::Weight ? halves.weights
                          : layout.kind == TensorKind::Conv ? halves.convolutions
                                                            : false;
        out.i32(static_cast<std::int32_t>(layout.ne.size()));
        out.i32(static_cast<std::int32_t>(layout.name.size()));
        out.i32(half ? kFileF16 : kFileF32);
        for (const std::int64_t size : layout.ne) out.i32(static_cast<std::int32_t>(size));
        out.raw(layout.name.data(), layout.name.size());
        if (half) {
            half16.resize(values.size());
            ggml_fp32_to_fp16_row(values.data(), half16.data(), static_cast<std::int64_t>(values.size()));
            out.raw(half16.data(), half16.size() * 2);
        } else {
            out.raw(values.data(), values.size() * 4);
        }
        if (!out.ok()) return {kConvertCannotWrite, utf8(path) + ": write failed"};
        done += where.tensor.end - where.tensor.begin;
        if (progress && total > 0) progress(static_cast<double>(done) / static_cast<double>(total));
    }
    if (!out.close()) return {kConvertCannotWrite, utf8(path) + ": write failed"};
    return {};
}

// Removes the file when the scope ends, unless told to keep it.
class TemporaryFile {
public:
    explicit TemporaryFile(fs::path path) : path(std::move(path)) {}
    ~TemporaryFile() {
        std::error_code ignored;
        if (!kept) fs::remove(path, ignored);
    }
    const fs::path& where() const { return path; }
    void keep() { kept = true; }

private:
    fs::path path;
    bool kept = false;
};

}  // namespace

bool parseCheckpointTarget(std::string_view name, CheckpointTarget& target) {
    if (name == "f16") target = CheckpointTarget::F16;
    else if (name == "q8_0") target = CheckpointTarget::Q8_0;
    else if (name == "q5_0") target = CheckpointTarget::Q5_0;
    else return false;
    return true;
}

ConvertOutcome convertCheckpoint(const std::string& folderName, const std::string& output, CheckpointTarget target,
                                 const std::function<void(double)>& progress) {
    const fs::path folder = fs::u8path(folderName);
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
    bool allHalf = true;
    for (const TensorLayout& layout : modelTensors(dimensions.header)) {
        const std::string name = checkpointNameOf(layout.name);
        const auto found = tensors.find(name);
        if (found == tensors.end()) return badInput(utf8(folder) + ": tensor \"" + name + "\" missing");
        const std::vector<std::uint64_t> expected = checkpointShapeOf(layout);
        if (found->second.tensor.shape != expected)
            return badInput(utf8(found->second.file) + ": tensor \"" + name + "\" is " +
                            shapeText(found->second.tensor.shape) + ", config.json gives " + shapeText(expected));
        allHalf = allHalf && found->second.tensor.dtype == TensorDtype::F16;
        plan.emplace_back(layout, found->second);
        tensors.erase(found);
    }
    for (const auto& [name, where] : tensors) {
        if (!isTiedCheckpointTensor(name)) {
            return badInput(utf8(where.file) + ": tensor \"" + name + "\" is not a whisper tensor");
        }
    }

    const fs::path destination = fs::u8path(output);
    TemporaryFile written(destination.parent_path() / fs::u8path(utf8(destination.filename()) + ".part"));
    const bool quantized = target == CheckpointTarget::Q8_0 || target == CheckpointTarget::Q5_0;
    // A quantized file is made by the library's own quantizer from matrices
    // in F32 (F16 when the source is F16 through and through: nothing is lost).
    HalfTensors halves;
    halves.convolutions = true;
    halves.weights = target == CheckpointTarget::F16 || (quantized && allHalf);
    {
        TemporaryFile plain(destination.parent_path() / fs::u8path(utf8(destination.filename()) + ".f.part"));
        const fs::path& first = quantized ? plain.where() : written.where();
        if (ConvertOutcome outcome = writeWhisperFile(first, dimensions.header, vocabulary.tokens, plan, halves, progress);
            outcome.exitCode != 0)
            return outcome;
        if (quantized) {
            const WeightType type = target == CheckpointTarget::Q8_0 ? WeightType::Q8_0 : WeightType::Q5_0;
            if (const std::string problem = quantizeModelFile(utf8(plain.where()), utf8(written.where()), type);
                !problem.empty())
                return {kConvertCannotWrite, problem};
        }
    }
    if (const std::string problem = checkModelFile(utf8(written.where()).c_str()); !problem.empty())
        return badInput(utf8(folder) + ": the written model fails its check: " + problem);
    std::error_code renamed;
    fs::rename(written.where(), destination, renamed);
    if (renamed) return {kConvertCannotWrite, utf8(destination) + ": " + renamed.message()};
    written.keep();
    return {};
}
