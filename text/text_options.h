#pragma once
// The command-line options of the text style, shared by the tools that
// write recognised text.

#include <cstddef>
#include <string>
#include <vector>

#include "text/text_style.h"

inline constexpr char kTextOptionsUsage[] =
    "[--script asis|latin|cyrillic] [--apostrophe asis|standard|ascii] [--trailing-space] [--spoken-breaks]";

// Reads the option at args[position] ("--script latin", "--script=latin",
// "--trailing-space") into `style`. Returns how many arguments it used
// (1 or 2), 0 when it is not a text option, and -1 when it is one with a
// missing or unknown value (the style is then left as it was).
int parseTextOption(const std::vector<std::string>& args, std::size_t position, TextStyle& style);
