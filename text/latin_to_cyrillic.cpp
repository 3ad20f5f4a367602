#include "text/latin_to_cyrillic.h"

#include <utility>

#include "text/apostrophes.h"
#include "text/loan_words.h"
#include "text/utf32.h"

namespace {

bool isVowel(char32_t lower) { return lower == U'a' || lower == U'e' || lower == U'i' || lower == U'o' || lower == U'u'; }

char32_t cased(char32_t lowerCyrillic, bool capital) { return capital ? upperLetter(lowerCyrillic) : lowerCyrillic; }

char32_t singleLetter(char32_t lower) {
    switch (lower) {
    case U'a': return U'а';
    case U'b': return U'б';
    case U'd': return U'д';
    case U'f': return U'ф';
    case U'g': return U'г';
    case U'h': return U'ҳ';
    case U'i': return U'и';
    case U'j': return U'ж';
    case U'k': return U'к';
    case U'l': return U'л';
    case U'm': return U'м';
    case U'n': return U'н';
    case U'o': return U'о';
    case U'p': return U'п';
    case U'q': return U'қ';
    case U'r': return U'р';
    case U's': return U'с';
    case U't': return U'т';
    case U'u': return U'у';
    case U'v': return U'в';
    case U'x': return U'х';
    case U'y': return U'й';
    case U'z': return U'з';
    default: return 0;
    }
}

char32_t iotated(char32_t vowel) {
    switch (vowel) {
    case U'a': return U'я';
    case U'u': return U'ю';
    case U'e': return U'е';
    default: return U'ё';
    }
}

// Canonical Roman numerals from 1 to 3999 only, so that DIL (heart) is a word.
bool isRomanNumeral(std::u32string_view word) {
    auto valueOf = [](char32_t c) {
        switch (c) {
        case U'I': return 1;
        case U'V': return 5;
        case U'X': return 10;
        case U'L': return 50;
        case U'C': return 100;
        case U'D': return 500;
        case U'M': return 1000;
        default: return 0;
        }
    };
    int value = 0;
    for (std::size_t i = 0; i < word.size(); ++i) {
        const int v = valueOf(word[i]);
        if (v == 0) return false;
        value += (i + 1 < word.size() && valueOf(word[i + 1]) > v) ? -v : v;
    }
    if (value <= 0 || value >= 4000) return false;
    static constexpr std::pair<int, std::u32string_view> kParts[] = {
        {1000, U"M"}, {900, U"CM"}, {500, U"D"}, {400, U"CD"}, {100, U"C"}, {90, U"XC"}, {50, U"L"},
        {40, U"XL"},  {10, U"X"},   {9, U"IX"},  {5, U"V"},    {4, U"IV"},  {1, U"I"}};
    std::u32string canonical;
    for (const auto& [partValue, letters] : kParts)
        for (; value >= partValue; value -= partValue) canonical += letters;
    return canonical == word;
}

// A single capital between small letters: YouTube, iPhone. An abbreviation
// with a suffix has two or more (ToshDUda).
bool isCamelCase(std::u32string_view word) {
    for (std::size_t i = 1; i + 1 < word.size(); ++i)
        if (isUpperLetter(word[i]) && !isUpperLetter(word[i - 1]) && isAsciiLetter(word[i - 1]) &&
            !isUpperLetter(word[i + 1]) && isAsciiLetter(word[i + 1]))
            return true;
    return false;
}

// Letters of the Uzbek Latin alphabet and their apostrophes only: no w, no c
// outside ch, no other Latin letter; not a Roman numeral nor a brand name
// written in camel case.
bool isUzbekLatinWord(std::u32string_view word) {
    for (std::size_t i = 0; i < word.size(); ++i) {
        const char32_t lower = lowerLetter(word[i]);
        if (isApostropheVariant(word[i])) continue;
        if (!isAsciiLetter(word[i]) || lower == U'w') return false;
        if (lower == U'c' && (i + 1 == word.size() || lowerLetter(word[i + 1]) != U'h')) return false;
    }
    return !isRomanNumeral(word) && !isCamelCase(word);
}

// The rules alone, for word[from, to); the letters before `from` are the
// context (a suffix after a listed stem).
void writeByRules(std::u32string_view word, std::size_t from, std::size_t to, std::u32string& out) {
    auto lowerAt = [&](std::size_t k) -> char32_t { return k < to ? lowerLetter(word[k]) : 0; };
    for (std::size_t i = from; i < to;) {
        const char32_t c = word[i];
        const char32_t lower = lowerLetter(c);
        const bool capital = isUpperLetter(c);
        const char32_t next = lowerAt(i + 1);
        if (isApostropheVariant(c)) {
            // Between s and h it only keeps them from reading as sh.
            const bool betweenSAndH = i > 0 && lowerLetter(word[i - 1]) == U's' && next == U'h';
            const bool inCapitals = i > 0 && isUpperLetter(word[i - 1]) && i + 1 < to && isUpperLetter(word[i + 1]);
            if (!betweenSAndH) out += cased(U'ъ', inCapitals);
            ++i;
        } else if ((lower == U'o' || lower == U'g') && i + 1 < to && isApostropheVariant(word[i + 1])) {
            out += cased(lower == U'o' ? U'ў' : U'ғ', capital);
            i += 2;
        } else if ((lower == U's' || lower == U'c') && next == U'h') {
            out += cased(lower == U's' ? U'ш' : U'ч', capital);
            i += 2;
        } else if (lower == U'y' && (next == U'a' || next == U'u' || next == U'e' || next == U'o') &&
                   !(next == U'o' && i + 2 < to && isApostropheVariant(word[i + 2]))) {
            // yoʻ is й + ў.
            out += cased(iotated(next), capital);
            i += 2;
        } else if (lower == U't' && next == U's' && i == 0) {
            // No Uzbek word begins with тс.
            out += cased(U'ц', capital);
            i += 2;
        } else if (lower == U'e') {
            const bool afterConsonant = i > 0 && isAsciiLetter(word[i - 1]) && !isVowel(lowerLetter(word[i - 1]));
            out += cased(afterConsonant ? U'е' : U'э', capital);
            ++i;
        } else {
            const char32_t single = singleLetter(lower);
            out += single ? cased(single, capital) : c;
            ++i;
        }
    }
}

void writeWord(std::u32string_view word, std::u32string& key, std::u32string& out) {
    if (!isUzbekLatinWord(word)) {
        out += word;
        return;
    }
    key.clear();
    for (std::size_t i = 0; i < word.size(); ++i) {
        if (!isApostropheVariant(word[i])) {
            key += lowerLetter(word[i]);
            continue;
        }
        const char32_t prev = i > 0 ? lowerLetter(word[i - 1]) : 0;
        key += (prev == U'o' || prev == U'g') ? kTurnedComma : kTutuqBelgisi;
    }
    if (const auto loan = latinLoanAtStart(key)) {
        appendInCase(out, loan->spelling, letterCaseOf(word.substr(0, loan->length)));
        writeByRules(word, loan->length, word.size(), out);
        return;
    }
    if (const auto ending = latinLoanEnding(key)) {
        const std::size_t end = ending->start + ending->length;
        writeByRules(word, 0, ending->start, out);
        appendInCase(out, ending->cyrillic, letterCaseOf(word.substr(ending->start, ending->length)));
        writeByRules(word, end, word.size(), out);
        return;
    }
    writeByRules(word, 0, word.size(), out);
}

}  // namespace

std::u32string latinToCyrillic(std::u32string_view text) {
    std::u32string out;
    out.reserve(text.size() + text.size() / 8);
    std::u32string key;
    ApostropheReader apostrophes;
    bool chunkStart = true;
    for (std::size_t i = 0; i < text.size();) {
        const char32_t c = text[i];
        if (isTextSpace(c)) {
            chunkStart = true;
            out += c;
            ++i;
            continue;
        }
        if (chunkStart) {
            chunkStart = false;
            if (const std::size_t length = webAddressAt(text, i)) {
                out += text.substr(i, length);
                i += length;
                continue;
            }
        }
        if (isLatinLetter(c)) {
            std::size_t end = i + 1;
            while (end < text.size() &&
                   (isLatinLetter(text[end]) ||
                    (isApostropheVariant(text[end]) && apostrophes.roleAt(text, end) != ApostropheRole::Quote)))
                ++end;
            writeWord(text.substr(i, end - i), key, out);
            i = end;
            continue;
        }
        if (isApostropheVariant(c)) apostrophes.roleAt(text, i);
        out += c;
        ++i;
    }
    return out;
}
