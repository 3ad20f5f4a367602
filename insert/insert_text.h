#pragma once
// Puts a recognised text into whichever window has the keyboard focus: by
// the clipboard and a synthesized Ctrl+V (the user's earlier clipboard
// comes back shortly afterwards) or by typed Unicode keystrokes. Never
// changes the foreground window or the focus.

#include <string>

#include <windows.h>

#include "engine/transcription_service.h"
#include "settings/settings.h"

struct InsertOutcome {
    bool inserted = false;
    std::wstring message;  // the user's reason when nothing was inserted
};

inline constexpr wchar_t kEmptyTextMessage[] = L"Matn bo'sh";
inline constexpr wchar_t kTypingFailedMessage[] = L"Matn kiritilmadi";
inline constexpr wchar_t kClipboardBusyMessage[] =
    L"Clipboard band \u2014 matn qo'yilmadi.\nBir oz kutib qayta urinib ko'ring.";
inline constexpr wchar_t kPasteFailedMessage[] = L"Matn joylanmadi, lekin u clipboard'da \u2014 Ctrl+V bosing.";

// Any mode other than Type pastes: the user's clipboard is saved whole (or,
// when it cannot be, the text is typed instead), the text is offered on the
// clipboard as clipboardOwner's, and the user's clipboard comes back shortly
// after the target has read the text (clipboard_plan.h says when). The
// owner is a window of this process whose thread answers messages and whose
// procedure passes them to answerClipboardMessage first; it is the GUI
// thread's own window in the program.
InsertOutcome insertText(const TranscribeResult& result, InsertMode mode, HWND clipboardOwner);

// The owner's part, on its thread: renders the offered text when a program
// reads it (WM_RENDERFORMAT, WM_RENDERALLFORMATS) and runs the restore when it
// is due (its timer). True when the message was one of these.
bool answerClipboardMessage(HWND owner, UINT message, WPARAM wParam);

// The program is ending: a restore still waiting runs now (owner's thread).
void finishPaste(HWND owner);

// The program is about to put a text on the clipboard for the user (a copy
// from the tray menu): the earlier text a paste would still put back stays
// away, even when the copy is the pasted text itself. Any thread.
void dropPendingClipboardRestores();

// Whether there is no foreground window or it belongs to this process (a
// window of the program itself): no place for keystrokes or a paste.
bool foregroundIsOwnOrMissing();

// Whether the foreground window's process refuses a limited-query open (as
// one running with administrator rights does); false without a foreground window.
bool isForegroundElevated();
