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

std::string trimBlanks(const std::string& text) {
    const char* blanks = " \t\r\n";
    const auto first = text.find_first_not_of(blanks);
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

int recognitionThreadCount(unsigned logicalProcessors) {
    return std::max(4, static_cast<int>(logicalProcessors) - 2);
}
