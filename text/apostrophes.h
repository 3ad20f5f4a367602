#pragma once
// The apostrophes of Uzbek Latin text: which belong to oʻ/gʻ, which are the
// tutuq belgisi between two letters, and which are quotation marks, and the
// text with those of the first two kinds written one chosen way.

#include <cstddef>
#include <string_view>
#include <string>

#include "text/text_style.h"

inline constexpr char32_t kTurnedComma = 0x02BB;   // ʻ in oʻ and gʻ
inline constexpr char32_t kTutuqBelgisi = 0x02BC;  // ʼ

// ' ` ‘ ’ ʻ ʼ ´: the ways recognisers, keyboards and sites write them.
bool isApostropheVariant(char32_t c);

enum class ApostropheRole {
    Quote,      // a quotation mark or anything else: left as written
    OgMark,     // right after o/O/g/G: the letter oʻ or gʻ
    Tutuq,      // between two Latin letters elsewhere
};

// Reads the roles of a text's apostrophes, left to right. An apostrophe after
// o or g that ends a word closes a quotation opened earlier on the same line
// ('Kino' stays a quoted word); otherwise it belongs to the letter (bogʻ).
class ApostropheReader {
public:
    // `i` indexes an apostrophe variant; call for increasing `i` (asking
    // about the same `i` again gives the same answer).
    ApostropheRole roleAt(std::u32string_view text, std::size_t i);

private:
    bool quoteOpen_ = false;
    std::size_t quoteStart_ = 0;
    std::size_t lastIndex_ = std::u32string_view::npos;
    ApostropheRole lastRole_ = ApostropheRole::Quote;
};

// The text with the letter apostrophes of its Latin words written as chosen:
// Standard puts U+02BB in oʻ/gʻ and U+02BC for the tutuq, Ascii puts ' for
// both. Quotation marks, Cyrillic words and web addresses are left alone;
// AsRecognised returns the text unchanged.
std::u32string styleApostrophes(std::u32string_view text, ApostropheChoice choice);
