#pragma once
// A Hugging Face whisper checkpoint folder (config.json, vocab.json and the
// weights as model.safetensors or shards with model.safetensors.index.json)
// turned into a whisper model file the program loads, quantized as it goes.
// Never a partial output (see model_output.h). One tensor in memory at a time.

#include <string>

#include "model/model_output.h"
#include "model/quantize.h"

// Paths in UTF-8. No F32 output: the library loads an all-F32 file and then
// ends the process at its first recognition (its convolution takes F16
// kernels only), so the weight types are those of WeightType.
ConvertOutcome convertCheckpoint(const std::string& folder, const std::string& output, WeightType type,
                                 const ConvertProgress& progress = {});
