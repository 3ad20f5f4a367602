#include "app/text_history.h"

void TextHistory::add(std::wstring text) {
    if (text.empty()) return;
    texts.push_front(std::move(text));
    if (texts.size() > kHistorySize) texts.pop_back();
}

std::wstring historyMenuLabel(const std::wstring& text) {
    std::wstring label;
    std::size_t shown = 0;
    bool lastWasSpace = false;
    for (std::size_t i = 0; i < text.size() && shown < kHistoryLabelLength; ++i) {
        wchar_t c = text[i];
        if (c == L'\r' || c == L'\n' || c == L'\t') c = L' ';
        if (c == L' ' && lastWasSpace) continue;  // a line break of "\r\n" is one space
        lastWasSpace = c == L' ';
        // A surrogate pair is one character: never cut between its halves.
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size()) {
            label += c;
            label += text[++i];
        } else {
            label += c;
            if (c == L'&') label += L'&';
        }
        ++shown;
        if (shown == kHistoryLabelLength && i + 1 < text.size()) label += L'\u2026';
    }
    return label;
}
