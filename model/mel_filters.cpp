#include "model/mel_filters.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kSampleRate = 16000.0;
constexpr double kLinearHzPerMel = 200.0 / 3.0;  // below 1000 Hz
constexpr double kLogStartHz = 1000.0;
constexpr double kLogStartMel = kLogStartHz / kLinearHzPerMel;  // 15
const double kLogStep = std::log(6.4) / 27.0;

double hzToMel(double hz) {
    return hz < kLogStartHz ? hz / kLinearHzPerMel : kLogStartMel + std::log(hz / kLogStartHz) / kLogStep;
}

double melToHz(double mel) {
    return mel < kLogStartMel ? mel * kLinearHzPerMel : kLogStartHz * std::exp(kLogStep * (mel - kLogStartMel));
}

}  // namespace

std::vector<float> melFilters(int nMels) {
    if (nMels <= 0) return {};
    const auto count = static_cast<std::size_t>(nMels);
    // nMels + 2 edges evenly spaced in mel over [0, 8000 Hz].
    std::vector<double> edges(count + 2);
    const double top = hzToMel(kSampleRate / 2);
    for (std::size_t i = 0; i < edges.size(); ++i) {
        edges[i] = melToHz(top * static_cast<double>(i) / static_cast<double>(count + 1));
    }
    std::vector<float> weights(count * kMelFftBins, 0.0f);
    for (std::size_t row = 0; row < count; ++row) {
        const double rise = edges[row + 1] - edges[row];
        const double fall = edges[row + 2] - edges[row + 1];
        const double area = 2.0 / (edges[row + 2] - edges[row]);  // Slaney: each filter's area the same
        for (int bin = 0; bin < kMelFftBins; ++bin) {
            const double hz = kSampleRate / 2 * bin / (kMelFftBins - 1);
            const double rising = (hz - edges[row]) / rise;
            const double falling = (edges[row + 2] - hz) / fall;
            weights[row * kMelFftBins + static_cast<std::size_t>(bin)] =
                static_cast<float>(std::max(0.0, std::min(rising, falling)) * area);
        }
    }
    return weights;
}
