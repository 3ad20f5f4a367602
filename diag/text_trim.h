#pragma once
// The blanks the program trims off recognised texts and settings lines.

#include <string>

// Removes leading and trailing spaces, tabs, CRs and LFs (only these four:
// a no-break space or U+FEFF stays); a string of nothing else becomes empty.
std::wstring trimBlanks(const std::wstring& text);
