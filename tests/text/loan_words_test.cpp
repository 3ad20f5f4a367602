// The built-in word list: clean entries, and every word converting to its
// listed spelling alone, with suffixes and capitalised, in both directions.

#include "text/loan_words.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "text/cyrillic_to_latin.h"
#include "text/latin_to_cyrillic.h"
#include "text/utf32.h"

namespace {

bool onlyLowercaseLatin(std::u32string_view word) {
    for (char32_t c : word)
        if (!(c >= U'a' && c <= U'z') && c != 0x02BB && c != 0x02BC) return false;
    return !word.empty();
}

bool onlyLowercaseCyrillic(std::u32string_view word) {
    for (char32_t c : word)
        if (!isCyrillicLetter(c) || isUpperLetter(c)) return false;
    return !word.empty();
}

std::u32string titled(std::u32string_view word) {
    std::u32string out(word);
    out[0] = upperLetter(out[0]);
    return out;
}

std::u32string withoutSoftSign(std::u32string_view cyrillic) {
    return std::u32string(cyrillic.back() == U'ь' ? cyrillic.substr(0, cyrillic.size() - 1) : cyrillic);
}

}  // namespace

TEST(LoanWords, EntriesAreCleanAndEachCyrillicWordReadsBackOneWay) {
    std::set<std::u32string_view> latin, readBack;
    for (const LoanWord& word : loanWords()) {
        const std::string name = utf32ToUtf8(word.latin);
        EXPECT_TRUE(onlyLowercaseLatin(word.latin)) << name;
        EXPECT_TRUE(onlyLowercaseCyrillic(word.cyrillic)) << name;
        EXPECT_TRUE(latin.insert(word.latin).second) << name << " twice";
        if (word.fromCyrillic) {
            EXPECT_TRUE(readBack.insert(word.cyrillic).second) << name;
        }
    }
}

TEST(LoanWords, EveryWordConvertsAloneWithSuffixesAndCapitalised) {
    for (const LoanWord& word : loanWords()) {
        const std::string name = utf32ToUtf8(word.latin);
        EXPECT_EQ(latinToCyrillic(word.latin), word.cyrillic) << name;
        EXPECT_EQ(latinToCyrillic(std::u32string(word.latin) + U"larda"), withoutSoftSign(word.cyrillic) + U"ларда")
            << name;
        EXPECT_EQ(latinToCyrillic(titled(word.latin) + U"ni"), titled(withoutSoftSign(word.cyrillic)) + U"ни") << name;
        if (!word.fromCyrillic) {
            // The spelling the rules write for it leads back to the same word.
            EXPECT_EQ(latinToCyrillic(cyrillicToLatin(word.cyrillic, false)), word.cyrillic) << name;
            continue;
        }
        EXPECT_EQ(cyrillicToLatin(word.cyrillic, false), word.latin) << name;
        EXPECT_EQ(cyrillicToLatin(withoutSoftSign(word.cyrillic) + U"дан", false), std::u32string(word.latin) + U"dan")
            << name;
        EXPECT_EQ(cyrillicToLatin(titled(word.cyrillic), false), titled(word.latin)) << name;
    }
}
