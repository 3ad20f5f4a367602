// Quantized model files made by the library's own quantizer: they load and
// recognise exactly, and the copy fails cleanly on what it cannot copy.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "engine/model_file_check.h"
#include "engine/recognition_engine.h"
#include "engine/velto.h"
#include "model/quantize.h"
#include "tests/engine/model_files.h"

namespace {

std::int32_t headerFtype(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::int32_t words[12] = {};
    in.read(reinterpret_cast<char*>(words), sizeof words);
    return words[11];
}

std::string recognise(const std::string& model) {
    velto_set_log_callback([](const char*) {});
    if (velto_load(model.c_str(), 0) != 0) return std::string("load failed: ") + velto_last_error();
    std::vector<float> samples(kRecognitionRate * 3);
    for (std::size_t i = 0; i < samples.size(); ++i) samples[i] = 0.4f * std::sin(static_cast<float>(i) * 0.05f);
    char* text = velto_transcribe(samples.data(), static_cast<int>(samples.size()), 2);
    std::string result = text != nullptr ? text : std::string("<null> ") + velto_last_error();
    velto_free_text(text);
    velto_unload();
    return result;
}

}  // namespace

TEST(QuantizedModels, EveryTypeSaysTheScriptExactlyAndIsSmaller) {
    struct Case {
        WeightType type;
        std::int32_t ftype;  // 2000 + the library's file type
    };
    const auto f16Size = std::filesystem::file_size(testmodels::scripted());
    for (const Case c : {Case{WeightType::Q8_0, 2007}, Case{WeightType::Q5_0, 2008}}) {
        SCOPED_TRACE(weightTypeName(c.type));
        const std::string model = testmodels::scriptedAs(c.type);
        EXPECT_EQ(headerFtype(model), c.ftype);
        EXPECT_LT(std::filesystem::file_size(model), f16Size * 6 / 10);
        EXPECT_EQ(checkModelFile(model.c_str()), "");
        EXPECT_EQ(recognise(model), testmodels::kSentence);
    }
}

TEST(QuantizedModels, TypeNamesRoundTrip) {
    for (const char* name : {"f16", "q8_0", "q5_0"}) {
        WeightType type = WeightType::F16;
        ASSERT_TRUE(parseWeightType(name, type)) << name;
        EXPECT_STREQ(weightTypeName(type), name);
    }
    WeightType type = WeightType::Q8_0;
    for (const char* name : {"", "Q8_0", "q4_0", "f32", "q8"}) EXPECT_FALSE(parseWeightType(name, type)) << name;
}

TEST(QuantizedModels, WhatCannotBeQuantizedLeavesNoFileBehind) {
    const std::string out = (testmodels::folder() / "quantized-out.bin").string();
    const std::string missing = (testmodels::folder() / "absent.bin").string();
    const std::string notModel = testmodels::writeBytes("riff.bin", {'R', 'I', 'F', 'F', 1, 2, 3, 4});
    const std::string cutShort = testmodels::writeBytes("cut.bin", {'l', 'm', 'g', 'g', 1, 0, 0, 0});
    struct Case {
        std::string input;
        WeightType type;
        std::string problem;
    };
    const Case cases[] = {
        {missing, WeightType::Q8_0, "cannot read " + missing},
        {notModel, WeightType::Q8_0, "not a whisper model file"},
        {cutShort, WeightType::Q5_0, "header truncated"},
        {testmodels::scriptedAs(WeightType::Q8_0), WeightType::Q5_0, "the source must be an F16 or F32 model"},
        {testmodels::scripted(), WeightType::F16, "f16 is not a quantized type"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(quantizeModelFile(c.input, out, c.type), c.problem) << c.input;
        EXPECT_FALSE(std::filesystem::exists(out)) << c.input;
    }
}
