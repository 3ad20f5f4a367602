#pragma once
// A Hugging Face whisper checkpoint folder (config.json, vocab.json and the
// weights as model.safetensors or shards with model.safetensors.index.json)
// turned into a whisper model file the program loads. Never a partial
// output: the file is written beside the target under a temporary name,
// checked the way the program checks a model before loading it, and only
// then renamed over the target; on any failure the temporary file is gone
// and an existing target untouched. One tensor in memory at a time.

#include <functional>
#include <string>
#include <string_view>

#include "model/quantize.h"

// No F32 output: the library loads an all-F32 file and then ends the process
// at its first recognition (its convolution takes F16 kernels only).
enum class CheckpointTarget { F16, Q8_0, Q5_0 };

// "f16", "q8_0", "q5_0"; false for any other name.
bool parseCheckpointTarget(std::string_view name, CheckpointTarget& target);

inline constexpr int kConvertBadInput = 2;
inline constexpr int kConvertCannotWrite = 3;

struct ConvertOutcome {
    int exitCode = 0;   // 0, kConvertBadInput or kConvertCannotWrite
    std::string error;  // English, naming the file and what is wrong
};

// Paths in UTF-8. progress, when given, hears the share of the weights'
// bytes done so far (0 to 1) after each tensor.
ConvertOutcome convertCheckpoint(const std::string& folder, const std::string& output, CheckpointTarget target,
                                 const std::function<void(double)>& progress = {});
