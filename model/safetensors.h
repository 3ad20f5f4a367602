#pragma once
// The table of a safetensors file (a Hugging Face checkpoint's weights):
// a little-endian u64 N, N bytes of JSON naming each tensor's dtype, shape
// and data offsets (counted from the end of the header), then the data.
// Every claim of the header is checked against the file's size before any
// data is read, so a malformed or hostile file is an error, never a read
// outside the file. Pure apart from readSafetensorsTable's file access.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

enum class TensorDtype { F32, F16, BF16 };

// Bytes per element: 4, 2, 2.
std::uint64_t dtypeBytes(TensorDtype dtype);

struct SafetensorsTensor {
    std::string name;
    TensorDtype dtype = TensorDtype::F32;
    std::vector<std::uint64_t> shape;
    std::uint64_t begin = 0;  // where its data starts and ends, from the start of the file
    std::uint64_t end = 0;
    std::uint64_t elements() const;  // the product of the shape (1 for a scalar)
};

struct SafetensorsTable {
    std::vector<SafetensorsTensor> tensors;  // in the order of their data in the file
    std::string error;                       // what is wrong (English); empty when sound
};

// A header longer than this is refused before it is read (a whisper
// checkpoint's is a few tens of kilobytes).
inline constexpr std::uint64_t kLongestSafetensorsHeader = 64ull << 20;

// From the file's first bytes (at least the 8 of the length and the header,
// or the error says the header runs past them) and the file's whole size.
SafetensorsTable parseSafetensorsTable(std::string_view firstBytes, std::uint64_t fileSize);

// Reads only the length and the header of the file at path (UTF-8).
SafetensorsTable readSafetensorsTable(const std::string& path);
