// The history of this run's texts and how the tray menu shows each; the
// start cue's samples a take drops.

#include "app/cue_sounds.h"
#include "app/text_history.h"

#include <string>

#include <gtest/gtest.h>

TEST(TextHistory, KeepsTheLastTwentyNewestFirstAndNoEmptyTexts) {
    TextHistory history;
    history.add(L"");
    EXPECT_TRUE(history.newestFirst().empty());
    for (int i = 1; i <= 22; ++i) history.add(L"matn " + std::to_wstring(i));
    ASSERT_EQ(history.newestFirst().size(), kHistorySize);
    EXPECT_EQ(history.newestFirst().front(), L"matn 22");
    EXPECT_EQ(history.newestFirst().back(), L"matn 3");
    history.clear();
    EXPECT_TRUE(history.newestFirst().empty());
}

TEST(TextHistory, MenuLabelsAreFortyCharactersOnOneLine) {
    const struct {
        std::wstring text;
        std::wstring label;
    } cases[] = {
        {L"Salom", L"Salom"},
        {L"Birinchi qator.\r\nIkkinchi\tqator", L"Birinchi qator. Ikkinchi qator"},
        {std::wstring(40, L'a'), std::wstring(40, L'a')},
        {std::wstring(41, L'a'), std::wstring(40, L'a') + L"\u2026"},
        {L"Tom & Jerry", L"Tom && Jerry"},
        // An emoji is two units and one character: never split.
        {std::wstring(39, L'o') + L"\U0001F600" + L"x", std::wstring(39, L'o') + L"\U0001F600\u2026"},
        {L"\u041E\u0437\u0431\u0435\u043A", L"\u041E\u0437\u0431\u0435\u043A"},
    };
    for (const auto& c : cases) EXPECT_EQ(historyMenuLabel(c.text), c.label) << c.text.size();
}

TEST(StartCue, TheSamplesUntilTheCueHasDiedAwayAreDropped) {
    constexpr std::int64_t kMs = 10'000;  // audio clock ticks
    const std::size_t reach = static_cast<std::size_t>(kStartCueReach.count()) * 16;
    const struct {
        std::int64_t firstFrame, cueAsked;
        std::size_t take, dropped;
    } cases[] = {
        {0, 0, 48000, 0},                                  // sounds off: nothing asked
        {1000 * kMs, 1000 * kMs, 48000, reach},            // the cue with the first frame
        {1000 * kMs, 1030 * kMs, 48000, reach + 30 * 16},  // asked 30 ms into the take
        {1000 * kMs, 990 * kMs, 48000, reach},             // asked before the first frame came
        {0, 1000 * kMs, 48000, reach},                     // first frame unknown
        {1000 * kMs, 1000 * kMs, 100, 100},                // never more than the take
        {1000 * kMs, 1300 * kMs, 48000, 8000},             // asked late: half a second at most
        {1, 1000 * kMs, 48000, 8000},                      // a stamp far in the past
    };
    for (const auto& c : cases) {
        EXPECT_EQ(startCueSamples(c.firstFrame, c.cueAsked, c.take), c.dropped) << c.cueAsked - c.firstFrame;
    }
    EXPECT_EQ(cueResource(Cue::Start), IDR_CUE_START);
    EXPECT_EQ(cueResource(Cue::Error), IDR_CUE_ERROR);
}
