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
        // The whole prompt again, whatever the speech: the classic failure.
        {"Toshkent, Alisher Navoiy, O'zbekiston.", false, true},
        {"Salom. toshkent alisher navoiy o\xE2\x80\x98zbekiston", false, true},
        // Prompt words alone are an echo only from a take with little speech.
        {"Toshkent.", true, true},
        {"Navoiy, Toshkent", true, true},
        {"Toshkent.", false, false},
        {"Toshkentga bordim", true, false},
        {"Men Toshkentda yashayman", false, false},
        {"", true, false},
        {"...", true, false},
    };
    for (const Case& c : cases) EXPECT_EQ(isPromptEcho(c.text, list, c.littleSpeech), c.echo) << c.text;
    EXPECT_FALSE(isPromptEcho("Toshkent", "", true));
    // A one-word list never counts as repeated: saying the word is normal.
    EXPECT_FALSE(isPromptEcho("Toshkent Toshkent", "Toshkent", false));
}
