#include "engine/model_layout.h"

namespace {

void add(std::vector<TensorLayout>& out, std::string name, std::vector<std::int64_t> ne, TensorKind kind) {
    out.push_back({std::move(name), std::move(ne), kind});
}

// Self- or cross-attention of one block: query, key (no bias), value, out.
void addAttention(std::vector<TensorLayout>& out, const std::string& prefix, std::int64_t state) {
    add(out, prefix + ".query.weight", {state, state}, TensorKind::Weight);
    add(out, prefix + ".query.bias", {state}, TensorKind::F32);
    add(out, prefix + ".key.weight", {state, state}, TensorKind::Weight);
    add(out, prefix + ".value.weight", {state, state}, TensorKind::Weight);
    add(out, prefix + ".value.bias", {state}, TensorKind::F32);
    add(out, prefix + ".out.weight", {state, state}, TensorKind::Weight);
    add(out, prefix + ".out.bias", {state}, TensorKind::F32);
}

void addNorm(std::vector<TensorLayout>& out, const std::string& prefix, std::int64_t state) {
    add(out, prefix + ".weight", {state}, TensorKind::F32);
    add(out, prefix + ".bias", {state}, TensorKind::F32);
}

void addMlp(std::vector<TensorLayout>& out, const std::string& prefix, std::int64_t state) {
    add(out, prefix + ".0.weight", {state, 4 * state}, TensorKind::Weight);
    add(out, prefix + ".0.bias", {4 * state}, TensorKind::F32);
    add(out, prefix + ".2.weight", {4 * state, state}, TensorKind::Weight);
    add(out, prefix + ".2.bias", {state}, TensorKind::F32);
}

}  // namespace

std::vector<TensorLayout> modelTensors(const ModelHeader& h) {
    std::vector<TensorLayout> out;
    const std::int64_t audio = h.nAudioState;
    const std::int64_t text = h.nTextState;

    add(out, "encoder.positional_embedding", {audio, h.nAudioCtx}, TensorKind::F32);
    add(out, "encoder.conv1.weight", {3, h.nMels, audio}, TensorKind::Conv);
    add(out, "encoder.conv1.bias", {1, audio}, TensorKind::F32);
    add(out, "encoder.conv2.weight", {3, audio, audio}, TensorKind::Conv);
    add(out, "encoder.conv2.bias", {1, audio}, TensorKind::F32);
    addNorm(out, "encoder.ln_post", audio);
    for (int i = 0; i < h.nAudioLayer; ++i) {
        const std::string block = "encoder.blocks." + std::to_string(i);
        addNorm(out, block + ".mlp_ln", audio);
        addMlp(out, block + ".mlp", audio);
        addNorm(out, block + ".attn_ln", audio);
        addAttention(out, block + ".attn", audio);
    }

    add(out, "decoder.positional_embedding", {text, h.nTextCtx}, TensorKind::F32);
    add(out, "decoder.token_embedding.weight", {text, h.nVocab}, TensorKind::Weight);
    addNorm(out, "decoder.ln", text);
    for (int i = 0; i < h.nTextLayer; ++i) {
        const std::string block = "decoder.blocks." + std::to_string(i);
        addNorm(out, block + ".mlp_ln", text);
        addMlp(out, block + ".mlp", text);
        addNorm(out, block + ".attn_ln", text);
        addAttention(out, block + ".attn", text);
        addNorm(out, block + ".cross_attn_ln", text);
        addAttention(out, block + ".cross_attn", text);
    }
    return out;
}

std::int64_t elementCount(const TensorLayout& tensor) {
    std::int64_t n = 1;
    for (std::int64_t d : tensor.ne) n *= d;
    return n;
}
