#include "tests/support/audio_harness.h"

#include <thread>

#include <windows.h>

#include "tests/support/temp_folder.h"

std::wstring environmentVariable(const wchar_t* name) {
    wchar_t value[1024] = {};
    const DWORD length = GetEnvironmentVariableW(name, value, 1024);
    return length > 0 && length < 1024 ? std::wstring(value, length) : std::wstring();
}

bool haveAudioHarness() { return !environmentVariable(L"VORNIKA_AUDIO_CONTROL").empty(); }

bool harnessRequest(const std::wstring& action, const std::string& content, std::chrono::milliseconds limit) {
    const std::wstring path = environmentVariable(L"VORNIKA_AUDIO_CONTROL") + L"\\" + action;
    // Whole requests only: the harness never sees a half-written file.
    if (!writeFile(path + L".writing", content) || !MoveFileW((path + L".writing").c_str(), path.c_str())) return false;
    const auto end = std::chrono::steady_clock::now() + limit;
    while (GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES) {
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}
