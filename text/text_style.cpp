#include "text/text_style.h"

#include "text/apostrophes.h"
#include "text/cyrillic_to_latin.h"
#include "text/latin_to_cyrillic.h"
#include "text/spoken_breaks.h"
#include "text/utf32.h"

namespace {

// One space, unless the text is empty or already ends a line or a word.
void appendTrailingSpace(std::string& text) {
    if (text.empty()) return;
    const char last = text.back();
    if (last != ' ' && last != '\n' && last != '\r') text += ' ';
}

}  // namespace

std::string styleText(const std::string& utf8, const TextStyle& style) {
    const bool changesText = style.spokenBreaks || style.script != ScriptChoice::AsRecognised ||
                             style.apostrophe != ApostropheChoice::AsRecognised;
    std::string result;
    if (changesText) {
        std::u32string text = utf8ToUtf32(utf8);
        if (style.spokenBreaks) text = replaceSpokenBreaks(text);
        if (style.script == ScriptChoice::Latin)
            text = cyrillicToLatin(text, style.apostrophe == ApostropheChoice::Ascii);
        else if (style.script == ScriptChoice::Cyrillic)
            text = latinToCyrillic(text);
        if (style.apostrophe != ApostropheChoice::AsRecognised) text = styleApostrophes(text, style.apostrophe);
        result = utf32ToUtf8(text);
    } else {
        result = utf8;
    }
    if (style.trailingSpace) appendTrailingSpace(result);
    return result;
}
