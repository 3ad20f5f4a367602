#pragma once
// Hugging Face checkpoint folders made from whisper model files (the
// scripted test models): the weights under checkpoint names and shapes, in
// F32, F16 or BF16, in one safetensors file or in shards with their index,
// and config.json and vocab.json as a published fine-tune has them.

#include <string>

#include "model/safetensors.h"

struct CheckpointShape {
    TensorDtype dtype = TensorDtype::F32;
    int shards = 1;              // more than one: model-0000K-of-0000N.safetensors and the index
    bool tiedProjection = true;  // proj_out.weight, as the published checkpoints carry it
};

// "" or what went wrong. The folder is created when missing.
std::string writeCheckpointFrom(const std::string& modelPath, const std::string& folder, const CheckpointShape& shape);
