#pragma once
// Reading WAV files as the recorder would see their samples, and writing the
// engine's 16 kHz mono float take back out.

#include <cstdint>
#include <string>
#include <vector>

#include "audio/wave_format.h"

struct WavAudio {
    WaveFormatFields fields;
    PacketFormat format;
    std::uint32_t rate = 0;
    std::uint64_t frames = 0;
    std::vector<std::uint8_t> data;  // frames * format.frameBytes bytes
};

// 16/24/32-bit integer PCM and 32/64-bit float, plain or WAVE_FORMAT_EXTENSIBLE.
// Returns "" or a one-line reason why the file cannot be used.
std::string parseWav(const std::vector<std::uint8_t>& file, WavAudio& audio);
std::string readWavFile(const std::string& path, WavAudio& audio);

bool writeFloatWav(const std::string& path, const std::vector<float>& samples, std::uint32_t rate);
