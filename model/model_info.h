#pragma once
// What a whisper model file is, in words: for `vornika-model info` and the
// settings window's model row. Reading is the program's own model-file check
// plus the header; the rest are pure functions of the header.

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "engine/model_layout.h"

struct ModelDescription {
    ModelHeader header;
    std::uint64_t fileBytes = 0;
    std::string error;  // English; "" when the file passed the check
};

// path in UTF-8.
ModelDescription describeModelFile(const std::string& path);

// tiny, base, small, medium or large when the dimensions are those of the
// published size; custom otherwise.
const char* sizeClassOf(const ModelHeader& header);
// f32, f16, q8_0, q5_0, ... from the header's ftype; "unknown" otherwise.
std::string weightTypeOfFile(std::int32_t ftype);
bool isMultilingual(const ModelHeader& header);
// The weights plus the library's caches and work buffers for one greedy
// decoder, as the library sizes them for this header (an estimate).
std::uint64_t expectedMemoryBytes(const ModelHeader& header, std::uint64_t fileBytes);

// The `name value` lines of `vornika-model info`, in order.
std::vector<std::pair<std::string, std::string>> modelInfoLines(const ModelDescription& model);
