#pragma once
// Text as code points: UTF-8 in and out, and the letter classes and case
// mappings the script, apostrophe and line-break rules work with. Case is
// mapped by fixed tables, never by the locale.

#include <string>
#include <string_view>

// Each invalid byte, truncated or overlong sequence, surrogate and code point
// beyond U+10FFFF becomes one U+FFFD; nothing is dropped.
std::u32string utf8ToUtf32(std::string_view utf8);
// Surrogates and code points beyond U+10FFFF are written as U+FFFD.
std::string utf32ToUtf8(std::u32string_view text);

bool isAsciiLetter(char32_t c);
// ASCII letters and the accented letters of Latin-1 and Latin Extended-A/B.
bool isLatinLetter(char32_t c);
// The letters of the Cyrillic block (U+0400 to U+04FF).
bool isCyrillicLetter(char32_t c);
bool isLetter(char32_t c);  // Latin or Cyrillic

// ASCII, Latin-1 and Cyrillic case; other characters are their own case.
bool isUpperLetter(char32_t c);
char32_t lowerLetter(char32_t c);
char32_t upperLetter(char32_t c);

// How a word is capitalised: Upper is two or more letters, all capitals;
// Title has a capital first letter; anything else counts as Lower.
enum class LetterCase { Lower, Title, Upper };
LetterCase letterCaseOf(std::u32string_view word);
// Appends lowercase text in that case.
void appendInCase(std::u32string& out, std::u32string_view lowerText, LetterCase letterCase);

// Spaces, tabs and line breaks: what separates the chunks of a text.
bool isTextSpace(char32_t c);

// A chunk (text between spaces) that is a web or e-mail address or a
// handle: it has "://", "@" or "www.", or a dot followed by a common
// domain ending ("kun.uz/a"). Such chunks keep their letters as written.
bool isWebAddress(std::u32string_view chunk);
// The length of the chunk that starts at `start` when it is an address, else 0.
std::size_t webAddressAt(std::u32string_view text, std::size_t start);
