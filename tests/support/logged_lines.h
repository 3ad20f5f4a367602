#pragma once
// The lines of the program log written so far (the file logFilePath names),
// as the texts given to logLine: time stamps and line ends removed.

#include <string>
#include <vector>

std::vector<std::wstring> loggedTexts();
