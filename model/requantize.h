#pragma once
// A whisper model file (F16, or F32 matrices with F16 kernels) copied with
// its matrices as another weight type, one tensor at a time, through the
// same writer as the checkpoint conversion: the bytes are those of the
// library's own quantizer, and a stop lands between two tensors. Never a
// partial output (see model_output.h).

#include <string>

#include "model/model_output.h"
#include "model/quantize.h"

// Paths in UTF-8. A source that fails the program's model-file check, or
// whose matrices are already quantized, is bad input.
ConvertOutcome requantizeModelFile(const std::string& input, const std::string& output, WeightType type,
                                   const ConvertProgress& progress = {});
