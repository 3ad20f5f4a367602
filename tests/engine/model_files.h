#pragma once
// Model files the engine tests share: written once per test process into a
// private temporary folder, removed when the process ends.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "model/quantize.h"

namespace testmodels {

// UTF-8: Uzbek letters with U+02BB and U+2019, Cyrillic, and U+1F600 outside the BMP.
inline const std::string kSentence = "Salom dunyo! Oʻzbekiston gʻalla qishloq xoʻjaligi, ma’no — Ўзбек 😀 tamom.";

std::filesystem::path folder();
std::string scripted();  // micro model that says kSentence
std::string scriptedAs(WeightType type);  // the same, its weights quantized by the library
std::string silence();   // micro model that recognises nothing
std::vector<std::uint8_t> readBytes(const std::string& path);
std::string writeBytes(const std::string& name, const std::vector<std::uint8_t>& bytes);

}  // namespace testmodels
