#pragma once
// The built-in list of words whose spelling in the other script no rule
// gives: Russian loans that keep ь, ъ, ц, э or й in Cyrillic (kompyuter →
// компьютер), and Arabic ones that lost a tutuq in Latin (moʻjiza → мўъжиза).
// A listed word is found at the start of a word when the rest is empty or a
// chain of Uzbek suffixes (kompyuterlarda, yanvarda), never inside another
// word, so sirka (vinegar) is not read as sirk (цирк) + a.

#include <cstddef>
#include <optional>
#include <span>
#include <string_view>

struct LoanWord {
    std::u32string_view latin;     // lowercase; oʻ/gʻ with U+02BB, the tutuq U+02BC
    std::u32string_view cyrillic;  // lowercase
    // Whether the Cyrillic spelling turns back into this one; false for a
    // variant spelling that is only read (tsement, sentyabr, klient).
    bool fromCyrillic;
};
std::span<const LoanWord> loanWords();

struct LoanMatch {
    // The other script's spelling, lowercase; a final ь is left out when
    // suffixes follow (январь, январда).
    std::u32string_view spelling;
    std::size_t length;  // how many characters of the word it stands for
};
// The longest listed word at the start of a lowercase word whose rest is
// empty or suffixes. Latin words use U+02BB/U+02BC as above.
std::optional<LoanMatch> latinLoanAtStart(std::u32string_view lowerWord);    // spelling: Cyrillic
std::optional<LoanMatch> cyrillicLoanAtStart(std::u32string_view lowerWord);  // spelling: Latin

// Loan endings that take ц whatever the word: -tsiya and -tsion after a
// vowel (operatsiya → операция), -ksiya (aksiya → акция); found where the
// rest of the lowercase Latin word is empty or suffixes.
struct LoanEnding {
    std::size_t start;
    std::size_t length;
    std::u32string_view cyrillic;
};
std::optional<LoanEnding> latinLoanEnding(std::u32string_view lowerWord);
