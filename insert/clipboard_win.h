#pragma once
// The program's one way to the clipboard's text. Every opening names an owner
// window (after EmptyClipboard, SetClipboardData fails for a clipboard opened
// without one) and waits out a clipboard another program holds briefly.
// What it writes is marked private: clipboard history and the cloud
// clipboard leave it out. Any thread; the owner may belong to another thread.

#include <cstddef>
#include <string>

#include <windows.h>

// The clipboard's Unicode text; empty when there is none or the clipboard
// stayed busy.
std::wstring readClipboardText(HWND owner);

// Replaces the clipboard's contents with the text; false when the clipboard
// stayed busy or refused it (the earlier contents may then be gone).
bool writeClipboardText(HWND owner, const std::wstring& text);

// Puts replacement on the clipboard only while it still holds expected, in one
// opening; false when it held something else or stayed busy.
bool replaceClipboardTextIf(HWND owner, const std::wstring& expected, const std::wstring& replacement);

// The text of a CF_UNICODETEXT block of the given size: up to its first zero,
// never past its end (a block without a terminator is read to its size).
std::wstring textOfClipboardBlock(const wchar_t* data, std::size_t bytes);
