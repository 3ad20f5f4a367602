#include "tests/insert/target_window.h"
#include "tests/ui/window_driving.h"

#include <chrono>
#include <thread>

#include "diag/encoding.h"
#include "diag/folders.h"

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

namespace {

bool launch(const std::wstring& arguments, PROCESS_INFORMATION& process) {
    std::wstring command = L"\"" + exeDirectory() + L"\\edit-host.exe\" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    return CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process);
}

}  // namespace

TargetWindow::TargetWindow(int latePasteMs) : output(folder / L"arrived.txt") {
    const std::wstring late = latePasteMs > 0 ? L"--late-paste=" + std::to_wstring(latePasteMs) + L" " : L"";
    if (!launch(late + output, process)) {
        startProblem = "edit-host.exe did not start";
        return;
    }
    const auto limit = Clock::now() + 10s;
    while (!fileExists(output) || (window = FindWindowW(L"VornikaTestEditHost", nullptr)) == nullptr) {
        if (Clock::now() > limit) {
            startProblem = "the target window did not come up";
            return;
        }
        std::this_thread::sleep_for(10ms);
    }
    if (!focus()) startProblem = "the target window did not take the foreground";
}

bool TargetWindow::focus() {
    const auto limit = Clock::now() + 5s;
    SetForegroundWindow(window);
    while (GetForegroundWindow() != window) {
        if (Clock::now() > limit) return false;
        std::this_thread::sleep_for(10ms);
    }
    return true;
}

TargetWindow::~TargetWindow() {
    if (window != nullptr) PostMessageW(window, WM_CLOSE, 0, 0);
    if (process.hProcess != nullptr) {
        if (WaitForSingleObject(process.hProcess, 5000) != WAIT_OBJECT_0) TerminateProcess(process.hProcess, 1);
        CloseHandle(process.hProcess);
        CloseHandle(process.hThread);
    }
}

std::wstring TargetWindow::text() { return fromUtf8(readFile(output)); }

std::wstring TargetWindow::waitFor(const std::wstring& expected, int milliseconds) {
    const auto limit = Clock::now() + std::chrono::milliseconds(milliseconds);
    std::wstring seen;
    do {
        seen = text();
        if (seen == expected) return seen;
        // This thread's windows keep answering, as a program's would: one
        // may own the clipboard the target is pasting from.
        pumpMessagesFor(1ms);
    } while (Clock::now() < limit);
    return seen;
}

bool holdClipboardInAnotherProcess(PROCESS_INFORMATION& holder) {
    if (!launch(L"--hold-clipboard", holder)) return false;
    const auto limit = Clock::now() + 5s;
    while (OpenClipboard(nullptr)) {  // until the holder has it
        CloseClipboard();
        if (Clock::now() > limit) return false;
        std::this_thread::sleep_for(1ms);
    }
    return true;
}
