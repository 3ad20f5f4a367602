#include "engine/prompt_fit.h"

#include <vector>

namespace {

bool isWordSeparator(char c) { return c == ' ' || c == ',' || c == ';' || c == '\t' || c == '\r' || c == '\n'; }

}  // namespace

FittedPrompt fitPrompt(const std::string& prompt, int limit, const TokenCounter& countTokens) {
    FittedPrompt fitted;
    fitted.fullTokens = countTokens(prompt);
    if (fitted.fullTokens < 0) {
        fitted.cut = !prompt.empty();
        return fitted;
    }
    if (fitted.fullTokens <= limit) {
        fitted.text = prompt;
        fitted.tokens = fitted.fullTokens;
        return fitted;
    }
    fitted.cut = true;
    // Where each word ends (UTF-8 continuation bytes are never separators).
    std::vector<std::size_t> wordEnds;
    for (std::size_t i = 1; i < prompt.size(); ++i) {
        if (isWordSeparator(prompt[i]) && !isWordSeparator(prompt[i - 1])) wordEnds.push_back(i);
    }
    // Counts grow with the text, so the longest start that fits is found by halving.
    std::size_t low = 0, high = wordEnds.size();  // starts [0, low) fit; [high, end) do not
    while (low < high) {
        const std::size_t middle = (low + high) / 2;
        const int tokens = countTokens(prompt.substr(0, wordEnds[middle]));
        if (tokens >= 0 && tokens <= limit) {
            low = middle + 1;
            fitted.text = prompt.substr(0, wordEnds[middle]);
            fitted.tokens = tokens;
        } else {
            high = middle;
        }
    }
    return fitted;
}

FittedPrompt fitContext(const std::string& context, int limit, const TokenCounter& countTokens) {
    FittedPrompt fitted;
    fitted.fullTokens = countTokens(context);
    if (fitted.fullTokens >= 0 && fitted.fullTokens <= limit) {
        fitted.text = context;
        fitted.tokens = fitted.fullTokens;
        return fitted;
    }
    fitted.cut = !context.empty();
    if (fitted.fullTokens < 0) return fitted;
    // Where each word after the first starts.
    std::vector<std::size_t> wordStarts;
    for (std::size_t i = 1; i < context.size(); ++i) {
        if (!isWordSeparator(context[i]) && isWordSeparator(context[i - 1])) wordStarts.push_back(i);
    }
    // Ends grow shorter with a later start, so the earliest start that fits is found by halving.
    std::size_t low = 0, high = wordStarts.size();  // starts before low do not fit; from high on they do
    while (low < high) {
        const std::size_t middle = (low + high) / 2;
        const int tokens = countTokens(context.substr(wordStarts[middle]));
        if (tokens >= 0 && tokens <= limit) {
            high = middle;
            fitted.text = context.substr(wordStarts[middle]);
            fitted.tokens = tokens;
        } else {
            low = middle + 1;
        }
    }
    return fitted;
}
