// UTF-8 in and out, case tables and the addresses that keep their letters.

#include "text/utf32.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

TEST(Utf32, RoundTripAndInvalidInput) {
    const std::string text = "Oʻzbek \U0001F399 текст ғҚ \u00E9";
    EXPECT_EQ(utf8ToUtf32(text), U"Oʻzbek \U0001F399 текст ғҚ \u00E9");
    EXPECT_EQ(utf32ToUtf8(utf8ToUtf32(text)), text);

    const std::vector<std::pair<std::string, std::u32string>> invalid = {
        {"\xff", U"\uFFFD"},
        {"a\xc3", U"a\uFFFD"},                                     // cut short
        {"\xc3(", U"\uFFFD("},                                     // no continuation byte
        {"\xc0\xaf", U"\uFFFD\uFFFD"},                             // overlong
        {"\xed\xa0\x80", U"\uFFFD\uFFFD\uFFFD"},                   // a surrogate
        {"\xf4\x90\x80\x80", U"\uFFFD\uFFFD\uFFFD\uFFFD"},         // beyond U+10FFFF
        {"\x80ok", U"\uFFFDok"},
        {std::string("a\0b", 3), std::u32string(U"a\0b", 3)},
    };
    for (const auto& [bytes, expected] : invalid) EXPECT_EQ(utf8ToUtf32(bytes), expected) << bytes;
    EXPECT_EQ(utf32ToUtf8(std::u32string{0xD800, U'a', 0x110000}), "\uFFFDa\uFFFD");
}

TEST(Utf32, CaseOfTheLettersInUse) {
    const std::vector<std::pair<char32_t, char32_t>> pairs = {
        {U'a', U'A'}, {U'z', U'Z'}, {U'а', U'А'}, {U'я', U'Я'}, {U'ё', U'Ё'}, {U'ў', U'Ў'},
        {U'қ', U'Қ'}, {U'ғ', U'Ғ'}, {U'ҳ', U'Ҳ'}, {U'ь', U'Ь'}, {U'ъ', U'Ъ'}, {U'é', U'É'}};
    for (const auto& [lower, upper] : pairs) {
        EXPECT_EQ(upperLetter(lower), upper);
        EXPECT_EQ(lowerLetter(upper), lower);
        EXPECT_TRUE(isUpperLetter(upper));
        EXPECT_FALSE(isUpperLetter(lower));
    }
    for (char32_t other : {U'1', U'ʻ', U'-', char32_t{0x00D7}, char32_t{0x00F7}}) {
        EXPECT_EQ(lowerLetter(other), other);
        EXPECT_EQ(upperLetter(other), other);
    }
}

TEST(Utf32, WebAddresses) {
    for (const std::u32string_view address : {U"https://x.uz/a", U"info@kun.uz.", U"kun.uz", U"KUN.UZ/news",
                                               U"www.example", U"(https://gov.uz)", U"@vornika_bot", U"kun.uz'da"})
        EXPECT_TRUE(isWebAddress(address)) << utf32ToUtf8(address);
    for (const std::u32string_view word : {U"Salom.", U"1.5", U"oʻzbek", U"uz", U"salom.Qalaysiz", U"kun.uzda",
                                            U"a.b", U"..."})
        EXPECT_FALSE(isWebAddress(word)) << utf32ToUtf8(word);
}
