#include "text/vocabulary.h"

#include <algorithm>

#include "text/apostrophes.h"
#include "text/utf32.h"

namespace {

bool isEntrySeparator(char c) { return c == ',' || c == ';' || c == '\r' || c == '\n'; }
bool isBlank(char c) { return c == ' ' || c == '\t'; }

// The words of a text in lower case, apostrophes of every kind as "'";
// anything that is not a letter, a digit or an apostrophe parts words.
std::vector<std::u32string> comparableWords(const std::string& utf8) {
    std::vector<std::u32string> words;
    std::u32string word;
    for (const char32_t c : utf8ToUtf32(utf8)) {
        if (isLetter(c) || (c >= U'0' && c <= U'9')) {
            word += lowerLetter(c);
        } else if (isApostropheVariant(c) && !word.empty()) {
            word += U'\'';
        } else if (!word.empty()) {
            words.push_back(std::move(word));
            word.clear();
        }
    }
    if (!word.empty()) words.push_back(std::move(word));
    return words;
}

}  // namespace

std::vector<std::string> vocabularyEntries(const std::string& list) {
    std::vector<std::string> entries;
    std::size_t start = 0;
    while (start <= list.size()) {
        std::size_t end = start;
        while (end < list.size() && !isEntrySeparator(list[end])) ++end;
        std::size_t first = start, last = end;
        while (first < last && isBlank(list[first])) ++first;
        while (last > first && isBlank(list[last - 1])) --last;
        std::string entry = list.substr(first, last - first);
        if (!entry.empty() && std::find(entries.begin(), entries.end(), entry) == entries.end())
            entries.push_back(std::move(entry));
        start = end + 1;
    }
    return entries;
}

std::string vocabularyPrompt(const std::string& list) {
    std::string prompt;
    for (const std::string& entry : vocabularyEntries(list)) {
        if (!prompt.empty()) prompt += ", ";
        prompt += entry;
    }
    return prompt;
}

bool isPromptEcho(const std::string& text, const std::string& list, bool littleSpeech) {
    if (!littleSpeech) return false;
    const std::vector<std::u32string> heard = comparableWords(text);
    const std::vector<std::u32string> prompt = comparableWords(vocabularyPrompt(list));
    if (heard.empty() || prompt.empty()) return false;
    return std::all_of(heard.begin(), heard.end(), [&](const std::u32string& word) {
        return std::find(prompt.begin(), prompt.end(), word) != prompt.end();
    });
}
