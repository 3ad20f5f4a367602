// styleText: its steps in order, the trailing space, and texts that are
// empty or not valid UTF-8.

#include "text/text_style.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TextStyle style(ScriptChoice script, ApostropheChoice apostrophe, bool trailingSpace = false, bool breaks = false) {
    TextStyle s;
    s.script = script;
    s.apostrophe = apostrophe;
    s.trailingSpace = trailingSpace;
    s.spokenBreaks = breaks;
    return s;
}

constexpr auto kAsIs = ScriptChoice::AsRecognised;
constexpr auto kKeep = ApostropheChoice::AsRecognised;

}  // namespace

TEST(TextStyle, AsRecognisedKeepsTheBytes) {
    for (const std::string text : {"Salom, дўстим! o'zbek yangi qator", "\xff\xfe broken \xc3", ""})
        EXPECT_EQ(styleText(text, TextStyle{}), text);
}

TEST(TextStyle, TrailingSpaceOnlyWhereTheTextEndsInAWord) {
    const TextStyle on = style(kAsIs, kKeep, true);
    EXPECT_EQ(styleText("Salom", on), "Salom ");
    EXPECT_EQ(styleText("Salom.", on), "Salom. ");
    EXPECT_EQ(styleText("Salom ", on), "Salom ");
    EXPECT_EQ(styleText("Salom\n", on), "Salom\n");
    EXPECT_EQ(styleText("Salom\r\n", on), "Salom\r\n");
    EXPECT_EQ(styleText("", on), "");
    EXPECT_EQ(styleText("ab\xff", on), "ab\xff ");
}

TEST(TextStyle, TheStepsTogether) {
    // The break is made before the trailing space is judged.
    EXPECT_EQ(styleText("Salom yangi qator", style(kAsIs, kKeep, true, true)), "Salom\n");
    // Breaks before the script: the Cyrillic phrase in a text made Latin.
    EXPECT_EQ(styleText("Salom. Янги қатор. Шаҳар", style(ScriptChoice::Latin, kKeep, false, true)),
              "Salom.\nShahar");
    EXPECT_EQ(styleText("Salom yangi xatboshi dunyo", style(ScriptChoice::Cyrillic, kKeep, false, true)),
              "Салом\n\nдунё");
    // The apostrophes after the script: Latin output and Latin input alike.
    EXPECT_EQ(styleText("Ўзбекистон ва ta\u2019lim", style(ScriptChoice::Latin, ApostropheChoice::Ascii)),
              "O'zbekiston va ta'lim");
    EXPECT_EQ(styleText("Ўзбекистон ва ta\u2019lim", style(ScriptChoice::Latin, ApostropheChoice::Standard)),
              "Oʻzbekiston va taʼlim");
    EXPECT_EQ(styleText("Ўзбекистон ва ta\u2019lim", style(ScriptChoice::Latin, kKeep)),
              "Oʻzbekiston va ta\u2019lim");
    // Words kept in Latin still get their apostrophes styled.
    EXPECT_EQ(styleText("O'zbekiston WhatsApp'da", style(ScriptChoice::Cyrillic, ApostropheChoice::Standard)),
              "Ўзбекистон WhatsAppʼda");
    EXPECT_EQ(styleText("o'zbek", style(kAsIs, ApostropheChoice::Standard, true)), "oʻzbek ");
}

TEST(TextStyle, InvalidUtf8IsReplacedWhenConverted) {
    EXPECT_EQ(styleText("Salom\xff", style(ScriptChoice::Cyrillic, kKeep)), "Салом\uFFFD");
    EXPECT_EQ(styleText("\xc3(\xed\xa0\x80", style(ScriptChoice::Latin, ApostropheChoice::Standard)),
              "\uFFFD(\uFFFD\uFFFD\uFFFD");
    EXPECT_EQ(styleText("", style(ScriptChoice::Cyrillic, ApostropheChoice::Ascii, true, true)), "");
}
