#include "audio/pause_cutter.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr std::size_t framesOf(std::chrono::milliseconds span) {
    return static_cast<std::size_t>(span.count()) * 16 / kCutFrameSamples;
}

constexpr std::size_t kPauseFrames = framesOf(kShortestCutPause);
constexpr std::size_t kLongestPartFrames = framesOf(kLongestPart);
constexpr std::size_t kFallbackFrames = framesOf(kFallbackWindow);

constexpr std::size_t kFloorFrames = framesOf(kFloorWindow);

double levelDb(const float* frame) {
    double energy = 0;
    for (std::size_t i = 0; i < kCutFrameSamples; ++i) energy += double{frame[i]} * frame[i];
    return 10.0 * std::log10(energy / kCutFrameSamples + 1e-12);
}

}  // namespace

PauseCutter::PauseCutter(double afterSeconds)
    : afterFrames(afterSeconds > 0 ? static_cast<std::size_t>(std::lround(afterSeconds * 50.0)) : 0) {}

std::vector<std::size_t> PauseCutter::feed(const float* samples, std::size_t count) {
    std::vector<std::size_t> cuts;
    for (std::size_t i = 0; i < count; ++i) {
        pending.push_back(samples[i]);
        if (pending.size() < kCutFrameSamples) continue;
        takeFrame(levelDb(pending.data()), cuts);
        pending.clear();
    }
    return cuts;
}

void PauseCutter::cutAt(std::size_t position, std::vector<std::size_t>& cuts) {
    cuts.push_back(position);
    // The frames after the cut belong to the new part.
    const std::size_t kept = frames - position / kCutFrameSamples;
    partLevels.erase(partLevels.begin(), partLevels.end() - static_cast<std::ptrdiff_t>(std::min(kept, partLevels.size())));
    partStart = position;
}

void PauseCutter::takeFrame(double frameDb, std::vector<std::size_t>& cuts) {
    const std::size_t frame = frames++;
    while (!floorCandidates.empty() && floorCandidates.back().second >= frameDb) floorCandidates.pop_back();
    floorCandidates.emplace_back(frame, frameDb);
    if (floorCandidates.front().first + kFloorFrames <= frame) floorCandidates.pop_front();
    floorDb = floorCandidates.front().second;
    if (afterFrames == 0) return;
    partLevels.push_back(frameDb);

    const bool quiet = frameDb < floorDb + kSpeechAboveFloorDb;
    const std::size_t partFrames = frames - partStart / kCutFrameSamples;
    if (quiet) {
        ++pauseFrames;
        // The pause goes on while the part reaches its longest: cut in what
        // there is of it.
        if (pauseFrames >= kPauseFrames && partFrames >= kLongestPartFrames) {
            cutAt(frameStart(frame + 1 - pauseFrames + pauseFrames / 2), cuts);
            pauseFrames = 0;
        }
        return;
    }
    // Speech again: a long enough pause that began past the threshold is the cut.
    const std::size_t pauseStartFrame = frame - pauseFrames;
    const bool pauseCounts = pauseFrames >= kPauseFrames &&
                             pauseStartFrame + pauseFrames / 2 > partStart / kCutFrameSamples + afterFrames;
    if (pauseCounts) {
        cutAt(frameStart(pauseStartFrame + pauseFrames / 2), cuts);
    } else if (partFrames >= kLongestPartFrames) {
        // No pause came: the quietest frame of the part's last seconds.
        const std::size_t window = std::min(kFallbackFrames, partLevels.size());
        const auto from = partLevels.end() - static_cast<std::ptrdiff_t>(window);
        const auto quietest = std::min_element(from, partLevels.end());
        const std::size_t quietestFrame = frame + 1 - static_cast<std::size_t>(partLevels.end() - quietest);
        cutAt(frameStart(quietestFrame), cuts);
    }
    pauseFrames = 0;
}
