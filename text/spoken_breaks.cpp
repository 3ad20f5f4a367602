#include "text/spoken_breaks.h"

#include "text/utf32.h"

namespace {

struct Phrase {
    std::u32string_view second;  // the word after "yangi"
    std::u32string_view breaks;
};
constexpr Phrase kPhrases[] = {
    {U"qator", U"\n"},
    {U"қатор", U"\n"},
    {U"xatboshi", U"\n\n"},
    {U"хатбоши", U"\n\n"},
};
constexpr std::u32string_view kYangi[] = {U"yangi", U"янги"};

bool isInlineSpace(char32_t c) { return c == U' ' || c == U'\t' || c == 0x00A0; }

bool isPunctuationAfter(char32_t c) {
    return c == U'.' || c == U',' || c == U'!' || c == U'?' || c == U';' || c == U':' || c == 0x2026;
}

// The length of `word` (lowercase) at `at`, when it is there as a whole word; 0 otherwise.
std::size_t wordAt(std::u32string_view text, std::size_t at, std::u32string_view word) {
    if (text.size() - at < word.size()) return 0;
    for (std::size_t k = 0; k < word.size(); ++k)
        if (lowerLetter(text[at + k]) != word[k]) return 0;
    const std::size_t end = at + word.size();
    return end < text.size() && isLetter(text[end]) ? 0 : word.size();
}

// The phrase at `at`: its length and its line breaks.
std::size_t phraseAt(std::u32string_view text, std::size_t at, std::u32string_view& breaks) {
    if (at > 0 && isLetter(text[at - 1])) return 0;
    for (std::u32string_view yangi : kYangi) {
        const std::size_t first = wordAt(text, at, yangi);
        if (first == 0) continue;
        std::size_t second = at + first;
        if (second >= text.size() || !isInlineSpace(text[second])) return 0;
        while (second < text.size() && isInlineSpace(text[second])) ++second;
        for (const Phrase& phrase : kPhrases) {
            if (const std::size_t length = wordAt(text, second, phrase.second)) {
                breaks = phrase.breaks;
                return second + length - at;
            }
        }
    }
    return 0;
}

}  // namespace

std::u32string replaceSpokenBreaks(std::u32string_view text) {
    std::u32string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        std::u32string_view breaks;
        const std::size_t length = phraseAt(text, i, breaks);
        if (length == 0) {
            out += text[i++];
            continue;
        }
        while (!out.empty() && isInlineSpace(out.back())) out.pop_back();
        if (!out.empty() && out.back() == U',') out.pop_back();
        while (!out.empty() && isInlineSpace(out.back())) out.pop_back();
        out += breaks;
        i += length;
        while (i < text.size() && (isPunctuationAfter(text[i]) || isInlineSpace(text[i]))) ++i;
    }
    return out;
}
