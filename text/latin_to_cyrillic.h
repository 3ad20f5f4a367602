#pragma once
// Uzbek Latin text in Cyrillic. Letters map one to one except oʻ gʻ sh ch
// yo yu ya ye, word-initial ts (ц) and the tutuq (ъ); e is э at the start of a
// word and after a vowel, е after a consonant; ngʻ is нғ and ng is нг. Loans
// that keep ь, ъ, ц or й come from the built-in list (kompyuter → компьютер,
// yanvarda → январда). Cyrillic, digits, punctuation and words that are not
// Uzbek Latin (addresses, words with w or a c outside ch, other Latin letters
// such as é, Roman numerals such as XXI, camel case such as YouTube) are left
// as they are.
//
// Where the text does not decide, this is the way the module goes
// (Latin → Cyrillic, then Cyrillic → Latin):
//  - ts after a vowel is тс (ketsa → кетса) unless the list or a loan ending
//    says ц: -tsiya/-tsion after a vowel (operatsiya → операция), -ksiya
//    (aksiya → акция); unlisted loans keep тс/с (sitrus → ситрус, not цитрус).
//  - ts at the start of a word is always ц (tsunami → цунами).
//  - e after a vowel is э (aeroport → аэропорт), also in unlisted Russian
//    words written without y (orientir → ориэнтир).
//  - ye is е and yo/yu/ya are ё/ю/я; an unlisted loan loses ъ, ь or й
//    (barelyef → барелеф, yod → ёд, which is right for the Uzbek word).
//  - s stays с: unlisted loans with ц come out with с (sitata → ситата).
//  - An apostrophe after o/g makes oʻ/gʻ, also at the end of a word
//    (bogʻ → боғ), unless it closes a quotation opened with an apostrophe
//    earlier on the same line ('Kino' → 'Кино'); a lone "kino'" → кинў.
//  - An apostrophe between two letters is a tutuq (ъ), so a closing quote
//    with a suffix after it ('Toshkent'ga) reads as one.
//  - The tutuq is dropped only between s and h (Isʼhoq → Исҳоқ); written
//    without it, sh is ш (Ashob → Ашоб) except for the listed Ishoq.
//  - A listed loan drops its final ь before a suffix (aprelda → апрелда), and
//    only a fixed set of suffixes is recognised after it; with any other
//    ending the word is left to the rules (modelyer → моделер).
//  - Uppercase words made only of I V X L C D M that read as a Roman numeral
//    (XXI, IV, MIX) stay Latin, and so do words with one capital between
//    small letters (YouTube, iPhone); abbreviations with a suffix convert
//    (OʻzMUda → ЎзМУда). Other English words without w or a lone c are
//    converted letter by letter (Telegram → Телеграм, Google → Гоогле).
//  - Cyrillic → Latin: ц after a vowel is ts also at the end of a word
//    unless listed (шприц → shpris is listed); ъ before е/ё/ю/я is dropped
//    after a consonant (объект → obyekt) and kept as ʼ after a vowel
//    (маъюс → maʼyus); ъ after ў is dropped (мўъжиза → moʻjiza); сҳ is sʼh;
//    the izofa и after a vowel stays i (нуқтаи → nuqtai, not nuqtayi).
//  - Cyrillic → Latin capitals: a two-letter sound is all capitals when the
//    next letter is a capital, or it ends the word after a capital (АҚШ →
//    AQSH); otherwise only its first letter (Шаҳар → Shahar, Ш. → Sh.).

#include <string>
#include <string_view>

std::u32string latinToCyrillic(std::u32string_view text);
