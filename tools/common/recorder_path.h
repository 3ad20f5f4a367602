#pragma once
// What happens to a recording between the microphone and the engine, applied
// to a WAV file: packets of rate/100 frames, each down-mixed and brought to
// 16 kHz on its own, exactly as the capture thread does.

#include <cstdint>
#include <string>
#include <vector>

#include "tools/common/wav_file.h"

std::uint64_t packetFrames(std::uint32_t rate);
std::vector<float> convertLikeRecorder(const WavAudio& audio);
