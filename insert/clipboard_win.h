#pragma once
// The program's one way to the clipboard's text. Every opening names an owner
// window (after EmptyClipboard, SetClipboardData fails for a clipboard opened
// without one) and waits out a clipboard another program holds briefly.
// What it writes is marked private: clipboard history and the cloud
// clipboard leave it out. Any thread; the owner may belong to another thread.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

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

// What a paste replaces on the user's clipboard, to be put back after it.
struct ClipboardSnapshot {
    struct Format {
        std::uint32_t format = 0;
        std::string bytes;  // a memory block's bytes, or an enhanced metafile's
    };
    std::vector<Format> formats;  // empty: the clipboard was empty
    bool busy = false;            // another program held it open
    std::wstring notWhole;        // why it cannot be saved whole (for the log); empty when it can
};
// Every format the plan of clipboard_plan.h keeps, read in one opening
// (another program's delayed formats are rendered by it meanwhile).
ClipboardSnapshot saveClipboard(HWND owner);

// Puts a text on the clipboard to be rendered when first read: the owner's
// WM_RENDERFORMAT then calls renderClipboardText. Marked private.
bool offerClipboardText(HWND owner);
// In WM_RENDERFORMAT, on the clipboard the reader holds open.
bool renderClipboardText(const std::wstring& text);
// The clipboard's owner is going away (WM_RENDERALLFORMATS): while it still
// owns the clipboard, the text it offered is rendered for good.
void renderOfferedTextForGood(HWND owner, const std::wstring& text);

// Puts the snapshot back (marked private) only while the owner still holds
// the clipboard with expected on it, in one opening; false otherwise.
bool restoreClipboardIf(HWND owner, const std::wstring& expected, const ClipboardSnapshot& snapshot);
