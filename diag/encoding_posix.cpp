#include "diag/encoding.h"

#include <cstdint>

static_assert(sizeof(wchar_t) == 4, "the native build expects one code point per wide character");

namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool isScalarValue(char32_t c) { return c <= 0x10FFFF && (c < 0xD800 || c > 0xDFFF); }

void appendUtf8(char32_t c, std::string& out) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// Length of the sequence a lead byte starts and the range its second byte
// must fall in (which rules out overlong forms and surrogates); 0 for a byte
// that cannot start a sequence.
struct LeadByte {
    int length;
    std::uint8_t low, high;
};

LeadByte classify(std::uint8_t b) {
    if (b >= 0xC2 && b <= 0xDF) return {2, 0x80, 0xBF};
    if (b == 0xE0) return {3, 0xA0, 0xBF};
    if (b == 0xED) return {3, 0x80, 0x9F};
    if (b >= 0xE1 && b <= 0xEF) return {3, 0x80, 0xBF};
    if (b == 0xF0) return {4, 0x90, 0xBF};
    if (b >= 0xF1 && b <= 0xF3) return {4, 0x80, 0xBF};
    if (b == 0xF4) return {4, 0x80, 0x8F};
    return {0, 0, 0};
}

}  // namespace

std::string toUtf8(const std::wstring& text) {
    std::string out;
    out.reserve(text.size());
    for (wchar_t unit : text) {
        const auto c = static_cast<char32_t>(unit);
        appendUtf8(isScalarValue(c) ? c : kReplacement, out);
    }
    return out;
}

// Each maximal invalid subpart becomes one U+FFFD, as Windows does.
std::wstring fromUtf8(const std::string& text) {
    std::wstring out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<std::uint8_t>(text[i]);
        if (lead < 0x80) {
            out += static_cast<wchar_t>(lead);
            ++i;
            continue;
        }
        const LeadByte kind = classify(lead);
        if (kind.length == 0) {
            out += static_cast<wchar_t>(kReplacement);
            ++i;
            continue;
        }
        char32_t c = lead & (0x7F >> kind.length);
        int taken = 1;
        for (; taken < kind.length && i + taken < text.size(); ++taken) {
            const auto b = static_cast<std::uint8_t>(text[i + taken]);
            const bool fits = taken == 1 ? (b >= kind.low && b <= kind.high) : (b >= 0x80 && b <= 0xBF);
            if (!fits) break;
            c = (c << 6) | (b & 0x3F);
        }
        out += static_cast<wchar_t>(taken == kind.length ? c : kReplacement);
        i += static_cast<std::size_t>(taken);
    }
    return out;
}

// POSIX file systems keep no short names: only an ASCII path has an ASCII form.
std::string toAsciiPath(const std::wstring& path) {
    if (path.empty() || !isAsciiText(path)) return {};
    return toUtf8(path);
}
