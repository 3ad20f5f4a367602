#include "text/utf32.h"

#include <array>

namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool isContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

// Reads one code point at `i`; advances past it, or past one byte when the
// sequence there is not valid UTF-8.
char32_t decodeAt(std::string_view utf8, std::size_t& i) {
    const auto lead = static_cast<unsigned char>(utf8[i]);
    if (lead < 0x80) {
        ++i;
        return lead;
    }
    std::size_t length = 0;
    char32_t code = 0;
    char32_t smallest = 0;
    if ((lead & 0xE0) == 0xC0) {
        length = 2, code = lead & 0x1F, smallest = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, code = lead & 0x0F, smallest = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, code = lead & 0x07, smallest = 0x10000;
    } else {
        ++i;
        return kReplacement;
    }
    if (i + length > utf8.size()) {
        ++i;
        return kReplacement;
    }
    for (std::size_t k = 1; k < length; ++k) {
        const auto byte = static_cast<unsigned char>(utf8[i + k]);
        if (!isContinuation(byte)) {
            ++i;
            return kReplacement;
        }
        code = (code << 6) | (byte & 0x3F);
    }
    if (code < smallest || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
        ++i;
        return kReplacement;
    }
    i += length;
    return code;
}

bool inRange(char32_t c, char32_t first, char32_t last) { return c >= first && c <= last; }

// Cyrillic pairs where the capital is the even code point of the pair.
bool inEvenCapitalPairs(char32_t c) {
    return inRange(c, 0x0460, 0x0481) || inRange(c, 0x048A, 0x04BF) || inRange(c, 0x04D0, 0x04FF);
}

constexpr std::array<std::u32string_view, 15> kDomainEndings = {
    U"uz", U"com", U"ru", U"org", U"net", U"info", U"io", U"gov", U"edu", U"me", U"tv", U"app", U"dev", U"kz", U"tj"};

// `lower` is lowercase already.
bool equalsIgnoringCase(std::u32string_view text, std::u32string_view lower) {
    if (text.size() != lower.size()) return false;
    for (std::size_t k = 0; k < text.size(); ++k)
        if (lowerLetter(text[k]) != lower[k]) return false;
    return true;
}

}  // namespace

std::u32string utf8ToUtf32(std::string_view utf8) {
    std::u32string text;
    text.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) text += decodeAt(utf8, i);
    return text;
}

std::string utf32ToUtf8(std::u32string_view text) {
    std::string utf8;
    utf8.reserve(text.size() * 2);
    for (char32_t c : text) {
        if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) c = kReplacement;
        if (c < 0x80) {
            utf8 += static_cast<char>(c);
        } else if (c < 0x800) {
            utf8 += static_cast<char>(0xC0 | (c >> 6));
            utf8 += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            utf8 += static_cast<char>(0xE0 | (c >> 12));
            utf8 += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            utf8 += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            utf8 += static_cast<char>(0xF0 | (c >> 18));
            utf8 += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            utf8 += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            utf8 += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return utf8;
}

bool isAsciiLetter(char32_t c) { return inRange(c, U'a', U'z') || inRange(c, U'A', U'Z'); }

bool isLatinLetter(char32_t c) {
    return isAsciiLetter(c) || (inRange(c, 0x00C0, 0x024F) && c != 0x00D7 && c != 0x00F7);
}

bool isCyrillicLetter(char32_t c) {
    return inRange(c, 0x0400, 0x0481) || inRange(c, 0x048A, 0x04FF);
}

bool isLetter(char32_t c) { return isLatinLetter(c) || isCyrillicLetter(c); }

bool isUpperLetter(char32_t c) {
    if (inRange(c, U'A', U'Z')) return true;
    if (inRange(c, 0x00C0, 0x00DE)) return c != 0x00D7;
    if (inRange(c, 0x0400, 0x042F)) return true;
    if (inEvenCapitalPairs(c)) return c % 2 == 0;
    if (inRange(c, 0x04C0, 0x04CE)) return c == 0x04C0 || c % 2 == 1;
    return false;
}

char32_t lowerLetter(char32_t c) {
    if (c < 0x80) return inRange(c, U'A', U'Z') ? c + 0x20 : c;
    if (inRange(c, 0x00C0, 0x00DE) && c != 0x00D7) return c + 0x20;
    if (inRange(c, 0x0410, 0x042F)) return c + 0x20;
    if (inRange(c, 0x0400, 0x040F)) return c + 0x50;
    if (inEvenCapitalPairs(c) && c % 2 == 0) return c + 1;
    if (inRange(c, 0x04C1, 0x04CE) && c % 2 == 1) return c + 1;
    if (c == 0x04C0) return 0x04CF;
    return c;
}

char32_t upperLetter(char32_t c) {
    if (c < 0x80) return inRange(c, U'a', U'z') ? c - 0x20 : c;
    if (inRange(c, 0x00E0, 0x00FE) && c != 0x00F7) return c - 0x20;
    if (inRange(c, 0x0430, 0x044F)) return c - 0x20;
    if (inRange(c, 0x0450, 0x045F)) return c - 0x50;
    if (inEvenCapitalPairs(c) && c % 2 == 1) return c - 1;
    if (inRange(c, 0x04C1, 0x04CE) && c % 2 == 0) return c - 1;
    if (c == 0x04CF) return 0x04C0;
    return c;
}

LetterCase letterCaseOf(std::u32string_view word) {
    std::size_t letters = 0, capitals = 0;
    for (char32_t c : word) {
        if (!isLetter(c)) continue;
        if (letters == 0 && !isUpperLetter(c)) return LetterCase::Lower;
        ++letters;
        if (isUpperLetter(c)) ++capitals;
    }
    if (letters == 0) return LetterCase::Lower;
    return letters >= 2 && capitals == letters ? LetterCase::Upper : LetterCase::Title;
}

void appendInCase(std::u32string& out, std::u32string_view lowerText, LetterCase letterCase) {
    bool first = true;
    for (char32_t c : lowerText) {
        const bool capital = letterCase == LetterCase::Upper || (letterCase == LetterCase::Title && first);
        out += capital ? upperLetter(c) : c;
        if (isLetter(c)) first = false;
    }
}

bool isTextSpace(char32_t c) {
    return c == U' ' || c == U'\t' || c == U'\n' || c == U'\r' || c == 0x00A0 || c == 0x2009 || c == 0x202F;
}

bool isWebAddress(std::u32string_view chunk) {
    if (chunk.find(U"://") != std::u32string_view::npos || chunk.find(U'@') != std::u32string_view::npos)
        return true;
    for (std::size_t dot = chunk.find(U'.'); dot != std::u32string_view::npos; dot = chunk.find(U'.', dot + 1)) {
        if (dot == 0 || !isAsciiLetter(chunk[dot - 1])) continue;
        const std::size_t start = dot - (dot >= 3 ? 3 : dot);
        if (dot >= 3 && lowerLetter(chunk[start]) == U'w' && lowerLetter(chunk[start + 1]) == U'w' &&
            lowerLetter(chunk[start + 2]) == U'w' && (start == 0 || !isLetter(chunk[start - 1])))
            return true;
        std::size_t end = dot + 1;
        while (end < chunk.size() && isAsciiLetter(chunk[end])) ++end;
        if (end < chunk.size() && isLetter(chunk[end])) continue;
        for (std::u32string_view known : kDomainEndings)
            if (equalsIgnoringCase(chunk.substr(dot + 1, end - dot - 1), known)) return true;
    }
    return false;
}

std::size_t webAddressAt(std::u32string_view text, std::size_t start) {
    std::size_t end = start;
    bool marked = false;  // every address has one of . @ :
    for (; end < text.size() && !isTextSpace(text[end]); ++end)
        marked = marked || text[end] == U'.' || text[end] == U'@' || text[end] == U':';
    return marked && isWebAddress(text.substr(start, end - start)) ? end - start : 0;
}
