// The mel filters against librosa's published check values.

#include "model/mel_filters.h"

#include <algorithm>

#include <gtest/gtest.h>

TEST(MelFilters, EightyBinsMatchLibrosasCheckValues) {
    const std::vector<float> mel = melFilters(80);
    ASSERT_EQ(mel.size(), 80u * kMelFftBins);
    for (int bin = 0; bin < kMelFftBins; ++bin) {
        if (bin == 1) {
            EXPECT_NEAR(mel[1], 0.02486259f, 1e-7f);
        } else {
            EXPECT_EQ(mel[static_cast<std::size_t>(bin)], 0.0f) << "row 0, bin " << bin;
        }
    }
    EXPECT_NEAR(*std::max_element(mel.begin(), mel.end()), 0.0258807f, 1e-6f);
}

TEST(MelFilters, AnyCountGivesThatManyNonNegativeRows) {
    for (const int mels : {128, 1}) {
        const std::vector<float> weights = melFilters(mels);
        EXPECT_EQ(weights.size(), static_cast<std::size_t>(mels) * kMelFftBins);
        EXPECT_TRUE(std::all_of(weights.begin(), weights.end(), [](float w) { return w >= 0.0f; })) << mels;
        EXPECT_GT(*std::max_element(weights.begin(), weights.end()), 0.0f) << mels;
    }
    EXPECT_TRUE(melFilters(0).empty());
}
