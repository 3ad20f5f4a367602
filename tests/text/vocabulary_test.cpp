// The user's word list: what the model is given, and which results are the
// prompt echoing rather than the user speaking.

#include "text/vocabulary.h"

#include <gtest/gtest.h>

TEST(Vocabulary, TheListBecomesOnePromptOfDistinctTrimmedEntries) {
    struct Case {
        const char* list;
        const char* prompt;
    };
    const Case cases[] = {
        {"", ""},
        {" , ;\r\n ", ""},
        {"Toshkent", "Toshkent"},
        {"  Toshkent ,Alisher Navoiy;  O\xCA\xBBzbekiston\r\nToshkent", "Toshkent, Alisher Navoiy, O\xCA\xBBzbekiston"},
        {"\xD0\xA2\xD0\xBE\xD1\x88\xD0\xBA\xD0\xB5\xD0\xBD\xD1\x82,\ttoshkent", "\xD0\xA2\xD0\xBE\xD1\x88\xD0\xBA\xD0\xB5\xD0\xBD\xD1\x82, toshkent"},
    };
    for (const Case& c : cases) EXPECT_EQ(vocabularyPrompt(c.list), c.prompt) << c.list;
    EXPECT_EQ(vocabularyEntries("a, b, a").size(), 2u);
}

TEST(Vocabulary, APromptThatSpeaksForTheUserIsAnEcho) {
    const char* list = "Toshkent, Alisher Navoiy, O\xCA\xBBzbekiston";
    struct Case {
        const char* text;
        bool littleSpeech;
        bool echo;
    };
    const Case cases[] = {
        // Prompt words alone, from a take with little speech.
        {"Toshkent, Alisher Navoiy, O'zbekiston.", true, true},
        {"Toshkent.", true, true},
        {"Navoiy, Toshkent", true, true},
        // Real speech is the user's, even when it says exactly the prompt.
        {"Toshkent, Alisher Navoiy, O'zbekiston.", false, false},
        {"Toshkent.", false, false},
        // Any word beyond the prompt's is the user's too.
        {"Salom. toshkent alisher navoiy o\xE2\x80\x98zbekiston", true, false},
        {"Bugun Alisher Navoiy ko'chasiga bordim", false, false},
        {"Toshkentga bordim", true, false},
        {"", true, false},
        {"...", true, false},
    };
    for (const Case& c : cases) EXPECT_EQ(isPromptEcho(c.text, list, c.littleSpeech), c.echo) << c.text;
    EXPECT_FALSE(isPromptEcho("Toshkent", "", true));
}
