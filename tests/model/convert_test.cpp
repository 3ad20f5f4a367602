// Checkpoint folders made from the scripted test model, converted, loaded
// and run through the real library: the scripted sentence must come back
// exactly. Faulty folders are refused without leaving anything behind.

#include "model/checkpoint_convert.h"
#include "model/model_info.h"
#include "model/requantize.h"
#include "tools/testmodel/test_model.h"

#include <cmath>
#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>

#include "engine/recognition_engine.h"
#include "engine/velto.h"
#include "tests/engine/model_files.h"
#include "tests/model/checkpoint_writer.h"
#include "tests/support/temp_folder.h"

namespace fs = std::filesystem;

namespace {

std::string recognise(const std::string& model) {
    if (velto_load(model.c_str(), 0) != 0) return std::string("load failed: ") + velto_last_error();
    std::vector<float> samples(kRecognitionRate * 2);
    for (std::size_t i = 0; i < samples.size(); ++i) samples[i] = 0.3f * std::sin(static_cast<float>(i) * 0.07f);
    char* text = velto_transcribe(samples.data(), static_cast<int>(samples.size()), 2);
    std::string result = text != nullptr ? text : "<null>";
    velto_free_text(text);
    velto_unload();
    return result;
}

std::string u8(const std::wstring& path) {
    const std::u8string text = fsPath(path).u8string();
    return std::string(text.begin(), text.end());
}

}  // namespace

TEST(Convert, ACheckpointOfTheScriptedModelSaysItsSentenceInEveryFormAndType) {
    const struct {
        CheckpointShape source;
        const char* type;
    } cases[] = {
        {{TensorDtype::F32, 1, true}, "f16"},
        {{TensorDtype::F16, 3, true}, "q8_0"},
        {{TensorDtype::BF16, 1, false}, "f16"},
        {{TensorDtype::F32, 2, true}, "q5_0"},
    };
    for (const auto& c : cases) {
        TempFolder work;
        const std::string folder = u8(work / L"checkpoint");
        ASSERT_EQ(writeCheckpointFrom(testmodels::scripted(), folder, c.source), "");
        WeightType target;
        ASSERT_TRUE(parseWeightType(c.type, target));
        const std::string output = u8(work / L"ggml-veltostt.bin");
        const ConvertOutcome outcome = convertCheckpoint(folder, output, target);
        ASSERT_EQ(outcome.error, "") << c.type;
        EXPECT_EQ(recognise(output), testmodels::kSentence) << c.type << " from " << c.source.shards << " shard(s)";
        EXPECT_FALSE(fs::exists(fsPath(work / L"ggml-veltostt.bin.part")));
    }
}

TEST(Convert, AFaultyFolderIsRefusedAndLeavesTheTargetAsItWas) {
    TempFolder work;
    const std::string sound = u8(work / L"sound");
    ASSERT_EQ(writeCheckpointFrom(testmodels::scripted(), sound, {}), "");
    const std::wstring target = work / L"model.bin";
    ASSERT_TRUE(writeFile(target, "the model in use"));
    const auto broken = [&](const std::wstring& name, const std::function<void(const fs::path&)>& harm) {
        const fs::path folder = fsPath(work / name);
        fs::copy(fsPath(work / L"sound"), folder);
        harm(folder);
        return u8(work / name);
    };
    const struct {
        std::string folder;
        const char* error;
    } cases[] = {
        {broken(L"pickle", [](const fs::path& f) { fs::rename(f / "model.safetensors", f / "pytorch_model.bin"); }),
         "download the .safetensors files instead"},
        {broken(L"no-config", [](const fs::path& f) { fs::remove(f / "config.json"); }), "config.json: cannot be read"},
        {broken(L"wide", [](const fs::path& f) {
             std::string config = readFile(widePath(f / "config.json"));
             config.replace(config.find("\"d_model\": 64"), 13, "\"d_model\": 128");
             std::ofstream(f / "config.json") << config;
         }),
         "config.json gives"},
        {broken(L"extra", [](const fs::path& f) {
             std::string vocab = readFile(widePath(f / "vocab.json"));
             std::ofstream(f / "vocab.json") << vocab.replace(vocab.find("\"<1>\":1,"), 8, "");
         }),
         "no token for id 1"},
    };
    for (const auto& c : cases) {
        const WeightType type = WeightType::Q8_0;
        const ConvertOutcome outcome = convertCheckpoint(c.folder, u8(target), type);
        EXPECT_EQ(outcome.exitCode, kConvertBadInput) << c.error;
        EXPECT_NE(outcome.error.find(c.error), std::string::npos) << outcome.error;
        EXPECT_EQ(readFile(target), "the model in use") << c.error;
        EXPECT_FALSE(fs::exists(fsPath(target + L".part"))) << c.error;
    }
}

TEST(Convert, A128MelCheckpointKeepsItsFiltersAndItsSentence) {
    TempFolder work;
    ModelHeader header;
    ASSERT_TRUE(presetHeader("micro", header));
    header.nMels = 128;
    const std::string model = u8(work / L"mel128.bin"), folder = u8(work / L"checkpoint");
    ASSERT_EQ(writeScriptedModel(model, header, testmodels::kSentence), "");
    ASSERT_EQ(writeCheckpointFrom(model, folder, {}), "");
    const std::string output = u8(work / L"converted.bin");
    ASSERT_EQ(convertCheckpoint(folder, output, WeightType::F16).error, "");
    EXPECT_EQ(describeModelFile(output).header.nMels, 128);
    EXPECT_EQ(recognise(output), testmodels::kSentence);
}

TEST(Convert, StoppingBetweenTensorsLeavesNothingBehind) {
    TempFolder work;
    const std::string folder = u8(work / L"checkpoint");
    ASSERT_EQ(writeCheckpointFrom(testmodels::scripted(), folder, {}), "");
    const std::wstring target = work / L"model.bin";
    ASSERT_TRUE(writeFile(target, "the model in use"));
    int heard = 0;
    const ConvertOutcome outcome =
        convertCheckpoint(folder, u8(target), WeightType::Q8_0, [&](double) { return ++heard < 3; });
    EXPECT_EQ(outcome.exitCode, kConvertStopped);
    EXPECT_EQ(heard, 3);
    EXPECT_EQ(readFile(target), "the model in use");
    EXPECT_FALSE(fs::exists(fsPath(target + L".part")));
}

// The tensor-by-tensor quantization must write what the library's own tool
// writes from the same file.
TEST(Convert, RequantizingGivesTheLibraryQuantizersBytes) {
    for (const WeightType type : {WeightType::Q8_0, WeightType::Q5_0}) {
        TempFolder work;
        const std::string ours = u8(work / L"ours.bin"), library = u8(work / L"library.bin");
        ASSERT_EQ(requantizeModelFile(testmodels::scripted(), ours, type).error, "");
        ASSERT_EQ(quantizeModelFile(testmodels::scripted(), library, type), "");
        EXPECT_EQ(testmodels::readBytes(ours), testmodels::readBytes(library)) << weightTypeName(type);
    }
}
