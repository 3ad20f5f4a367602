#include "ui/interface_script.h"

#include <algorithm>
#include <atomic>
#include <cwctype>
#include <vector>

namespace {

std::atomic<InterfaceLanguage> currentLanguage{InterfaceLanguage::Latin};

bool isWordCharacter(wchar_t c) { return std::iswalnum(static_cast<wint_t>(c)) != 0 || c == L'\'' || c == L'\u02BB'; }
// A phrase next to one of these is part of a path or a file name.
bool isPathCharacter(wchar_t c) { return c == L'\\' || c == L'/' || c == L'.' || c == L'_' || c == L'-'; }

// The table's phrases, the longest first, so a phrase never takes a piece of a longer one.
const std::vector<const ScriptPhrase*>& phrasesByLength() {
    static const std::vector<const ScriptPhrase*> sorted = [] {
        std::vector<const ScriptPhrase*> phrases;
        for (const ScriptPhrase& phrase : cyrillicPhrases()) phrases.push_back(&phrase);
        std::stable_sort(phrases.begin(), phrases.end(),
                         [](const ScriptPhrase* a, const ScriptPhrase* b) { return a->latin.size() > b->latin.size(); });
        return phrases;
    }();
    return sorted;
}

bool standsAlone(const std::wstring& text, std::size_t at, std::wstring_view phrase) {
    if (text.compare(at, phrase.size(), phrase) != 0) return false;
    if (isWordCharacter(phrase.front()) && at > 0 && (isWordCharacter(text[at - 1]) || isPathCharacter(text[at - 1])))
        return false;
    const std::size_t end = at + phrase.size();
    if (isWordCharacter(phrase.back()) && end < text.size() && (isWordCharacter(text[end]) || isPathCharacter(text[end])))
        return false;
    return true;
}

}  // namespace

std::wstring inScript(const std::wstring& text, InterfaceLanguage language) {
    if (language != InterfaceLanguage::Cyrillic) return text;
    std::wstring result;
    std::size_t at = 0;
    while (at < text.size()) {
        const ScriptPhrase* found = nullptr;
        for (const ScriptPhrase* phrase : phrasesByLength()) {
            if (standsAlone(text, at, phrase->latin)) {
                found = phrase;
                break;
            }
        }
        if (found != nullptr) {
            result += found->cyrillic;
            at += found->latin.size();
        } else {
            result += text[at++];
        }
    }
    return result;
}

void setInterfaceLanguage(InterfaceLanguage language) { currentLanguage.store(language); }
InterfaceLanguage interfaceLanguage() { return currentLanguage.load(); }
std::wstring shown(const std::wstring& text) { return inScript(text, interfaceLanguage()); }
