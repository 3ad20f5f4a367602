// Process entry: one instance per machine, the App, the message loop and the
// fixed order of shutting down.

#include <windows.h>

#include "app/app.h"
#include "app/cycle_texts.h"
#include "diag/log.h"
#include "diag/scoped_win.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    // DLLs loaded from here on come from the program's folder and the
    // system's, never from the current directory.
    SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_DEFAULT_DIRS);
    registerAppMessages();

    UniqueHandle singleInstance(CreateMutexW(nullptr, TRUE, L"Global\\VornikaSingleInstance"));
    if (singleInstance && GetLastError() == ERROR_ALREADY_EXISTS) {
        if (const HWND running = FindWindowW(kHiddenWindowClass, nullptr)) {
            PostMessageW(running, msgShowSettings, 0, 0);
        } else {
            MessageBoxW(nullptr, kAlreadyRunningText, L"Vornika", MB_ICONINFORMATION);
        }
        return 0;
    }

    // The manifest declares the same; this only matters where it is ignored.
    SetProcessDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);

    TranscriptionService& service = TranscriptionService::instance();
    App app(programAppSurroundings(service));
    if (!app.init(instance)) {
        MessageBoxW(nullptr, kStartFailedText, L"Vornika", MB_ICONERROR);
        return 1;
    }

    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) dispatchThreadMessage(message);

    app.endRun();
    singleInstance.reset();
    return 0;
}
