#pragma once
// Speech as a pause detector hears it, made up: syllables of a buzzy tone
// over room noise, in spans of speech and pauses of known lengths.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "audio/sample_convert.h"

namespace synthetic {

inline constexpr std::size_t kRate = kEngineRate;

// Deterministic noise of the given RMS level in dBFS.
class Noise {
public:
    float next(double dbfs) {
        state = state * 6364136223846793005ULL + 1442695040888963407ULL;
        const double uniform = static_cast<double>(state >> 40) / static_cast<double>(1ULL << 24) * 2.0 - 1.0;
        return static_cast<float>(uniform * std::sqrt(3.0) * std::pow(10.0, dbfs / 20.0));
    }

private:
    std::uint64_t state = 12345;
};

// Whether a sample of synthesized speech is voiced: syllables of 200 ms
// with 50 ms gaps between them, as speech has.
inline bool voiced(std::size_t sampleInSpan) { return sampleInSpan % 4000 < 3200; }

// Spans of speech (a buzzy tone at -15 dBFS, in syllables) and pauses, in
// seconds, alternating and starting with speech, over a floor of room noise.
inline std::vector<float> take(const std::vector<double>& spans, double floorDb) {
    Noise noise;
    std::vector<float> samples;
    bool speech = true;
    for (const double seconds : spans) {
        const auto count = static_cast<std::size_t>(std::lround(seconds * kRate));
        for (std::size_t i = 0; i < count; ++i) {
            float s = noise.next(floorDb);
            if (speech && voiced(i)) s += static_cast<float>(0.25 * std::sin(0.2 * static_cast<double>(samples.size())));
            samples.push_back(s);
        }
        speech = !speech;
    }
    return samples;
}

}  // namespace synthetic
