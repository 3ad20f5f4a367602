#include "tools/common/console.h"

#include <atomic>

#include <fcntl.h>
#include <io.h>
#include <stdio.h>
#include <windows.h>
#include <shellapi.h>

#include "diag/encoding.h"

namespace {

std::atomic<bool> interrupted{false};

// Runs on a thread of its own. For a closing console Windows ends the
// process when this returns, so it waits a little for the tool to clean up.
BOOL WINAPI onConsoleEvent(DWORD event) {
    interrupted.store(true);
    if (event == CTRL_CLOSE_EVENT || event == CTRL_LOGOFF_EVENT || event == CTRL_SHUTDOWN_EVENT) Sleep(4000);
    return TRUE;
}

}  // namespace

void useBinaryStdout() { _setmode(_fileno(stdout), _O_BINARY); }
void useBinaryStdin() { _setmode(_fileno(stdin), _O_BINARY); }

std::vector<std::string> utf8Arguments(int argc, char** argv) {
    int count = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (wide == nullptr) return {argv, argv + argc};
    std::vector<std::string> arguments;
    for (int i = 0; i < count; ++i) arguments.push_back(toUtf8(wide[i]));
    LocalFree(wide);
    return arguments;
}

bool stderrIsTerminal() {
    DWORD mode = 0;
    return GetConsoleMode(GetStdHandle(STD_ERROR_HANDLE), &mode) != 0;
}

void catchInterrupt() { SetConsoleCtrlHandler(onConsoleEvent, TRUE); }

bool interruptRequested() { return interrupted.load(); }
