#pragma once
// The text of a take recognised in parts: the parts' texts joined as one.
// Pure, UTF-8.

#include <string>
#include <vector>

// The parts in order, each trimmed of spaces and line breaks at both ends,
// joined by single spaces; a part with no text adds nothing, and a part that
// starts with closing punctuation (. , ; : ! ? … ) ] » ”) follows the previous
// one without a space.
std::string joinRecognisedParts(const std::vector<std::string>& parts);
