#pragma once
// Text inside the program is wide; bytes appear only in the log and settings
// files (UTF-8) and at the engine boundary (UTF-8 text, an ASCII model path).
// None of these throw or log: every failure gives an empty string.
//
// On Windows a wide string is UTF-16. The native build keeps the same
// contracts with 32-bit wide characters (one code point per unit).

#include <algorithm>
#include <string>

// Unpaired surrogates become U+FFFD; nothing is reported.
std::string toUtf8(const std::wstring& text);

// Invalid sequences become U+FFFD; a byte-order mark stays as U+FEFF.
std::wstring fromUtf8(const std::string& text);

// A narrow path of ASCII bytes naming the same file: the path itself when it
// is ASCII, else its short (8.3) form when the volume has one; otherwise "".
std::string toAsciiPath(const std::wstring& path);

inline bool isAsciiText(const std::wstring& text) {
    return std::all_of(text.begin(), text.end(), [](wchar_t c) { return static_cast<unsigned>(c) < 128; });
}
