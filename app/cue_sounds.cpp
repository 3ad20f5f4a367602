#include "app/cue_sounds.h"

#include <algorithm>

#include "audio/sample_convert.h"

int cueResource(Cue cue) {
    switch (cue) {
    case Cue::Start:
        return IDR_CUE_START;
    case Cue::Stop:
        return IDR_CUE_STOP;
    case Cue::Error:
        return IDR_CUE_ERROR;
    }
    return IDR_CUE_ERROR;
}

std::size_t startCueSamples(std::int64_t firstFrameAt, std::int64_t cueAskedAt, std::size_t takeSamples) {
    if (cueAskedAt == 0) return 0;  // no cue was played
    constexpr std::int64_t kTicksPerMs = 10'000;
    constexpr std::int64_t kLongest = kLongestStartCueCut.count() * kTicksPerMs;
    // Without the first frame's time, the cue is taken to start with the take.
    const std::int64_t cueOffset = firstFrameAt > 0 && cueAskedAt > firstFrameAt ? cueAskedAt - firstFrameAt : 0;
    const std::int64_t silentUntil = std::min(std::min(cueOffset, kLongest) + kStartCueReach.count() * kTicksPerMs, kLongest);
    const auto samples = static_cast<std::size_t>(silentUntil * kEngineRate / 10'000'000);
    return std::min(samples, takeSamples);
}
