#pragma once
// Which checkpoint tensor becomes which tensor of a whisper model file.
// Nothing is transposed: the file's dimensions are the checkpoint's shape
// read from the innermost out.

#include <string>
#include <vector>

#include "engine/model_layout.h"

// "encoder.blocks.3.attn.query.weight" -> "model.encoder.layers.3.self_attn.q_proj.weight".
std::string checkpointNameOf(const std::string& whisperName);

// The checkpoint's tensors a converter leaves out: the output projection
// is the token embedding again.
bool isTiedCheckpointTensor(const std::string& checkpointName);

// The checkpoint shape a whisper tensor reads from: its dimensions outermost
// first, the convolution biases ([d] in the checkpoint, [1, d] in the file)
// as the checkpoint has them.
std::vector<std::uint64_t> checkpointShapeOf(const TensorLayout& tensor);
