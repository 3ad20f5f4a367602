#include "audio/microphones.h"

// The native build has no system lowercasing that knows Cyrillic without a
// locale; Latin and Cyrillic capitals are what endpoint names hold.
std::wstring lowercaseName(const std::wstring& name) {
    std::wstring lower = name;
    for (wchar_t& c : lower) {
        if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c + 32);
        else if (c >= 0x0410 && c <= 0x042F) c = static_cast<wchar_t>(c + 0x20);  // А..Я
        else if (c >= 0x0400 && c <= 0x040F) c = static_cast<wchar_t>(c + 0x50);  // Ѐ..Џ
    }
    return lower;
}
