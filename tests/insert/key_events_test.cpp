#include "insert/key_events.h"

#include <set>

#include <gtest/gtest.h>

namespace {

KeyIsDown held(std::set<std::uint16_t> keys) {
    return [keys](std::uint16_t vk) { return keys.count(vk) > 0; };
}

KeyEvent down(std::uint16_t vk) { return {vk, 0, 0}; }
KeyEvent up(std::uint16_t vk) { return {vk, 0, kKeyUp}; }
KeyEvent charDown(char16_t c) { return {0, static_cast<std::uint16_t>(c), kUnicode}; }
KeyEvent charUp(char16_t c) { return {0, static_cast<std::uint16_t>(c), kUnicode | kKeyUp}; }

}  // namespace

TEST(PasteKeystroke, PlainCtrlV) {
    EXPECT_EQ(pasteKeystroke(held({})),
              (std::vector<KeyEvent>{down(kVkControl), down(kVkV), up(kVkV), up(kVkControl)}));
}

TEST(PasteKeystroke, HotkeyStillHeld) {
    // Ctrl+Alt from the dictation hotkey: Alt goes up, Ctrl is left as it is.
    EXPECT_EQ(pasteKeystroke(held({kVkControl, kVkLeftAlt})),
              (std::vector<KeyEvent>{up(kVkLeftAlt), down(kVkV), up(kVkV)}));
}

TEST(PasteKeystroke, ReleasesInTheirFixedOrder) {
    EXPECT_EQ(heldModifierReleases(held({kVkRightWin, kVkLeftShift, kVkRightAlt, kVkLeftWin, kVkRightShift, kVkLeftAlt})),
              (std::vector<KeyEvent>{up(kVkLeftAlt), up(kVkRightAlt), up(kVkLeftShift), up(kVkRightShift),
                                     up(kVkLeftWin), up(kVkRightWin)}));
    EXPECT_TRUE(heldModifierReleases(held({kVkControl})).empty()) << "Ctrl is each method's own business";
}

TEST(Typing, PreludeReleasesCtrlToo) {
    EXPECT_TRUE(typingPrelude(held({})).empty());
    EXPECT_EQ(typingPrelude(held({kVkControl, kVkLeftAlt})), (std::vector<KeyEvent>{up(kVkLeftAlt), up(kVkControl)}));
}

TEST(Typing, CarriageReturnSkippedLineFeedIsShiftEnter) {
    const auto bursts = typingBursts(L"a\r\nb");
    ASSERT_EQ(bursts.size(), 1u);
    EXPECT_EQ(bursts[0], (std::vector<KeyEvent>{charDown(u'a'), charUp(u'a'), down(kVkShift), down(kVkReturn),
                                                up(kVkReturn), up(kVkShift), charDown(u'b'), charUp(u'b')}));
    EXPECT_TRUE(typingBursts(L"\r\r").empty());
    // A line break at a burst's end stays whole: the Shift is never left down between bursts.
    const auto split = typingBursts(std::wstring(31, L'x') + L"\ny");
    ASSERT_EQ(split.size(), 2u);
    EXPECT_EQ(split[0].back(), up(kVkShift));
    EXPECT_TRUE(typingBursts(L"").empty());
}

TEST(Typing, CharacterBeyondTheBmpIsTwoUnits) {
    const auto bursts = typingBursts(L"\U0001F600");
    ASSERT_EQ(bursts.size(), 1u);
    EXPECT_EQ(bursts[0], (std::vector<KeyEvent>{charDown(0xD83D), charUp(0xD83D), charDown(0xDE00), charUp(0xDE00)}));
    EXPECT_EQ(utf16Units(L"O\u02BBz\U0001F600"), std::u16string(u"O\u02BBz\U0001F600"));
}

TEST(Typing, HundredCharactersInBurstsOf64) {
    const auto bursts = typingBursts(std::wstring(100, L'x'));
    ASSERT_EQ(bursts.size(), 4u);
    EXPECT_EQ(bursts[0].size(), 64u);
    EXPECT_EQ(bursts[1].size(), 64u);
    EXPECT_EQ(bursts[2].size(), 64u);
    EXPECT_EQ(bursts[3].size(), 8u);
    EXPECT_EQ(typingBursts(std::wstring(32, L'x')).size(), 1u) << "exactly one full burst";
}
