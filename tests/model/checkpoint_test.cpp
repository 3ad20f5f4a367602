// What a checkpoint's config.json and vocab.json give a whisper file, and
// which checkpoint tensor each whisper tensor is read from.

#include <set>

#include <gtest/gtest.h>

#include "model/checkpoint_config.h"
#include "model/checkpoint_names.h"
#include "tools/testmodel/test_model.h"

namespace {

// whisper-small's config.json, with a generation limit unlike its table size.
const std::string kSmallConfig = R"({"vocab_size": 51865, "num_mel_bins": 80, "d_model": 768,
  "encoder_layers": 12, "encoder_attention_heads": 12, "decoder_layers": 12, "decoder_attention_heads": 12,
  "max_source_positions": 1500, "max_target_positions": 448, "max_length": 225, "activation_function": "gelu"})";

}  // namespace

TEST(CheckpointConfig, TheHeaderComesFromTheConfigWithTheTextTableSize) {
    const ConfigReading small = readCheckpointConfig(kSmallConfig);
    ASSERT_EQ(small.error, "");
    ModelHeader expected{51865, 1500, 768, 12, 12, 448, 768, 12, 12, 80, 0};
    const ModelHeader& h = small.header;
    EXPECT_EQ(std::vector<int>({h.nVocab, h.nAudioCtx, h.nAudioState, h.nAudioHead, h.nAudioLayer, h.nTextCtx,
                                h.nTextState, h.nTextHead, h.nTextLayer, h.nMels, h.ftype}),
              std::vector<int>({expected.nVocab, expected.nAudioCtx, expected.nAudioState, expected.nAudioHead,
                                expected.nAudioLayer, expected.nTextCtx, expected.nTextState, expected.nTextHead,
                                expected.nTextLayer, expected.nMels, expected.ftype}));

    const auto with = [](const std::string& from, const std::string& to) {
        std::string config = kSmallConfig;
        config.replace(config.find(from), from.size(), to);
        return config;
    };
    const struct {
        std::string config;
        const char* error;
    } bad[] = {
        {"[]", "config.json is not a JSON object"},
        {"{\"vocab_size\": ", "config.json is not a JSON object"},
        {with("\"d_model\": 768,", ""), "config.json has no d_model"},
        {with("\"encoder_layers\": 12", "\"encoder_layers\": 0"), "config.json: encoder_layers is 0"},
        {with("\"num_mel_bins\": 80", "\"num_mel_bins\": \"80\""), "config.json: num_mel_bins is \"80\""},
        {with("\"vocab_size\": 51865", "\"vocab_size\": 4294967297"), "config.json: vocab_size is 4294967297"},
        {with("\"max_target_positions\": 448", "\"max_target_positions\": 44.8"), "max_target_positions is 44.8"},
        {with("\"decoder_attention_heads\": 12", "\"decoder_attention_heads\": 7"), "does not divide among"},
    };
    for (const auto& c : bad) {
        EXPECT_NE(readCheckpointConfig(c.config).error.find(c.error), std::string::npos)
            << c.error << ": " << readCheckpointConfig(c.config).error;
    }
}

TEST(CheckpointVocabulary, ByteLevelStringsBecomeBytesUpToTheEndOfText) {
    EXPECT_EQ(byteLevelCharacter('!'), U'!');
    EXPECT_EQ(byteLevelCharacter(' '), U'\u0120');
    EXPECT_EQ(byteLevelCharacter(0), U'\u0100');
    EXPECT_EQ(byteLevelCharacter(173), U'\u0143');
    EXPECT_EQ(byteLevelCharacter(0xC3), U'\u00C3');

    // "Ġ" is a space; "Ã¼" the two bytes of "ü"; ids past <|endoftext|> are special.
    const VocabularyReading read = readCheckpointVocabulary(
        R"({"<|uz|>": 4, "Ġa": 1, "!": 0, "Ã¼": 2, "<|endoftext|>": 3, "Ċ": 5})", 6);
    ASSERT_EQ(read.error, "");
    EXPECT_EQ(read.tokens, (std::vector<std::string>{"!", " a", "\xC3\xBC"}));

    const struct {
        const char* vocab;
        int nVocab;
        const char* error;
    } bad[] = {
        {"[1]", 10, "vocab.json is not a JSON object"},
        {R"({"a": 0, "c": 2, "<|endoftext|>": 3})", 10, "no token for id 1"},
        {R"({"a": 0, "b": 0, "<|endoftext|>": 2})", 10, "id 0 twice"},
        {R"({"a": 0, "\u4e00": 1})", 10, "token 1 is not in the byte alphabet"},
        {R"({"a": 0, "b": "1"})", 10, "the id of \"b\" is \"1\""},
        {R"({"a": 0, "b": 1, "<|endoftext|>": 2})", 1, "2 tokens for a vocabulary of 1"},
    };
    for (const auto& c : bad) {
        const VocabularyReading reading = readCheckpointVocabulary(c.vocab, c.nVocab);
        EXPECT_NE(reading.error.find(c.error), std::string::npos) << c.error << ": " << reading.error;
        EXPECT_TRUE(reading.tokens.empty()) << c.error;
    }
}

TEST(CheckpointNames, EveryWhisperTensorHasItsOwnCheckpointTensor) {
    const struct {
        const char* whisper;
        const char* checkpoint;
    } names[] = {
        {"encoder.conv1.weight", "model.encoder.conv1.weight"},
        {"encoder.positional_embedding", "model.encoder.embed_positions.weight"},
        {"encoder.ln_post.bias", "model.encoder.layer_norm.bias"},
        {"decoder.token_embedding.weight", "model.decoder.embed_tokens.weight"},
        {"decoder.positional_embedding", "model.decoder.embed_positions.weight"},
        {"decoder.ln.weight", "model.decoder.layer_norm.weight"},
        {"encoder.blocks.3.attn.query.weight", "model.encoder.layers.3.self_attn.q_proj.weight"},
        {"encoder.blocks.11.attn.out.bias", "model.encoder.layers.11.self_attn.out_proj.bias"},
        {"encoder.blocks.0.attn_ln.weight", "model.encoder.layers.0.self_attn_layer_norm.weight"},
        {"encoder.blocks.0.mlp_ln.bias", "model.encoder.layers.0.final_layer_norm.bias"},
        {"decoder.blocks.2.mlp.0.weight", "model.decoder.layers.2.fc1.weight"},
        {"decoder.blocks.2.mlp.2.bias", "model.decoder.layers.2.fc2.bias"},
        {"decoder.blocks.1.cross_attn.key.weight", "model.decoder.layers.1.encoder_attn.k_proj.weight"},
        {"decoder.blocks.1.cross_attn.value.bias", "model.decoder.layers.1.encoder_attn.v_proj.bias"},
        {"decoder.blocks.1.cross_attn_ln.weight", "model.decoder.layers.1.encoder_attn_layer_norm.weight"},
    };
    for (const auto& n : names) EXPECT_EQ(checkpointNameOf(n.whisper), n.checkpoint);
    EXPECT_TRUE(isTiedCheckpointTensor("proj_out.weight"));

    ModelHeader header;
    ASSERT_TRUE(presetHeader("tiny", header));
    const std::vector<TensorLayout> tensors = modelTensors(header);
    std::set<std::string> checkpoint;
    for (const TensorLayout& tensor : tensors) checkpoint.insert(checkpointNameOf(tensor.name));
    EXPECT_EQ(checkpoint.size(), tensors.size()) << "two whisper tensors read the same checkpoint tensor";
    EXPECT_EQ(tensors.size(), 7u + 15u * 4 + 4u + 24u * 4);
    for (const TensorLayout& tensor : tensors) {
        if (tensor.name == "encoder.conv1.bias") {
            EXPECT_EQ(checkpointShapeOf(tensor), (std::vector<std::uint64_t>{384}));
        }
        if (tensor.name == "encoder.conv1.weight") {
            EXPECT_EQ(checkpointShapeOf(tensor), (std::vector<std::uint64_t>{384, 80, 3}));
        }
    }
}
