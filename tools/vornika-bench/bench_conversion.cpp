#include <chrono>
#include <cstdint>
#include <cstring>
#include <vector>

#include "audio/sample_convert.h"
#include "tools/vornika-bench/bench.h"

namespace {

struct Case {
    const char* name;
    std::uint32_t rate;
    PacketFormat format;
};

// Runs the capture thread's per-packet work on one 10 ms packet repeatedly.
void runCase(const Case& c, double seconds) {
    const std::size_t frames = c.rate / 100;
    std::vector<std::uint8_t> packet(frames * c.format.frameBytes);
    std::uint32_t noise = 12345;
    for (std::size_t i = 0; i + 1 < packet.size(); i += 2) {
        noise = noise * 1664525u + 1013904223u;
        const auto value = static_cast<std::int16_t>(noise >> 17);
        if (c.format.isFloat) {
            if (i % 4 == 0 && i + 4 <= packet.size()) {
                const float f = value / 32768.0f;
                std::memcpy(&packet[i], &f, 4);
            }
        } else {
            std::memcpy(&packet[i], &value, 2);
        }
    }
    std::vector<float> mono;
    std::vector<float> take;
    take.reserve(c.rate);
    std::uint64_t packets = 0;
    const auto start = std::chrono::steady_clock::now();
    double elapsed = 0;
    do {
        for (int i = 0; i < 100; ++i) {
            mono.clear();
            downmixPacket(packet.data(), frames, c.format, mono);
            const std::vector<float> out = toEngineRate(mono, c.rate);
            take.insert(take.end(), out.begin(), out.end());
            if (take.size() > kEngineRate * 10) take.clear();
        }
        packets += 100;
        elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    } while (elapsed < seconds);
    const double inputFrames = static_cast<double>(packets) * frames;
    figure(std::string("convert_") + c.name + "_ns_per_frame", elapsed * 1e9 / inputFrames, "ns");
    figure(std::string("convert_") + c.name + "_realtime", inputFrames / c.rate / elapsed, "x");
}

}  // namespace

void benchConversion(double secondsPerCase) {
    const Case cases[] = {
        {"48k_stereo_f32", 48000, {true, 32, 8, 2}},
        {"44k1_stereo_f32", 44100, {true, 32, 8, 2}},
        {"48k_stereo_s16", 48000, {false, 16, 4, 2}},
    };
    for (const Case& c : cases) runCase(c, secondsPerCase);
}
