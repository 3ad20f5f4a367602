#pragma once
// Uzbek Cyrillic text in Latin; everything that is not a Cyrillic letter is
// left as it is. The positional cases: е is ye at the start of a word, after
// a vowel and after ъ/ь, else e; ц is s at the start of a word and after a
// consonant, ts after a vowel; ь is dropped (y before а, о, у, и, э);
// ъ is the tutuq, dropped after a consonant before е/ё/ю/я (объект → obyekt)
// and after ў; сҳ is sʼh. Two-letter sounds of a capital are all capitals
// inside an all-capitals word (ШАҲАР → SHAHAR, АҚШ → AQSH), else only the
// first (Шаҳар → Shahar, Ш. → Sh.). Listed loans take their listed spelling
// (сентябрь → sentabr, сентябрда → sentabrda).

#include <string>
#include <string_view>

// oʻ/gʻ get U+02BB and the tutuq U+02BC, or ' for both when `asciiApostrophes`.
std::u32string cyrillicToLatin(std::u32string_view text, bool asciiApostrophes);
