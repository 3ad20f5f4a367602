#pragma once
// The text a recognition yields, as the program keeps it.

#include <string>

// Removes leading and trailing spaces, tabs, CRs and LFs (only these four).
std::wstring trimBlanks(const std::wstring& text);
