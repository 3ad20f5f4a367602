#pragma once
// The user's own words as the model's initial prompt: the model takes only
// so many prompt tokens, so a longer list is cut after its last whole word
// that fits. Pure; the token counter is the loaded model's.

#include <functional>
#include <string>

// What the model accepts of a prompt (the library takes at most about half
// its 448-token text context), with room for its own marker tokens.
inline constexpr int kPromptTokenLimit = 220;
// Of that, the most the text a part of a take continues may use: enough for
// the model to keep the sentence and the spelling, with room for own words.
inline constexpr int kContextTokenLimit = 200;

struct FittedPrompt {
    std::string text;     // the prompt to give; may be empty
    int tokens = 0;       // its token count
    int fullTokens = 0;   // the whole prompt's count
    bool cut = false;     // words were left off the end
};

// Tokens of a UTF-8 text, or a negative number when it cannot be counted.
using TokenCounter = std::function<int(const std::string& utf8)>;

// The whole prompt when it fits the limit; otherwise its longest start that
// ends with a whole word (before a space, comma or semicolon) and fits, with
// trailing separators dropped. Empty when not even the first word fits or
// the counter fails.
FittedPrompt fitPrompt(const std::string& prompt, int limit, const TokenCounter& countTokens);

// The text before the speech (what was recognised of the take so far): the
// whole text when it fits; otherwise its longest end that begins with a
// whole word and fits, since the words nearest the speech matter most.
// Empty when not even the last word fits or the counter fails.
FittedPrompt fitContext(const std::string& context, int limit, const TokenCounter& countTokens);
