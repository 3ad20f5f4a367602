#include "diag/text_trim.h"

std::wstring trimBlanks(const std::wstring& text) {
    const wchar_t* blanks = L" \t\r\n";
    const std::size_t first = text.find_first_not_of(blanks);
    if (first == std::wstring::npos) return {};
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}
