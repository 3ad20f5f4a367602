// Process entry: one instance per machine, the App, the message loop and the
// fixed order of shutting down.

#include <memory>
#include <optional>
#include <string>

#include <windows.h>
#include <shellapi.h>

#include "app/app.h"
#include "app/cycle_texts.h"
#include "app/gpu_check_win.h"
#include "diag/encoding.h"
#include "diag/log.h"
#include "diag/scoped_win.h"
#include "engine/gpu_check_child.h"
#include "settings/settings_file.h"
#include "ui/interface_script.h"

namespace {

// "Vornika.exe --gpu-check MODEL REPORT": the graphics card's check, in a
// process of its own; nullopt for an ordinary start.
std::optional<int> runAsGpuCheck() {
    int count = 0;
    const std::unique_ptr<LPWSTR, decltype(&LocalFree)> arguments(CommandLineToArgvW(GetCommandLineW(), &count),
                                                                   &LocalFree);
    if (!arguments || count != 4 || std::wstring(arguments.get()[1]) != L"--gpu-check") return std::nullopt;
    // A crash ends this process with its exception code for the program to
    // judge, without a dialog asking the user what to do.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
    return runGpuCheck(toUtf8(arguments.get()[2]), arguments.get()[3]);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    // DLLs loaded from here on come from the program's folder and the
    // system's, never from the current directory.
    SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_DEFAULT_DIRS);
    keepOutImplicitVulkanLayers();
    if (const std::optional<int> checked = runAsGpuCheck()) return *checked;
    registerAppMessages();

    UniqueHandle singleInstance(CreateMutexW(nullptr, TRUE, L"Global\\VornikaSingleInstance"));
    if (singleInstance && GetLastError() == ERROR_ALREADY_EXISTS) {
        if (const HWND running = FindWindowW(kHiddenWindowClass, nullptr)) {
            PostMessageW(running, msgShowSettings, 0, 0);
        } else {
            setInterfaceLanguage(loadSettings().interfaceLanguage);
            MessageBoxW(nullptr, shown(kAlreadyRunningText).c_str(), L"Vornika", MB_ICONINFORMATION);
        }
        return 0;
    }

    // The manifest declares the same; this only matters where it is ignored.
    SetProcessDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);

    TranscriptionService& service = TranscriptionService::instance();
    App app(programAppSurroundings(service));
    if (!app.init(instance)) {
        MessageBoxW(nullptr, shown(kStartFailedText).c_str(), L"Vornika", MB_ICONERROR);
        return 1;
    }

    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) dispatchThreadMessage(message);

    app.endRun();
    singleInstance.reset();
    return 0;
}
