// Malformed model files must fail the load with a reason, never end the process.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "engine/model_file_check.h"
#include "engine/velto.h"
#include "tests/engine/model_files.h"
#include "tools/testmodel/test_model.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr std::size_t kHeaderField = 4;                       // after the magic
constexpr std::size_t kMelStart = 4 + 11 * 4;                  // n_mel, n_fft, filters
constexpr std::size_t kVocabStart = kMelStart + 8 + 80 * 201 * 4;  // count, then tokens

void setInt(Bytes& b, std::size_t offset, std::int32_t v) { std::memcpy(&b[offset], &v, 4); }
std::int32_t getInt(const Bytes& b, std::size_t offset) {
    std::int32_t v;
    std::memcpy(&v, &b[offset], 4);
    return v;
}
std::size_t field(int index) { return kHeaderField + 4 * static_cast<std::size_t>(index); }
enum Field { Vocab, AudioCtx, AudioState, AudioHead, AudioLayer, TextCtx, TextState, TextHead, TextLayer, Mels, Ftype };

// Offset of the first tensor record: just past the vocabulary.
std::size_t tensorStart(const Bytes& b) {
    std::size_t pos = kVocabStart;
    const std::int32_t count = getInt(b, pos);
    pos += 4;
    for (std::int32_t i = 0; i < count; ++i) pos += 4 + static_cast<std::uint32_t>(getInt(b, pos));
    return pos;
}

Bytes goodModel() { return testmodels::readBytes(testmodels::scripted()); }

struct BadCase {
    const char* name;
    std::function<void(Bytes&)> spoil;
    const char* reason;  // what the check says; the load error is "invalid model file: " + reason
};

const BadCase kCases[] = {
    {"header_cut_at_30_bytes", [](Bytes& b) { b.resize(30); }, "header truncated"},
    {"audio_heads_not_dividing", [](Bytes& b) { setInt(b, field(AudioHead), 5); }, "audio heads do not divide the audio state"},
    {"text_heads_not_dividing", [](Bytes& b) { setInt(b, field(TextHead), 3); }, "text heads do not divide the text state"},
    {"zero_layers", [](Bytes& b) { setInt(b, field(AudioLayer), 0); }, "header has a zero or negative dimension"},
    {"negative_vocab", [](Bytes& b) { setInt(b, field(Vocab), -7); }, "header has a zero or negative dimension"},
    {"small_vocab", [](Bytes& b) { setInt(b, field(Vocab), 1000); }, "unsupported vocabulary size 1000"},
    {"states_differ", [](Bytes& b) { setInt(b, field(TextState), 32); setInt(b, field(TextHead), 2); }, "audio and text state sizes differ"},
    {"tiny_text_context", [](Bytes& b) { setInt(b, field(TextCtx), 2); }, "text context too small"},
    {"bad_ftype", [](Bytes& b) { setInt(b, field(Ftype), 77); }, "bad ftype"},
    {"all_f32", [](Bytes& b) { setInt(b, field(Ftype), 0); }, "all-F32 model files are not supported (F16 convolutions needed)"},
    {"mels_mismatch", [](Bytes& b) { setInt(b, field(Mels), 81); }, "mel filter size does not match the header"},
    {"vocab_without_space",
     [](Bytes& b) {
         const std::uint8_t space[5] = {1, 0, 0, 0, ' '};
         for (std::size_t i = kVocabStart + 4; i + 5 <= b.size(); ++i)
             if (std::memcmp(&b[i], space, 5) == 0) {
                 b[i + 4] = '!';
                 return;
             }
     },
     "vocabulary lacks the token \" \""},
    {"cut_inside_vocab", [](Bytes& b) { b.resize(kVocabStart + 3000); }, "vocabulary truncated"},
    {"huge_token_length", [](Bytes& b) { setInt(b, kVocabStart + 4, 0x7FFFFFF0); }, "vocabulary truncated"},
    {"no_tensors", [](Bytes& b) { b.resize(tensorStart(b)); }, "tensor encoder.positional_embedding is missing"},
    {"cut_inside_tensor_data", [](Bytes& b) { b.resize(b.size() - 1000); }, "tensor data truncated"},
    {"cut_inside_tensor_record", [](Bytes& b) { b.resize(tensorStart(b) + 6); }, "tensor record truncated"},
    {"seven_dimensions", [](Bytes& b) { setInt(b, tensorStart(b), 7); }, "tensor with a bad dimension count"},
    {"negative_name_length", [](Bytes& b) { setInt(b, tensorStart(b) + 4, -1); }, "tensor with a bad name length"},
    {"unknown_tensor_type", [](Bytes& b) { setInt(b, tensorStart(b) + 8, 99); }, "tensor with an unknown type"},
    {"removed_tensor_type", [](Bytes& b) { setInt(b, tensorStart(b) + 8, 4); }, "tensor with an unknown type"},
    {"wrong_shape", [](Bytes& b) { setInt(b, tensorStart(b) + 12, 63); }, "tensor encoder.positional_embedding has the wrong shape"},
    {"renamed_tensor", [](Bytes& b) { b[tensorStart(b) + 12 + 8] = 'X'; }, "unknown tensor Xncoder.positional_embedding"},
};

class BadModel : public ::testing::TestWithParam<BadCase> {};

}  // namespace

TEST_P(BadModel, LoadFailsWithAReasonAndTheProcessGoesOn) {
    Bytes bytes = goodModel();
    GetParam().spoil(bytes);
    const std::string path = testmodels::writeBytes(std::string(GetParam().name) + ".bin", bytes);
    EXPECT_EQ(checkModelFile(path.c_str()), GetParam().reason);
    velto_unload();
    EXPECT_EQ(velto_load(path.c_str(), 1), 1);
    EXPECT_EQ(std::string(velto_last_error()), std::string("invalid model file: ") + GetParam().reason);
    EXPECT_STREQ(velto_backend(), "");
}

INSTANTIATE_TEST_SUITE_P(Files, BadModel, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ModelFileCheck, AcceptsTheModelsWeWrite) {
    EXPECT_EQ(checkModelFile(testmodels::scripted().c_str()), "");
    EXPECT_EQ(checkModelFile(testmodels::silence().c_str()), "");
    ModelHeader header;
    ASSERT_TRUE(presetHeader("micro", header));
    const std::string random = (testmodels::folder() / "random.bin").string();
    ASSERT_EQ(writeRandomModel(random, header), "");
    EXPECT_EQ(checkModelFile(random.c_str()), "");
    velto_unload();
    EXPECT_EQ(velto_load(random.c_str(), 0), 0) << velto_last_error();
    velto_unload();
}

TEST(ModelFileCheck, LeavesNonModelsToTheLibrary) {
    // Missing, empty and foreign files are rejected cleanly by the library itself.
    EXPECT_EQ(checkModelFile((testmodels::folder() / "missing.bin").string().c_str()), "");
    EXPECT_EQ(checkModelFile(testmodels::writeBytes("three.bin", {1, 2, 3}).c_str()), "");
    EXPECT_EQ(checkModelFile(testmodels::writeBytes("wav.bin", {'R', 'I', 'F', 'F', 1, 2, 3, 4}).c_str()), "");
}
