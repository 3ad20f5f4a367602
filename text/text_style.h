#pragma once
// How the user wants a recognised text written: its script, its apostrophes,
// a space after it so the next dictation does not run on, and spoken line
// breaks. Pure text in, text out.

#include <string>

enum class ScriptChoice { AsRecognised = 0, Latin = 1, Cyrillic = 2 };
enum class ApostropheChoice { AsRecognised = 0, Standard = 1, Ascii = 2 };

struct TextStyle {
    ScriptChoice script = ScriptChoice::AsRecognised;
    ApostropheChoice apostrophe = ApostropheChoice::AsRecognised;
    bool trailingSpace = false;
    bool spokenBreaks = false;
};

// The recognised text (UTF-8) as the user wants it: spoken line breaks,
// then the script, then the apostrophes, then the trailing space.
// Invalid UTF-8 comes out as U+FFFD when the text is converted; a text left
// as recognised is returned byte for byte.
std::string styleText(const std::string& utf8, const TextStyle& style);
