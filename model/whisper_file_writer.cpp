#include "model/whisper_file_writer.h"

#include <ggml.h>

namespace {

ggml_ftype ftypeOf(WeightType type) {
    switch (type) {
    case WeightType::F16: return GGML_FTYPE_MOSTLY_F16;
    case WeightType::Q8_0: return GGML_FTYPE_MOSTLY_Q8_0;
    case WeightType::Q5_0: return GGML_FTYPE_MOSTLY_Q5_0;
    }
    return GGML_FTYPE_MOSTLY_F16;
}

ggml_type matrixTypeOf(WeightType type) {
    switch (type) {
    case WeightType::F16: return GGML_TYPE_F16;
    case WeightType::Q8_0: return GGML_TYPE_Q8_0;
    case WeightType::Q5_0: return GGML_TYPE_Q5_0;
    }
    return GGML_TYPE_F16;
}

ggml_type storedTypeOf(const TensorLayout& layout, WeightType type) {
    switch (layout.kind) {
    case TensorKind::F32: return GGML_TYPE_F32;
    case TensorKind::Conv: return GGML_TYPE_F16;
    case TensorKind::Weight: return matrixTypeOf(type);
    }
    return GGML_TYPE_F32;
}

}  // namespace

std::int32_t fileTypeOf(WeightType type) {
    const ggml_ftype ftype = ftypeOf(type);
    return type == WeightType::F16 ? ftype : GGML_QNT_VERSION * GGML_QNT_VERSION_FACTOR + ftype;
}

WhisperFileWriter::WhisperFileWriter(const std::filesystem::path& path, WeightType type)
    : out_(path, std::ios::binary | std::ios::trunc), type_(type) {
    // The library's quantization tables are set up by its first context.
    if (type != WeightType::F16) ggml_free(ggml_init({0, nullptr, false}));
}

void WhisperFileWriter::writePreamble(ModelHeader header, const std::vector<float>& melFilters,
                                      const std::vector<std::string>& vocabulary) {
    header.ftype = fileTypeOf(type_);
    i32(static_cast<std::int32_t>(kModelMagic));
    for (const std::int32_t value : {header.nVocab, header.nAudioCtx, header.nAudioState, header.nAudioHead,
                                     header.nAudioLayer, header.nTextCtx, header.nTextState, header.nTextHead,
                                     header.nTextLayer, header.nMels, header.ftype})
        i32(value);
    i32(header.nMels);
    i32(kMelFftBins);
    raw(melFilters.data(), melFilters.size() * 4);
    i32(static_cast<std::int32_t>(vocabulary.size()));
    for (const std::string& token : vocabulary) {
        i32(static_cast<std::int32_t>(token.size()));
        raw(token.data(), token.size());
    }
}

void WhisperFileWriter::writeTensor(const TensorLayout& layout, const std::vector<float>& values) {
    const ggml_type type = storedTypeOf(layout, type_);
    i32(static_cast<std::int32_t>(layout.ne.size()));
    i32(static_cast<std::int32_t>(layout.name.size()));
    i32(type);
    for (const std::int64_t size : layout.ne) i32(static_cast<std::int32_t>(size));
    raw(layout.name.data(), layout.name.size());
    const auto count = static_cast<std::int64_t>(values.size());
    if (type == GGML_TYPE_F32) {
        raw(values.data(), values.size() * 4);
        return;
    }
    if (type == GGML_TYPE_F16) {
        scratch_.resize(values.size() * sizeof(ggml_fp16_t));
        ggml_fp32_to_fp16_row(values.data(), reinterpret_cast<ggml_fp16_t*>(scratch_.data()), count);
        raw(scratch_.data(), scratch_.size());
        return;
    }
    const std::int64_t rowLength = layout.ne[0];
    scratch_.resize(values.size() * 4);  // no quantized type takes more than the floats
    const std::size_t bytes =
        ggml_quantize_chunk(type, values.data(), scratch_.data(), 0, count / rowLength, rowLength, nullptr);
    raw(scratch_.data(), bytes);
}

bool WhisperFileWriter::close() {
    out_.close();
    return !out_.fail();
}
