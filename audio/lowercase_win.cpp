#include "audio/microphones.h"

#include <windows.h>

std::wstring lowercaseName(const std::wstring& name) {
    std::wstring lower = name;
    if (!lower.empty()) CharLowerBuffW(lower.data(), static_cast<DWORD>(lower.size()));
    return lower;
}
