#pragma once
// The legacy whisper model file: its header and the tensors the header implies.
// Shared by the file check before loading and by the test-model writer.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

inline constexpr std::uint32_t kModelMagic = 0x67676d6c;  // "ggml"
inline constexpr std::int32_t kMelFftBins = 201;            // 1 + 400 / 2
inline constexpr std::int32_t kQuantVersionFactor = 1000;

struct ModelHeader {
    std::int32_t nVocab = 0;
    std::int32_t nAudioCtx = 0;
    std::int32_t nAudioState = 0;
    std::int32_t nAudioHead = 0;
    std::int32_t nAudioLayer = 0;
    std::int32_t nTextCtx = 0;
    std::int32_t nTextState = 0;
    std::int32_t nTextHead = 0;
    std::int32_t nTextLayer = 0;
    std::int32_t nMels = 0;
    std::int32_t ftype = 0;
};

// How a tensor's element type is chosen.
enum class TensorKind {
    F32,     // biases, norms, positional embeddings: always 32-bit float
    Conv,    // convolution kernels: F16 unless the model is all F32
    Weight,  // matrices: the model's weight type (F16 or quantized)
};

struct TensorLayout {
    std::string name;
    std::vector<std::int64_t> ne;  // innermost dimension first
    TensorKind kind = TensorKind::F32;
};

std::vector<TensorLayout> modelTensors(const ModelHeader& header);

std::int64_t elementCount(const TensorLayout& tensor);
