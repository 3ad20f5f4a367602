// Cutting the user's word list to what the model takes, with a counter that
// stands in for the model's tokenizer.

#include "engine/prompt_fit.h"

#include <gtest/gtest.h>

namespace {

// One token per started group of four bytes: a word of up to four letters is
// one token, and longer texts count more.
int fourBytesATokenCounter(const std::string& text) { return static_cast<int>((text.size() + 3) / 4); }

}  // namespace

TEST(PromptFit, AListIsKeptWholeOrCutAfterItsLastWordThatFits) {
    struct Case {
        const char* prompt;
        int limit;
        const char* kept;
        bool cut;
    };
    const Case cases[] = {
        {"", 5, "", false},
        {"Toshkent, Navoiy", 4, "Toshkent, Navoiy", false},             // 16 bytes: 4 tokens
        {"Toshkent, Navoiy, Samarqand", 4, "Toshkent, Navoiy", true},   // the comma after it dropped
        {"Toshkent, Navoiy, Samarqand", 3, "Toshkent", true},           // "Toshkent, Navoiy" is 4
        {"Toshkent Navoiy", 3, "Toshkent", true},                       // spaces part words too
        {"Amudaryo", 1, "", true},                                       // not even the first word
        {"a,b;c d", 1, "a,b", true},                                      // every separator counts
        {"Ўзбекистон, Тошкент", 6, "Ўзбекистон", true},                  // UTF-8 is cut at separators only
    };
    for (const Case& c : cases) {
        const FittedPrompt fitted = fitPrompt(c.prompt, c.limit, fourBytesATokenCounter);
        SCOPED_TRACE(c.prompt);
        EXPECT_EQ(fitted.text, c.kept);
        EXPECT_EQ(fitted.cut, c.cut);
        EXPECT_EQ(fitted.fullTokens, fourBytesATokenCounter(c.prompt));
        EXPECT_EQ(fitted.tokens, fourBytesATokenCounter(fitted.text));
        EXPECT_LE(fitted.tokens, c.limit);
    }
}

TEST(PromptFit, ACounterThatFailsGivesNoPrompt) {
    const FittedPrompt fitted = fitPrompt("Toshkent", 220, [](const std::string&) { return -1; });
    EXPECT_EQ(fitted.text, "");
    EXPECT_TRUE(fitted.cut);
}

TEST(PromptFit, TheTextBeforeASpeechKeepsItsEndFromAWholeWord) {
    struct Case {
        const char* context;
        int limit;
        const char* kept;
        bool cut;
    };
    const Case cases[] = {
        {"", 5, "", false},
        {"Bugun biz", 3, "Bugun biz", false},                     // 9 bytes: 3 tokens
        {"Bugun biz uchrashdik.", 3, "uchrashdik.", true},        // "biz uchrashdik." is 4
        {"Bugun biz uchrashdik. Keyin", 5, "uchrashdik. Keyin", true},
        {"Bugun,biz;bordik", 3, "biz;bordik", true},               // separators end words too
        {"Uchrashdik", 2, "", true},                                // not even the last word
        {"Бугун биз учрашдик", 6, "биз учрашдик", true},            // UTF-8 is cut at separators only
    };
    for (const Case& c : cases) {
        const FittedPrompt fitted = fitContext(c.context, c.limit, fourBytesATokenCounter);
        SCOPED_TRACE(c.context);
        EXPECT_EQ(fitted.text, c.kept);
        EXPECT_EQ(fitted.cut, c.cut);
        EXPECT_EQ(fitted.tokens, fourBytesATokenCounter(fitted.text));
        EXPECT_LE(fitted.tokens, c.limit);
    }
    EXPECT_EQ(fitContext("Bugun", 200, [](const std::string&) { return -1; }).text, "");
}
