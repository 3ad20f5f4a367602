#include "text/cyrillic_to_latin.h"

#include "text/apostrophes.h"
#include "text/loan_words.h"
#include "text/utf32.h"

namespace {

bool isVowel(char32_t lower) {
    switch (lower) {
    case U'а': case U'е': case U'ё': case U'и': case U'о': case U'у':
    case U'ў': case U'э': case U'ю': case U'я': case U'ы':
        return true;
    default:
        return false;
    }
}

bool isIotated(char32_t lower) { return lower == U'е' || lower == U'ё' || lower == U'ю' || lower == U'я'; }

// The letters that are always written the same way; Writer::byRules decides the rest.
std::u32string_view fixedLetter(char32_t lower) {
    switch (lower) {
    case U'а': return U"a";
    case U'б': return U"b";
    case U'в': return U"v";
    case U'г': return U"g";
    case U'д': return U"d";
    case U'ё': return U"yo";
    case U'ж': return U"j";
    case U'з': return U"z";
    case U'и': return U"i";
    case U'й': return U"y";
    case U'к': return U"k";
    case U'л': return U"l";
    case U'м': return U"m";
    case U'н': return U"n";
    case U'о': return U"o";
    case U'п': return U"p";
    case U'р': return U"r";
    case U'с': return U"s";
    case U'т': return U"t";
    case U'у': return U"u";
    case U'ф': return U"f";
    case U'х': return U"x";
    case U'ч': return U"ch";
    case U'ш': return U"sh";
    case U'щ': return U"sh";
    case U'ы': return U"i";
    case U'э': return U"e";
    case U'ю': return U"yu";
    case U'я': return U"ya";
    case U'қ': return U"q";
    case U'ҳ': return U"h";
    default: return {};
    }
}

class Writer {
public:
    Writer(std::u32string& out, bool asciiApostrophes)
        : out_(out), mark_(asciiApostrophes ? U'\'' : kTurnedComma), tutuq_(asciiApostrophes ? U'\'' : kTutuqBelgisi) {}

    // The rules alone for word[from, end); the letters before `from` are context.
    void byRules(std::u32string_view word, std::size_t from) {
        for (std::size_t i = from; i < word.size(); ++i) {
            const char32_t c = word[i];
            const char32_t lower = lowerLetter(c);
            const char32_t prev = i > 0 ? lowerLetter(word[i - 1]) : 0;
            const char32_t next = i + 1 < word.size() ? lowerLetter(word[i + 1]) : 0;
            // The rest of a two-letter sound is in capitals inside an all-capitals word.
            const bool capital = isUpperLetter(c);
            const bool restCapital = capital && (i + 1 < word.size() ? isUpperLetter(word[i + 1])
                                                                     : i > 0 && isUpperLetter(word[i - 1]));
            switch (lower) {
            case U'е':
                put(i == 0 || isVowel(prev) || prev == U'ъ' || prev == U'ь' ? U"ye" : U"e", capital, restCapital);
                break;
            case U'ц':
                put(i > 0 && isVowel(prev) ? U"ts" : U"s", capital, restCapital);
                break;
            case U'ь':
                if (next != 0 && isVowel(next) && !isIotated(next)) out_ += capital && restCapital ? U'Y' : U'y';
                break;
            case U'ъ':
                if (prev != U'ў' && !(isIotated(next) && !isVowel(prev))) out_ += tutuq_;
                break;
            case U'ў':
                put(U"o", capital, false);
                out_ += mark_;
                break;
            case U'ғ':
                put(U"g", capital, false);
                out_ += mark_;
                break;
            case U'с':
                put(U"s", capital, false);
                if (next == U'ҳ') out_ += tutuq_;  // not sh
                break;
            default: {
                const std::u32string_view latin = fixedLetter(lower);
                if (latin.empty())
                    out_ += c;
                else
                    put(latin, capital, restCapital);
            }
            }
        }
    }

    void listed(std::u32string_view latin, LetterCase letterCase) {
        const std::size_t start = out_.size();
        appendInCase(out_, latin, letterCase);
        for (std::size_t i = start; i < out_.size(); ++i) {
            if (out_[i] == kTurnedComma) out_[i] = mark_;
            if (out_[i] == kTutuqBelgisi) out_[i] = tutuq_;
        }
    }

private:
    void put(std::u32string_view latin, bool capital, bool restCapital) {
        out_ += capital ? upperLetter(latin[0]) : latin[0];
        for (std::size_t k = 1; k < latin.size(); ++k) out_ += restCapital ? upperLetter(latin[k]) : latin[k];
    }

    std::u32string& out_;
    char32_t mark_;
    char32_t tutuq_;
};

}  // namespace

std::u32string cyrillicToLatin(std::u32string_view text, bool asciiApostrophes) {
    std::u32string out;
    out.reserve(text.size() + text.size() / 8);
    Writer writer(out, asciiApostrophes);
    std::u32string key;
    for (std::size_t i = 0; i < text.size();) {
        if (!isCyrillicLetter(text[i])) {
            out += text[i++];
            continue;
        }
        std::size_t end = i + 1;
        while (end < text.size() && isCyrillicLetter(text[end])) ++end;
        const std::u32string_view word = text.substr(i, end - i);
        key.clear();
        for (char32_t c : word) key += lowerLetter(c);
        if (const auto loan = cyrillicLoanAtStart(key)) {
            writer.listed(loan->spelling, letterCaseOf(word.substr(0, loan->length)));
            writer.byRules(word, loan->length);
        } else {
            writer.byRules(word, 0);
        }
        i = end;
    }
    return out;
}
