#pragma once
// Writes a whisper model file record by record: magic, header, mel filters,
// vocabulary, then the tensors one at a time, each given as F32 values and
// stored as the file's weight type asks. The types follow the library's own
// quantizer (examples/common-ggml): matrices take the weight type,
// convolution kernels stay F16, 1-D tensors, conv biases and positional
// embeddings stay F32; a quantized matrix is made by the library's
// ggml_quantize_chunk, so the bytes are those its own tool writes.

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "engine/model_layout.h"
#include "model/quantize.h"

// The header's ftype for a file of this weight type (with the library's
// quantization version for quantized types).
std::int32_t fileTypeOf(WeightType type);

class WhisperFileWriter {
public:
    // Creates (truncates) the file; ok() says whether that worked.
    WhisperFileWriter(const std::filesystem::path& path, WeightType type);
    bool ok() const { return static_cast<bool>(out_); }

    // header.ftype is replaced by the writer's type; melFilters holds
    // header.nMels rows of kMelFftBins weights.
    void writePreamble(ModelHeader header, const std::vector<float>& melFilters,
                       const std::vector<std::string>& vocabulary);
    // values hold elementCount(layout) floats, innermost dimension first.
    void writeTensor(const TensorLayout& layout, const std::vector<float>& values);
    // Flushes and closes; false when any write failed.
    bool close();

private:
    void i32(std::int32_t value) { out_.write(reinterpret_cast<const char*>(&value), 4); }
    void raw(const void* data, std::size_t bytes) {
        out_.write(static_cast<const char*>(data), static_cast<std::streamsize>(bytes));
    }

    std::ofstream out_;
    WeightType type_;
    std::vector<char> scratch_;
};
