// The text settings applied to a recognised text before delivery, and the
// settings window's example line.

#include "app/text_choice.h"

#include <gtest/gtest.h>

namespace {

Settings withText(TextScript script, TextApostrophe apostrophe, bool trailingSpace, bool spokenBreaks) {
    Settings s;
    s.textScript = script;
    s.textApostrophe = apostrophe;
    s.textTrailingSpace = trailingSpace;
    s.textSpokenBreaks = spokenBreaks;
    return s;
}

}  // namespace

TEST(TextChoice, TheSettingsFileValuesMeanTheSameStyle) {
    for (const int value : {0, 1, 2}) {
        const TextStyle style =
            textStyleOf(withText(static_cast<TextScript>(value), static_cast<TextApostrophe>(2 - value), value == 1, value == 2));
        EXPECT_EQ(static_cast<int>(style.script), value);
        EXPECT_EQ(static_cast<int>(style.apostrophe), 2 - value);
        EXPECT_EQ(style.trailingSpace, value == 1);
        EXPECT_EQ(style.spokenBreaks, value == 2);
    }
}

TEST(TextChoice, DeliveredTextIsStyledWithWindowsLineEnds) {
    const Settings asIs;
    const Settings breaks = withText(TextScript::AsRecognised, TextApostrophe::AsRecognised, true, true);
    const Settings cyrillic = withText(TextScript::Cyrillic, TextApostrophe::AsRecognised, false, true);
    const struct {
        const wchar_t* recognised;
        const Settings& settings;
        const wchar_t* delivered;
    } cases[] = {
        {L"", breaks, L""},
        {L"Salom dunyo", asIs, L"Salom dunyo"},
        {L"bir\nikki\r\nuch", asIs, L"bir\r\nikki\r\nuch"},
        {L"Salom. Yangi qator. Xayr", breaks, L"Salom.\r\nXayr "},
        {L"Yangi qator", breaks, L"\r\n"},
        {L"Salom. Yangi xatboshi. Xayr", cyrillic, L"\u0421\u0430\u043b\u043e\u043c.\r\n\r\n\u0425\u0430\u0439\u0440"},
    };
    for (const auto& c : cases) EXPECT_EQ(deliveredText(c.recognised, c.settings), c.delivered) << c.recognised;
}

TEST(TextChoice, TheExampleFollowsEveryChoice) {
    EXPECT_EQ(textExample(Settings{}), L"Namuna: \u00abYanvarda o'qish boshlandi. Yangi qator. Ma'lumot kompyuterda.\u00bb");
    EXPECT_EQ(textExample(withText(TextScript::Latin, TextApostrophe::Standard, true, true)),
              L"Namuna: \u00abYanvarda o\u02bbqish boshlandi.\nMa\u02bclumot kompyuterda. \u00bb");
    EXPECT_EQ(textExample(withText(TextScript::Cyrillic, TextApostrophe::AsRecognised, false, false)),
              L"Namuna: \u00ab\u042f\u043d\u0432\u0430\u0440\u0434\u0430 \u045e\u049b\u0438\u0448 "
              L"\u0431\u043e\u0448\u043b\u0430\u043d\u0434\u0438. \u042f\u043d\u0433\u0438 \u049b\u0430\u0442\u043e\u0440. "
              L"\u041c\u0430\u044a\u043b\u0443\u043c\u043e\u0442 \u043a\u043e\u043c\u043f\u044c\u044e\u0442\u0435\u0440\u0434\u0430.\u00bb");
}
