// What a paste saves of the user's clipboard, and when it gives it back.

#include "insert/clipboard_plan.h"

#include <gtest/gtest.h>

namespace {

constexpr std::uint32_t kHtml = 0xC0A1, kRtf = 0xC0A2, kExplorerIds = 0xC0A3;
constexpr std::uint64_t kMiB = 1ull << 20;

}  // namespace

TEST(ClipboardSavePlan, EveryFormatButThoseWindowsMakesAgainAndOnlyAWholeClipboard) {
    const struct {
        const char* what;
        std::vector<ClipboardFormat> formats;  // as EnumClipboardFormats lists them
        std::vector<std::uint32_t> saved;
        std::optional<std::uint32_t> unsaved;
        bool tooLarge;
    } cases[] = {
        {"nothing", {}, {}, std::nullopt, false},
        {"text, with what Windows makes of it", {{13, 20}, {16, 4}, {1, 10}, {7, 10}}, {13}, std::nullopt, false},
        {"text from an old program: Windows made the Unicode text", {{1, 10}, {16, 4}, {13, 20}, {7, 10}}, {13},
         std::nullopt, false},
        {"a word processor's copy", {{kHtml, 900}, {kRtf, 700}, {14, 3000}, {3, 16}, {13, 40}, {16, 4}, {1, 20}, {7, 20}},
         {kHtml, kRtf, 14, 13}, std::nullopt, false},
        {"a picture", {{8, 4000}, {17, 4100}, {2, 0}, {9, 0}}, {8, 17}, std::nullopt, false},
        {"files from the file manager", {{15, 120}, {kExplorerIds, 64}, {0xC0A4, 4}}, {15, kExplorerIds, 0xC0A4},
         std::nullopt, false},
        {"a bitmap Windows made no DIB of", {{2, 0}}, {}, 2u, false},
        {"a program's private handle", {{13, 20}, {0x200, 0}}, {}, 0x200u, false},
        {"a GDI object", {{0x300, 0}, {kHtml, 10}}, {}, 0x300u, false},
        {"a display format", {{0x80, 0}, {13, 20}}, {}, 0x80u, false},
        {"exactly the most", {{13, 40 * kMiB}, {kHtml, 24 * kMiB}}, {13, kHtml}, std::nullopt, false},
        {"more than the most", {{13, 40 * kMiB}, {kHtml, 24 * kMiB + 1}}, {}, std::nullopt, true},
        {"a size no sum may wrap", {{kHtml, ~0ull}, {kRtf, ~0ull}}, {}, std::nullopt, true},
    };
    for (const auto& c : cases) {
        const ClipboardSavePlan plan = planClipboardSave(c.formats);
        EXPECT_EQ(plan.save, c.saved) << c.what;
        EXPECT_EQ(plan.unsaved, c.unsaved) << c.what;
        EXPECT_EQ(plan.tooLarge, c.tooLarge) << c.what;
    }
}

TEST(PasteRestoreTiming, TheRestoreFollowsTheTargetsFirstReadAfterTheCtrlV) {
    using namespace std::chrono_literals;
    struct Read {
        std::chrono::milliseconds at;  // from the Ctrl+V; negative: before it
        bool byTarget;
    };
    const struct {
        const char* what;
        std::vector<Read> reads;
        std::chrono::milliseconds restore;  // after the Ctrl+V
    } cases[] = {
        {"no read: the longest wait", {}, 4000ms},
        {"a quick paste: the least wait", {{50ms, true}}, 700ms},
        {"a late paste (a remote desktop)", {{1500ms, true}}, 1650ms},
        {"a watcher before the Ctrl+V", {{-20ms, true}}, 4000ms},
        {"another process's read, then the target's", {{100ms, false}, {2000ms, true}}, 2150ms},
        {"the first of the target's reads", {{1000ms, true}, {2000ms, true}}, 1150ms},
    };
    const auto ctrlV = PasteRestoreTiming::Clock::time_point{} + 10s;
    for (const auto& c : cases) {
        PasteRestoreTiming timing;
        for (const Read& r : c.reads)
            if (r.at < 0ms) timing.read(ctrlV + r.at, r.byTarget);
        timing.ctrlVSent(ctrlV);
        for (const Read& r : c.reads)
            if (r.at >= 0ms) timing.read(ctrlV + r.at, r.byTarget);
        EXPECT_EQ(timing.restoreAt() - ctrlV, c.restore) << c.what;
    }
}
