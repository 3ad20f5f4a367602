#pragma once
// The user's own words (names, terms) as the settings hold them: a list
// separated by commas, given to the model as its initial prompt, and the
// check for the known failure of prompts, where the model "hears" the prompt
// itself in a take with little or no speech. UTF-8 throughout; pure.

#include <string>
#include <vector>

// The list's words and names in their order: split at commas, semicolons and
// line breaks, trimmed, empty and repeated entries dropped.
std::vector<std::string> vocabularyEntries(const std::string& list);

// The prompt the model is given: the entries joined by ", "; "" for none.
std::string vocabularyPrompt(const std::string& list);

// Whether a recognised text is the prompt talking rather than the user: it
// holds the prompt's words and nothing else, and comes from a take (or a part
// of one) with little speech. A text with real speech behind it is the
// user's, even when it is exactly the prompt. Words are compared in lower
// case with apostrophes alike. An empty text or an empty list is never an echo.
bool isPromptEcho(const std::string& text, const std::string& list, bool littleSpeech);
