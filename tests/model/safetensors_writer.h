#pragma once
// Safetensors files as the tests need them: sound ones from a list of
// tensors, and any header text at all over any data.

#include <cstdint>
#include <string>
#include <vector>

struct WrittenTensor {
    std::string name;
    std::string dtype;  // "F32", "F16", "BF16", or anything a test wants to see refused
    std::vector<std::uint64_t> shape;
    std::string data;   // the tensor's bytes
};

// The tensors' data one after the other, in the list's order.
std::string safetensorsFile(const std::vector<WrittenTensor>& tensors, const std::string& metadataJson = "");
// The length, the header text as given, then the data.
std::string safetensorsWithHeader(const std::string& header, const std::string& data);
