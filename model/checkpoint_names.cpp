#include "model/checkpoint_names.h"

#include <array>
#include <utility>

namespace {

// Whole names first; then the parts, in an order where no rule makes
// another one match.
constexpr std::array<std::pair<const char*, const char*>, 3> kWholeNames = {{
    {"encoder.positional_embedding", "encoder.embed_positions.weight"},
    {"decoder.positional_embedding", "decoder.embed_positions.weight"},
    {"decoder.token_embedding.weight", "decoder.embed_tokens.weight"},
}};

constexpr std::array<std::pair<const char*, const char*>, 14> kParts = {{
    {"encoder.ln_post.", "encoder.layer_norm."},
    {"decoder.ln.", "decoder.layer_norm."},
    {".blocks.", ".layers."},
    {".cross_attn_ln.", ".encoder_attn_layer_norm."},
    {".attn_ln.", ".self_attn_layer_norm."},
    {".mlp_ln.", ".final_layer_norm."},
    {".mlp.0.", ".fc1."},
    {".mlp.2.", ".fc2."},
    {".cross_attn.", ".encoder_attn."},
    {".attn.", ".self_attn."},
    {".query.", ".q_proj."},
    {".key.", ".k_proj."},
    {".value.", ".v_proj."},
    {".out.", ".out_proj."},
}};

bool isConvBias(const std::string& name) { return name == "encoder.conv1.bias" || name == "encoder.conv2.bias"; }

}  // namespace

std::string checkpointNameOf(const std::string& whisperName) {
    for (const auto& [whisper, checkpoint] : kWholeNames) {
        if (whisperName == whisper) return std::string("model.") + checkpoint;
    }
    std::string name = whisperName;
    for (const auto& [from, to] : kParts) {
        const std::string part = from;
        if (const std::size_t at = name.find(part); at != std::string::npos) name.replace(at, part.size(), to);
    }
    return "model." + name;
}

bool isTiedCheckpointTensor(const std::string& checkpointName) { return checkpointName == "proj_out.weight"; }

std::vector<std::uint64_t> checkpointShapeOf(const TensorLayout& tensor) {
    if (isConvBias(tensor.name)) return {static_cast<std::uint64_t>(tensor.ne.at(1))};
    std::vector<std::uint64_t> shape;
    for (auto it = tensor.ne.rbegin(); it != tensor.ne.rend(); ++it) shape.push_back(static_cast<std::uint64_t>(*it));
    return shape;
}
