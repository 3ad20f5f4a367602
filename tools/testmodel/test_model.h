#pragma once
// Writes whisper-format model files for tests and benchmarks: random weights at
// real dimensions, and "scripted" models whose decoder ignores the audio and
// walks a fixed chain of tokens, so recognition yields a known text.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "engine/model_layout.h"
#include "model/quantize.h"

// micro: a few MB, loads in milliseconds; tiny, base and small: the real dimensions.
bool presetHeader(const std::string& preset, ModelHeader& header);

// The pieces a scripted text is cut into, one token each: a word with the
// blanks before it; a character outside the BMP is split into two tokens.
std::vector<std::string> scriptTokens(const std::string& utf8);

// How many script tokens a model with this text state size can chain.
int scriptCapacity(const ModelHeader& header);

// Each returns "" on success, otherwise what went wrong.
std::string writeRandomModel(const std::string& path, const ModelHeader& header, std::uint64_t seed = 1);
std::string writeScriptedModel(const std::string& path, const ModelHeader& header, const std::string& utf8);
// Recognition succeeds with no segment at all, whatever the audio.
std::string writeSilenceModel(const std::string& path, const ModelHeader& header);

// Writes a model with `writeF16` (one of the writers above) and, for a
// quantized type, turns it into that type with the library's quantizer,
// through an F16 file beside `path` that is removed afterwards.
std::string writeModelAs(const std::string& path, WeightType type,
                         const std::function<std::string(const std::string&)>& writeF16);
