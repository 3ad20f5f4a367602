#include "audio/sample_convert.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

float readFloat32(const std::uint8_t* p) {
    std::uint32_t bits = std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 |
                         std::uint32_t(p[3]) << 24;
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

double readFloat64(const std::uint8_t* p) {
    std::uint64_t bits = 0;
    for (int i = 7; i >= 0; --i) bits = bits << 8 | p[i];
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

float readSample(const std::uint8_t* p, const PacketFormat& format) {
    if (format.isFloat) return format.bitsPerSample == 32 ? readFloat32(p) : static_cast<float>(readFloat64(p));
    switch (format.bitsPerSample) {
    case 16: {
        auto value = static_cast<std::int16_t>(std::uint16_t(p[0]) | std::uint16_t(p[1]) << 8);
        return static_cast<float>(value) * 3.0517578e-05f;
    }
    case 24: {
        std::int32_t value = std::int32_t(p[0]) | std::int32_t(p[1]) << 8 | std::int32_t(p[2]) << 16;
        if (value & 0x800000) value -= 0x1000000;
        return static_cast<float>(value) * 1.1920929e-07f;
    }
    case 32: {
        auto value = static_cast<std::int32_t>(std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 |
                                               std::uint32_t(p[2]) << 16 | std::uint32_t(p[3]) << 24);
        return static_cast<float>(value) * 4.656613e-10f;
    }
    default:
        return 0.0f;
    }
}

std::vector<float> integerRatio(const std::vector<float>& in, std::size_t ratio) {
    std::vector<float> out;
    out.reserve(in.size() / ratio);
    const float divisor = static_cast<float>(ratio);
    for (std::size_t start = 0; start + ratio <= in.size(); start += ratio) {
        float sum = 0.0f;
        for (std::size_t i = start; i < start + ratio; ++i) sum += in[i];
        out.push_back(sum / divisor);
    }
    return out;
}

std::vector<float> overlappingWindows(const std::vector<float>& in, std::uint32_t rate) {
    const std::size_t n = in.size();
    const double r = static_cast<double>(rate) / kEngineRate;
    const auto count = static_cast<std::size_t>(static_cast<double>(n) / r);
    std::vector<float> out;
    out.reserve(count);
    for (std::size_t k = 0; k < count; ++k) {
        const double start = static_cast<double>(k) * r;
        const auto a = static_cast<std::size_t>(start);
        const auto b = static_cast<std::size_t>(start + r);
        const std::size_t last = b < n ? b : n - 1;
        if (last > a) {
            float sum = 0.0f;
            for (std::size_t i = a; i <= last; ++i) sum += in[i];
            out.push_back(sum / static_cast<float>(last - a + 1));
        } else {
            out.push_back(in[a]);
        }
    }
    return out;
}

float peakOf(const std::vector<float>& samples) {
    float peak = 0.0f;
    for (float x : samples) peak = std::max(peak, std::fabs(x));
    return peak;
}

}  // namespace

bool canDownmix(const PacketFormat& format) {
    const bool width = format.isFloat ? format.bitsPerSample == 32 || format.bitsPerSample == 64
                                      : format.bitsPerSample == 16 || format.bitsPerSample == 24 ||
                                            format.bitsPerSample == 32;
    return width && format.channels > 0 &&
           format.frameBytes >= static_cast<std::size_t>(format.channels) * (format.bitsPerSample / 8);
}

void downmixPacket(const std::uint8_t* data, std::size_t frames, const PacketFormat& format,
                   std::vector<float>& out) {
    if (!canDownmix(format)) {
        // Nothing of a layout it cannot read is read; the take keeps its length.
        out.insert(out.end(), frames, 0.0f);
        return;
    }
    const std::size_t step = format.bitsPerSample / 8;
    const float channels = static_cast<float>(format.channels);
    out.reserve(out.size() + frames);
    for (std::size_t i = 0; i < frames; ++i) {
        const std::uint8_t* p = data + i * format.frameBytes;
        float sum = 0.0f;
        for (std::uint16_t c = 0; c < format.channels; ++c, p += step) sum += readSample(p, format);
        out.push_back(sum / channels);
    }
}

std::vector<float> toEngineRate(const std::vector<float>& in, std::uint32_t rate) {
    if (in.empty() || rate == 0 || rate == kEngineRate) return in;
    if (rate > kEngineRate && rate % kEngineRate == 0) return integerRatio(in, rate / kEngineRate);
    return overlappingWindows(in, rate);
}

TakeAnalysis analyzeTake(const std::vector<float>& samples) {
    TakeMeter meter;
    meter.add(samples.data(), samples.size());
    return meter.analysis();
}

void TakeMeter::add(const float* samples, std::size_t count) {
    constexpr std::size_t kFrame = 320;  // 20 ms
    total += count;
    for (std::size_t i = 0; i < count; ++i) {
        peak = std::max(peak, std::fabs(samples[i]));
        frameEnergy += double{samples[i]} * samples[i];
        if (++frameSamples < kFrame) continue;
        if (frameEnergy / kFrame >= double{kVoicedFrameRms} * kVoicedFrameRms) ++voicedFrames;
        frameEnergy = 0;
        frameSamples = 0;
    }
}

TakeAnalysis TakeMeter::analysis() const {
    TakeAnalysis analysis;
    analysis.seconds = static_cast<float>(total) / static_cast<float>(kEngineRate);
    analysis.peak = peak;
    analysis.voicedSeconds = static_cast<float>(voicedFrames) * 0.02f;
    if (analysis.peak < 0.005f)
        analysis.verdict = TakeVerdict::Silent;
    else if (analysis.seconds < 1.0f)
        analysis.verdict = TakeVerdict::TooShort;
    else
        analysis.verdict = TakeVerdict::Ok;
    return analysis;
}

std::vector<float> normalizeLevel(const std::vector<float>& samples) {
    if (samples.empty()) return {};
    const float peak = peakOf(samples);
    if (peak <= 0.0001f) return samples;
    const float gain = std::min(40.0f, 0.95f / peak);
    std::vector<float> out(samples.size());
    std::transform(samples.begin(), samples.end(), out.begin(), [gain](float x) { return x * gain; });
    return out;
}
