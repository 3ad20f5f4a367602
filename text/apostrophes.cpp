#include "text/apostrophes.h"

#include "text/utf32.h"

namespace {

bool isOorG(char32_t c) { return c == U'o' || c == U'O' || c == U'g' || c == U'G'; }

char32_t charAt(std::u32string_view text, std::size_t i) { return i < text.size() ? text[i] : 0; }

bool lineBreakBetween(std::u32string_view text, std::size_t from, std::size_t to) {
    return text.substr(from, to - from).find(U'\n') != std::u32string_view::npos;
}

}  // namespace

bool isApostropheVariant(char32_t c) {
    return c == U'\'' || c == U'`' || c == 0x2018 || c == 0x2019 || c == kTurnedComma || c == kTutuqBelgisi ||
           c == 0x00B4;
}

ApostropheRole ApostropheReader::roleAt(std::u32string_view text, std::size_t i) {
    if (i == lastIndex_) return lastRole_;
    const char32_t prev = i > 0 ? text[i - 1] : 0;
    const char32_t next = charAt(text, i + 1);
    const bool letterBefore = isLatinLetter(prev);
    const bool letterAfter = isLatinLetter(next);
    // A second mark after oʻ (moʻʼjiza) is a tutuq.
    const bool afterOgMark = i > 0 && lastIndex_ == i - 1 && lastRole_ == ApostropheRole::OgMark;
    ApostropheRole role = ApostropheRole::Quote;
    if (isOorG(prev)) {
        const bool closesQuote = !letterAfter && !isApostropheVariant(next) && quoteOpen_ &&
                                 !lineBreakBetween(text, quoteStart_, i);
        role = closesQuote ? ApostropheRole::Quote : ApostropheRole::OgMark;
        if (closesQuote) quoteOpen_ = false;
    } else if ((letterBefore || afterOgMark) && letterAfter) {
        role = ApostropheRole::Tutuq;
    } else if (!letterBefore && letterAfter) {
        quoteOpen_ = true;
        quoteStart_ = i;
    } else if (letterBefore) {
        quoteOpen_ = false;
    }
    lastIndex_ = i;
    lastRole_ = role;
    return role;
}

std::u32string styleApostrophes(std::u32string_view text, ApostropheChoice choice) {
    std::u32string out(text);
    if (choice == ApostropheChoice::AsRecognised) return out;
    ApostropheReader reader;
    bool chunkStart = true;
    for (std::size_t i = 0; i < out.size(); ++i) {
        if (isTextSpace(out[i])) {
            chunkStart = true;
            continue;
        }
        if (chunkStart) {
            chunkStart = false;
            if (const std::size_t length = webAddressAt(text, i)) {
                i += length - 1;
                continue;
            }
        }
        if (!isApostropheVariant(out[i])) continue;
        const ApostropheRole role = reader.roleAt(text, i);
        if (role == ApostropheRole::OgMark)
            out[i] = choice == ApostropheChoice::Ascii ? U'\'' : kTurnedComma;
        else if (role == ApostropheRole::Tutuq)
            out[i] = choice == ApostropheChoice::Ascii ? U'\'' : kTutuqBelgisi;
    }
    return out;
}
