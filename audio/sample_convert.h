#pragma once
// Turning captured packets into engine samples (16000 Hz, mono, float) and
// judging a finished take. Pure functions: no state, no platform calls.

#include <cstddef>
#include <cstdint>
#include <vector>

inline constexpr std::uint32_t kEngineRate = 16000;

// Layout of one packet as the capture endpoint delivers it.
struct PacketFormat {
    bool isFloat = false;
    std::uint16_t bitsPerSample = 0;
    std::uint16_t frameBytes = 0;  // distance from one frame to the next
    std::uint16_t channels = 0;
};

enum class TakeVerdict : std::int32_t { Ok = 0, TooShort = 1, Silent = 2 };

struct TakeAnalysis {
    TakeVerdict verdict = TakeVerdict::Silent;
    float peak = 0.0f;
    float seconds = 0.0f;
    // How much of the take is louder than a quiet room (20 ms frames with an
    // RMS of at least kVoicedFrameRms): a take with little of it holds little speech.
    float voicedSeconds = 0.0f;
};
inline constexpr float kVoicedFrameRms = 0.01f;  // -40 dBFS

// 16-, 24- or 32-bit integers or 32- or 64-bit floats, at least one channel,
// and frames that hold every channel's sample.
bool canDownmix(const PacketFormat& format);

// Appends one float per frame: the mean of the frame's channels; zeros for a
// layout it cannot read.
void downmixPacket(const std::uint8_t* data, std::size_t frames, const PacketFormat& format,
                   std::vector<float>& out);

// Brings one packet of mono floats from the device rate to 16000 Hz.
std::vector<float> toEngineRate(const std::vector<float>& in, std::uint32_t rate);

TakeAnalysis analyzeTake(const std::vector<float>& samples);

// analyzeTake over a take that arrives in pieces: the same analysis, whatever
// the pieces' sizes.
class TakeMeter {
public:
    void add(const float* samples, std::size_t count);
    TakeAnalysis analysis() const;

private:
    std::size_t total = 0;
    float peak = 0.0f;
    std::size_t voicedFrames = 0;
    double frameEnergy = 0;         // of the frame not yet complete
    std::size_t frameSamples = 0;   // in it
};

// Scales a take to a peak of 0.95, amplifying at most forty-fold.
std::vector<float> normalizeLevel(const std::vector<float>& samples);
