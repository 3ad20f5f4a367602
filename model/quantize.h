#pragma once
// Quantized copies of whisper model files, made by the whisper library's own
// quantizer (its examples/common-ggml), so that a file we write is laid out
// exactly as the library's own tool would lay it out: header, mel filters and
// vocabulary copied, the matrices quantized, convolutions and 1-D tensors kept.

#include <string>
#include <string_view>

enum class WeightType { F16, Q8_0, Q5_0 };

// "f16", "q8_0", "q5_0"; false for any other name.
bool parseWeightType(std::string_view name, WeightType& type);
const char* weightTypeName(WeightType type);

// Reads `input` (an F16 or F32 whisper model file) and writes `output` with
// its weights as `type`. "" on success, otherwise what went wrong (English);
// a failed copy leaves no output file behind. The library's quantizer prints
// one line per tensor on standard output.
std::string quantizeModelFile(const std::string& input, const std::string& output, WeightType type);
