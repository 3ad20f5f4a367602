#include "text/part_join.h"

#include <array>
#include <string_view>

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

bool startsWithClosingPunctuation(std::string_view text) {
    // Not ’: Uzbek writes it as an apostrophe too.
    static constexpr std::array<std::string_view, 11> kClosing = {
        ".", ",", ";", ":", "!", "?", ")", "]", "\xE2\x80\xA6" /* … */, "\xC2\xBB" /* » */,
        "\xE2\x80\x9D" /* ” */};
    for (const std::string_view mark : kClosing) {
        if (text.substr(0, mark.size()) == mark) return true;
    }
    return false;
}

}  // namespace

std::string joinRecognisedParts(const std::vector<std::string>& parts) {
    std::string joined;
    for (const std::string& part : parts) {
        std::size_t first = 0, last = part.size();
        while (first < last && isBlank(part[first])) ++first;
        while (last > first && isBlank(part[last - 1])) --last;
        if (first == last) continue;
        const std::string_view text(part.data() + first, last - first);
        if (!joined.empty() && !startsWithClosingPunctuation(text)) joined += ' ';
        joined += text;
    }
    return joined;
}
