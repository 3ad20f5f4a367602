#pragma once
// The insertion target, tests/insert/edit_host.cpp, run as a process of its
// own: started, brought to the foreground, read back and closed again.

#include <string>

#include <windows.h>

#include "tests/support/temp_folder.h"

class TargetWindow {
public:
    // latePasteMs: each paste is carried out that long after its Ctrl+V.
    explicit TargetWindow(int latePasteMs = 0);
    ~TargetWindow();
    TargetWindow(const TargetWindow&) = delete;
    TargetWindow& operator=(const TargetWindow&) = delete;

    // Empty when the window is up and in the foreground, else what went wrong.
    const std::string& problem() const { return startProblem; }
    // Brings it to the foreground again (after another window took it).
    bool focus();
    // The text it shows (UTF-16), as last written out.
    std::wstring text();
    // Waits up to the limit for the text to equal expected, running this
    // thread's message loop meanwhile; gives the last text seen.
    std::wstring waitFor(const std::wstring& expected, int milliseconds = 5000);

private:
    TempFolder folder;
    std::wstring output;
    PROCESS_INFORMATION process{};
    HWND window = nullptr;
    std::string startProblem;
};

// Runs edit-host in its clipboard-holding mode and returns once it holds it.
bool holdClipboardInAnotherProcess(PROCESS_INFORMATION& holder);
