#include "tools/common/recorder_path.h"

#include <algorithm>

std::uint64_t packetFrames(std::uint32_t rate) { return std::max<std::uint64_t>(1, rate / 100); }

std::vector<float> convertLikeRecorder(const WavAudio& audio) {
    std::vector<float> take;
    std::vector<float> mono;
    const std::uint64_t step = packetFrames(audio.rate);
    for (std::uint64_t first = 0; first < audio.frames; first += step) {
        const std::uint64_t frames = std::min(step, audio.frames - first);
        mono.clear();
        downmixPacket(audio.data.data() + first * audio.format.frameBytes, frames, audio.format, mono);
        const std::vector<float> converted = toEngineRate(mono, audio.rate);
        take.insert(take.end(), converted.begin(), converted.end());
    }
    return take;
}
