// "yangi qator" and "yangi xatboshi" said as words become line breaks.

#include "text/spoken_breaks.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "text/utf32.h"

TEST(SpokenBreaks, PhrasesBecomeBreaksWithTheirPunctuation) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"Salom. Yangi qator. Qalaysiz?", "Salom.\nQalaysiz?"},
        {"Salom yangi qator qalaysiz", "Salom\nqalaysiz"},
        {"Salom, yangi qator, qalaysiz", "Salom\nqalaysiz"},
        {"Birinchi. Yangi xatboshi. Ikkinchi.", "Birinchi.\n\nIkkinchi."},
        {"Салом. Янги қатор. Қалайсиз?", "Салом.\nҚалайсиз?"},
        {"Янги хатбоши матн", "\n\nматн"},
        {"YANGI QATOR", "\n"},
        {"yangi  qator!  keyin", "\nkeyin"},
        {"A yangi qator yangi qator B", "A\n\nB"},
        {"Matn yangi qator.", "Matn\n"},
        {"Oxiri! Yangi qator\u2026", "Oxiri!\n"},
        // Only the whole words.
        {"yangi qatorlar qoʻshildi", "yangi qatorlar qoʻshildi"},
        {"bu yangi qatorda", "bu yangi qatorda"},
        {"yangiqator", "yangiqator"},
        {"eyangi qator", "eyangi qator"},
        {"yangi, qator", "yangi, qator"},
        {"", ""},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(utf32ToUtf8(replaceSpokenBreaks(utf8ToUtf32(text))), expected) << text;
}
