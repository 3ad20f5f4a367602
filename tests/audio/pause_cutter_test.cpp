// Cutting a long take at its pauses: synthesized speech bursts over room
// noise of several levels, the threshold, the longest part's fallback, and
// chunking that must not matter.

#include "audio/pause_cutter.h"

#include <cmath>
#include <cstdint>
#include <vector>

#include <gtest/gtest.h>

#include "tests/audio/synthetic_speech.h"

namespace {

using synthetic::kRate;
using synthetic::take;
using synthetic::voiced;

std::vector<std::size_t> cutsOf(const std::vector<float>& samples, double afterSeconds, std::size_t chunk = 4800) {
    PauseCutter cutter(afterSeconds);
    std::vector<std::size_t> cuts;
    for (std::size_t at = 0; at < samples.size(); at += chunk) {
        const std::vector<std::size_t> some = cutter.feed(samples.data() + at, std::min(chunk, samples.size() - at));
        cuts.insert(cuts.end(), some.begin(), some.end());
    }
    return cuts;
}

// Cut positions in seconds, for messages.
std::vector<double> seconds(const std::vector<std::size_t>& cuts) {
    std::vector<double> s;
    for (const std::size_t cut : cuts) s.push_back(static_cast<double>(cut) / kRate);
    return s;
}

void expectCutsNear(const std::vector<std::size_t>& cuts, const std::vector<double>& expected) {
    ASSERT_EQ(cuts.size(), expected.size()) << ::testing::PrintToString(seconds(cuts));
    for (std::size_t i = 0; i < cuts.size(); ++i) {
        EXPECT_NEAR(static_cast<double>(cuts[i]) / kRate, expected[i], 0.041) << "cut " << i;
        EXPECT_EQ(cuts[i] % kCutFrameSamples, 0u);
    }
}

}  // namespace

TEST(PauseCutter, EachLongPartIsCutInTheMiddleOfItsFirstPauseAfterTheThreshold) {
    // 3.2 s of speech and 0.8 s of pause, over and over, for 64 s: pauses
    // from 3.2-4.0 s on, every 4 s; their middles at 3.6, 7.6, ... s.
    std::vector<double> spans;
    for (int i = 0; i < 16; ++i) spans.insert(spans.end(), {3.2, 0.8});
    for (const double floorDb : {-60.0, -45.0, -30.0}) {
        SCOPED_TRACE(floorDb);
        // Past 20 s of each part: the pause middles at 23.6 s, then 47.6 s (20 s after 23.6 s is 43.6 s).
        expectCutsNear(cutsOf(take(spans, floorDb), 20), {23.6, 47.6});
    }
}

TEST(PauseCutter, ShortTakesShortPausesAndTheSettingOffNeverCut) {
    std::vector<double> shortTake;
    for (int i = 0; i < 4; ++i) shortTake.insert(shortTake.end(), {3.2, 0.8});
    EXPECT_TRUE(cutsOf(take(shortTake, -45), 20).empty()) << "16 s is under the threshold";
    std::vector<double> spans;
    for (int i = 0; i < 16; ++i) spans.insert(spans.end(), {3.2, 0.8});
    EXPECT_TRUE(cutsOf(take(spans, -45), 0).empty()) << "0 turns it off";
    // Pauses of 0.3 s are breaths between words, not places to cut; without
    // a real pause the 28 s fallback cuts.
    std::vector<double> breaths;
    for (int i = 0; i < 12; ++i) breaths.insert(breaths.end(), {2.7, 0.3});
    const std::vector<std::size_t> cuts = cutsOf(take(breaths, -45), 20);
    ASSERT_EQ(cuts.size(), 1u);
    EXPECT_GE(cuts[0], 23u * kRate);
    EXPECT_LE(cuts[0], 28u * kRate);
}

TEST(PauseCutter, WithoutAPauseThePartIsCutAtAQuietFrameOfItsLastFiveSeconds) {
    // 40 s of speech without a pause: cut in a gap between syllables.
    const std::vector<float> samples = take({40.0}, -45);
    const std::vector<std::size_t> cuts = cutsOf(samples, 20);
    ASSERT_EQ(cuts.size(), 1u) << ::testing::PrintToString(seconds(cuts));
    EXPECT_GE(cuts[0], 23u * kRate);
    EXPECT_LE(cuts[0], 28u * kRate);
    EXPECT_FALSE(voiced(cuts[0])) << seconds(cuts)[0];
    EXPECT_FALSE(voiced(cuts[0] + kCutFrameSamples - 1));
}

TEST(PauseCutter, APauseThatLastsUntilTheLongestPartIsCutInWhatThereIsOfIt) {
    // Speech to 21 s, then silence: at 28 s the pause has lasted 7 s.
    const std::vector<std::size_t> cuts = cutsOf(take({21.0, 12.0}, -50), 20);
    expectCutsNear(cuts, {24.5});
}

TEST(PauseCutter, HowTheSamplesArriveDoesNotChangeTheCuts) {
    std::vector<double> spans;
    for (int i = 0; i < 12; ++i) spans.insert(spans.end(), {3.2, 0.8});
    const std::vector<float> samples = take(spans, -40);
    const std::vector<std::size_t> whole = cutsOf(samples, 20, samples.size());
    ASSERT_FALSE(whole.empty());
    for (const std::size_t chunk : {1u, 317u, 320u, 1000u}) EXPECT_EQ(cutsOf(samples, 20, chunk), whole) << chunk;
}
