#pragma once
// The window the user is writing in, as it was before Vornika or the taskbar
// took the foreground. A click on a tray icon makes the taskbar the
// foreground window (Wine's tray window likewise); the tray menu's commands
// belong to the window the user was in before that click.
// GUI thread: the hook's events arrive through this thread's message loop.

#include <windows.h>

#include "diag/scoped_win.h"

// The taskbar and its notification area, on Windows and under Wine.
bool isShellTrayWindow(HWND window);

class ForegroundWatch {
public:
    ForegroundWatch() = default;
    ~ForegroundWatch();
    ForegroundWatch(const ForegroundWatch&) = delete;
    ForegroundWatch& operator=(const ForegroundWatch&) = delete;

    // Starts following the foreground; `own` (the hidden window the tray menu
    // runs in) never counts. Without the hook, only the current foreground
    // is known.
    void start(HWND own);
    // The foreground window when it is the user's; else the last one that
    // was, while it is still shown; else the topmost shown window that can
    // be activated; else null.
    HWND userWindow() const;

private:
    static void CALLBACK onForeground(HWINEVENTHOOK, DWORD, HWND window, LONG object, LONG, DWORD, DWORD);
    bool counts(HWND window) const;

    HWND ownWindow = nullptr;
    HWND last = nullptr;
    UniqueWinEventHook hook;
};
