// Cutting a long take at its pauses: synthesized speech bursts over room
// noise of several levels, the threshold, the longest part's fallback, and
// chunking that must not matter.

#include "audio/pause_cutter.h"

#include <cstdio>
#include <string>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include <gtest/gtest.h>

#include "audio/sample_convert.h"
#include "tests/audio/synthetic_speech.h"

namespace {

using synthetic::kRate;
using synthetic::take;
using synthetic::voiced;

// A phrase in espeak-ng's Uzbek voice at 16 kHz, peak 0.5, without the
// silence the synthesizer puts around it; empty without espeak-ng.
std::vector<float> spoken(const std::string& text) {
    FILE* pipe = popen(("espeak-ng -v uz --stdout \"" + text + "\" 2>/dev/null").c_str(), "r");
    if (pipe == nullptr) return {};
    std::vector<unsigned char> bytes;
    unsigned char buffer[4096];
    for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) bytes.insert(bytes.end(), buffer, buffer + got);
    pclose(pipe);
    if (bytes.size() <= 44) return {};
    const std::uint32_t rate = bytes[24] | bytes[25] << 8 | bytes[26] << 16 | static_cast<std::uint32_t>(bytes[27]) << 24;
    std::vector<float> samples;
    for (std::size_t i = 44; i + 1 < bytes.size(); i += 2)
        samples.push_back(static_cast<float>(static_cast<std::int16_t>(bytes[i] | bytes[i + 1] << 8)) / 32768.0f);
    samples = normalizeLevel(toEngineRate(samples, rate));
    for (float& s : samples) s *= 0.5f / 0.95f;
    const auto loud = [](float s) { return std::fabs(s) > 0.01f; };
    const auto first = std::find_if(samples.begin(), samples.end(), loud);
    const auto last = std::find_if(samples.rbegin(), samples.rend(), loud).base();
    return first < last ? std::vector<float>(first, last) : std::vector<float>{};
}

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

// Real speech from espeak-ng: phrases 0.3 s apart, and a pause of 1 s after
// every third, over room noise from -60 to -30 dBFS. Each part ends in the
// middle of its first long pause past 20 s, within a frame or two.
TEST(PauseCutter, SpokenPhrasesAreCutInTheMiddleOfTheirLongPauses) {
    const std::vector<std::vector<float>> phrases = {spoken("bugun ertalab biz do'stlarimiz bilan uchrashdik"),
                                                     spoken("keyin shahar markazidagi bog'ga bordik"),
                                                     spoken("hammasi juda yaxshi o'tdi")};
    for (const auto& phrase : phrases)
        if (phrase.empty()) GTEST_SKIP() << "needs espeak-ng";
    for (const double floorDb : {-60.0, -50.0, -40.0, -35.0, -30.0}) {
        SCOPED_TRACE(floorDb);
        synthetic::Noise noise;
        std::vector<float> samples;
        std::vector<double> pauseMiddles;  // of the long pauses, in seconds
        const auto silence = [&](double seconds) {
            for (auto n = static_cast<std::size_t>(seconds * kRate); n > 0; --n) samples.push_back(0.0f);
        };
        for (std::size_t i = 0; samples.size() < 75 * kRate; ++i) {
            samples.insert(samples.end(), phrases[i % 3].begin(), phrases[i % 3].end());
            const bool longPause = i % 3 == 2;
            if (longPause) pauseMiddles.push_back(static_cast<double>(samples.size()) / kRate + 0.5);
            silence(longPause ? 1.0 : 0.3);
        }
        for (float& s : samples) s += noise.next(floorDb);
        std::vector<double> expected;
        double partStart = 0;
        // A pause is cut once speech follows it.
        const double lastSpeech = static_cast<double>(samples.size()) / kRate - 1.0;
        for (const double middle : pauseMiddles) {
            if (middle > partStart + 20.0 && middle < lastSpeech) expected.push_back(partStart = middle);
        }
        ASSERT_GE(expected.size(), 2u);
        const std::vector<std::size_t> cuts = cutsOf(samples, 20);
        ASSERT_EQ(cuts.size(), expected.size())
            << ::testing::PrintToString(seconds(cuts)) << " against " << ::testing::PrintToString(expected);
        for (std::size_t i = 0; i < cuts.size(); ++i)
            EXPECT_NEAR(static_cast<double>(cuts[i]) / kRate, expected[i], 0.06) << "cut " << i;
    }
}
