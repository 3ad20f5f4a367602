#include <gtest/gtest.h>

#include <cstring>
#include <numeric>

#include "audio/sample_convert.h"

namespace {

std::vector<float> ramp(int n) {
    std::vector<float> v(n);
    std::iota(v.begin(), v.end(), 0.0f);
    return v;
}

template <typename T>
std::vector<std::uint8_t> bytesOf(const std::vector<T>& values) {
    std::vector<std::uint8_t> out(values.size() * sizeof(T));
    std::memcpy(out.data(), values.data(), out.size());
    return out;
}

void expectFloats(const std::vector<float>& got, const std::vector<float>& want) {
    ASSERT_EQ(got.size(), want.size());
    for (std::size_t i = 0; i < want.size(); ++i) EXPECT_FLOAT_EQ(got[i], want[i]) << "at " << i;
}

}  // namespace

TEST(Downmix, StereoFloatAveragesChannelsThenRateDividesByThree) {
    std::vector<float> interleaved;
    for (int i = 0; i < 480; ++i) {
        interleaved.push_back(static_cast<float>(i) / 480.0f);
        interleaved.push_back(-0.5f);
    }
    const auto bytes = bytesOf(interleaved);
    std::vector<float> mono;
    downmixPacket(bytes.data(), 480, {true, 32, 8, 2}, mono);
    ASSERT_EQ(mono.size(), 480u);
    EXPECT_FLOAT_EQ(mono[10], (10.0f / 480.0f - 0.5f) / 2.0f);
    const auto out = toEngineRate(mono, 48000);
    ASSERT_EQ(out.size(), 160u);
    EXPECT_FLOAT_EQ(out[5], (mono[15] + mono[16] + mono[17]) / 3.0f);
}

TEST(Downmix, IntegerLayoutsAndScales) {
    std::vector<float> out;
    const std::vector<std::int16_t> s16{0x7FFF, -32768, 0, 16384};
    downmixPacket(bytesOf(s16).data(), 4, {false, 16, 2, 1}, out);
    expectFloats(out, {0.99996948f, -1.0f, 0.0f, 0.5f});

    out.clear();
    const std::vector<std::uint8_t> s24{0x00, 0x00, 0x80, 0xFF, 0xFF, 0x7F, 0x00, 0x00, 0x40};
    downmixPacket(s24.data(), 3, {false, 24, 3, 1}, out);
    expectFloats(out, {-1.0f, 8388607.0f * 1.1920929e-07f, 0.5f});

    out.clear();
    const std::vector<std::int32_t> s32{INT32_MIN, 1 << 30};
    downmixPacket(bytesOf(s32).data(), 2, {false, 32, 4, 1}, out);
    expectFloats(out, {-1.0f, 0.5f});
}

TEST(Downmix, SixtyFourBitFloatsAreDoubles) {
    const std::vector<double> doubles{0.25, -0.75};
    std::vector<float> out;
    downmixPacket(bytesOf(doubles).data(), 1, {true, 64, 16, 2}, out);
    expectFloats(out, {-0.25f});
}

// A frame is never read past its sample width or its block.
TEST(Downmix, LayoutsItCannotReadGiveZerosWithoutReadingThem) {
    const struct {
        PacketFormat format;
        bool readable;
    } cases[] = {
        {{true, 32, 8, 2}, true},   {{true, 64, 8, 1}, true},   {{false, 24, 6, 2}, true},
        {{true, 16, 4, 2}, false},  {{true, 24, 6, 2}, false},  {{false, 8, 2, 2}, false},
        {{false, 16, 2, 2}, false}, {{true, 64, 8, 2}, false},  {{false, 16, 4, 0}, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(canDownmix(c.format), c.readable) << c.format.bitsPerSample << " bits, " << c.format.frameBytes;
        if (c.readable) continue;
        // Exactly the packet's bytes; a read past them is an ASan failure.
        const std::vector<std::uint8_t> packet(2u * c.format.frameBytes, 0x40);
        std::vector<float> out;
        downmixPacket(packet.data(), 2, c.format, out);
        expectFloats(out, {0, 0});
    }
}

TEST(Downmix, UnsupportedIntegerWidthsGiveZeros) {
    const std::vector<std::uint8_t> eightBit{200, 10, 255, 0};
    std::vector<float> out;
    downmixPacket(eightBit.data(), 4, {false, 8, 1, 1}, out);
    expectFloats(out, {0, 0, 0, 0});
    out.clear();
    downmixPacket(eightBit.data(), 1, {false, 20, 3, 1}, out);
    expectFloats(out, {0});
}

TEST(Downmix, FrameBytesCanExceedTheSamplesAndEveryChannelCounts) {
    // 4 channels of 16 bits padded to 12-byte frames; all channels weigh the same.
    std::vector<std::uint8_t> frames(24, 0);
    const std::int16_t f0[4] = {16384, 0, 0, -16384}, f1[4] = {8192, 8192, 8192, 8192};
    std::memcpy(frames.data(), f0, 8);
    std::memcpy(frames.data() + 12, f1, 8);
    std::vector<float> out{9.0f};
    downmixPacket(frames.data(), 2, {false, 16, 12, 4}, out);
    expectFloats(out, {9.0f, 0.0f, 0.25f});  // appends after what was there
}

TEST(Downmix, ZeroChannelsStillGivesOneValuePerFrame) {
    const std::vector<std::uint8_t> bytes(16, 0x7F);
    std::vector<float> out;
    downmixPacket(bytes.data(), 4, {false, 16, 4, 0}, out);
    expectFloats(out, {0, 0, 0, 0});
}

TEST(EngineRate, PassesThroughAt16kRateZeroAndEmpty) {
    const std::vector<float> in{0.1f, -0.2f, 0.3f};
    expectFloats(toEngineRate(in, kEngineRate), in);
    expectFloats(toEngineRate(in, 0), in);
    EXPECT_TRUE(toEngineRate({}, 44100).empty());
}

TEST(EngineRate, UpsamplesFrom8kWithSharedWindowEnds) {
    expectFloats(toEngineRate({1, 2, 3, 4}, 8000), {1, 1.5f, 2, 2.5f, 3, 3.5f, 4, 4});
}

TEST(EngineRate, NonIntegerRatios) {
    expectFloats(toEngineRate(ramp(11), 24000), {0.5f, 2, 3.5f, 5, 6.5f, 8, 9.5f});
    expectFloats(toEngineRate(ramp(12), 44100), {1, 3.5f, 6.5f, 9.5f});
    // 441 frames of a 10 ms packet at 44.1 kHz give 160 outputs.
    EXPECT_EQ(toEngineRate(ramp(441), 44100).size(), 160u);
}

TEST(EngineRate, IntegerRatiosDropTheIncompleteTail) {
    const auto out = toEngineRate(ramp(100), 96000);
    ASSERT_EQ(out.size(), 16u);
    EXPECT_FLOAT_EQ(out[0], 2.5f);
    EXPECT_FLOAT_EQ(out[15], 92.5f);  // samples 90..95; 96..99 dropped
    EXPECT_TRUE(toEngineRate(ramp(5), 96000).empty());
    expectFloats(toEngineRate(ramp(6), 48000), {1, 4});
}

TEST(TakeLevel, VerdictsFollowPeakThenLength) {
    std::vector<float> take(15999, 0.0f);
    take[100] = -0.3f;
    TakeAnalysis a = analyzeTake(take);
    EXPECT_EQ(a.verdict, TakeVerdict::TooShort);
    EXPECT_FLOAT_EQ(a.peak, 0.3f);
    EXPECT_NEAR(a.seconds, 0.99994f, 1e-5f);

    take.push_back(0.0f);
    EXPECT_EQ(analyzeTake(take).verdict, TakeVerdict::Ok);

    std::vector<float> quietLong(kEngineRate * 30, 0.0049f);
    EXPECT_EQ(analyzeTake(quietLong).verdict, TakeVerdict::Silent);
    EXPECT_EQ(analyzeTake(std::vector<float>(100, 0.001f)).verdict, TakeVerdict::Silent);

    const TakeAnalysis empty = analyzeTake({});
    EXPECT_EQ(empty.verdict, TakeVerdict::Silent);
    EXPECT_EQ(empty.peak, 0.0f);
    EXPECT_EQ(empty.seconds, 0.0f);

    std::vector<float> threshold(kEngineRate, 0.005f);
    EXPECT_EQ(analyzeTake(threshold).verdict, TakeVerdict::Ok);
}

TEST(TakeLevel, VoicedSecondsCountOnlyFramesAboveTheQuietRoom) {
    // Two seconds of room noise just under the line with half a second of a
    // steady tone: only the tone's 25 frames count.
    std::vector<float> take(2 * kEngineRate, 0.0099f);
    for (std::size_t i = kEngineRate; i < kEngineRate * 3 / 2; ++i) take[i] = (i % 2 == 0) ? 0.02f : -0.02f;
    EXPECT_NEAR(analyzeTake(take).voicedSeconds, 0.5f, 1e-4f);
    // A frame cut off at the end is not counted.
    EXPECT_EQ(analyzeTake(std::vector<float>(319, 0.5f)).voicedSeconds, 0.0f);
}

TEST(TakeLevel, NormalizeScalesToPeak095WithAtMostFortyfoldGain) {
    const std::vector<float> half{0.5f, -0.25f, 0.1f};
    expectFloats(normalizeLevel(half), {0.95f, -0.475f, 0.19f});
    expectFloats(normalizeLevel({0.001f, -0.0005f}), {0.04f, -0.02f});
    expectFloats(normalizeLevel({0.0001f, -0.00005f}), {0.0001f, -0.00005f});
    expectFloats(normalizeLevel({2.0f, -1.0f}), {0.95f, -0.475f});
    EXPECT_TRUE(normalizeLevel({}).empty());
    // The input stays untouched.
    std::vector<float> input{0.5f};
    (void)normalizeLevel(input);
    EXPECT_EQ(input[0], 0.5f);
}
