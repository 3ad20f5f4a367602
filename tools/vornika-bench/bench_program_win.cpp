// The whole program as a user meets it, under the test harness (a display
// and a virtual microphone): Vornika.exe from this folder, staged with a
// scripted model, dictating into an edit window of this process.
//   - overhead: from the second hotkey press to the text complete in the
//     window, less the recognition time the program logs, for 5 s takes;
//   - start-to-warm: from starting the process to its warmed-up model;
//   - resident memory with the model loaded and after it was unloaded;
//   - responsiveness with a base-size model: how long the hidden window
//     takes to answer a message while the model loads and warms up, and
//     while a 5 s take is recognised (what a hotkey press then waits for).
// The user's settings.ini is put back afterwards.

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <mutex>
#include <sstream>
#include <thread>

#include <windows.h>
#include <psapi.h>

#include "diag/encoding.h"
#include "diag/folders.h"
#include "settings/settings_file.h"
#include "tools/testmodel/test_model.h"
#include "tools/vornika-bench/bench.h"

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

namespace {

const wchar_t kScript[] = L"Salom dunyo, bu o'lchov.";

std::wstring environment(const wchar_t* name) {
    wchar_t value[1024] = {};
    const DWORD length = GetEnvironmentVariableW(name, value, 1024);
    return length > 0 && length < 1024 ? std::wstring(value, length) : std::wstring();
}

std::string readAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

fs::path logPath() { return fs::path(localAppFolder()) / L"dictation.log"; }

// Dispatches this thread's messages (the edit window's paste) while waiting.
bool pumpUntil(const std::function<bool()>& condition, std::chrono::milliseconds limit) {
    const auto end = Clock::now() + limit;
    while (!condition()) {
        if (Clock::now() > end) return false;
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 1, QS_ALLINPUT);
    }
    return true;
}

bool requestPlay(const std::string& sound) {
    const std::wstring path = environment(L"VORNIKA_AUDIO_CONTROL") + L"\\play-async";
    { std::ofstream(fs::path(path + L".writing")) << sound; }
    if (!MoveFileW((path + L".writing").c_str(), path.c_str())) return false;
    return pumpUntil([&] { return GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES; }, 10s);
}

void pressHotkey() {
    INPUT keys[6] = {};
    const WORD order[3] = {VK_CONTROL, VK_MENU, 'D'};
    for (int i = 0; i < 3; ++i) {
        keys[i].type = keys[5 - i].type = INPUT_KEYBOARD;
        keys[i].ki.wVk = keys[5 - i].ki.wVk = order[i];
        keys[5 - i].ki.dwFlags = KEYEVENTF_KEYUP;
    }
    SendInput(6, keys, sizeof(INPUT));
}

// GetProcessMemoryInfo; under Wine, which answers it only for the calling
// process, the Linux process's resident set.
double residentMegabytes(HANDLE process, const std::wstring& marker) {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof(counters);
    if (GetProcessMemoryInfo(process, &counters, sizeof(counters)) && counters.WorkingSetSize > 0) {
        return counters.WorkingSetSize / 1048576.0;
    }
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(L"Z:\\proc", error)) {
        const std::string commandLine = readAll(entry.path() / L"cmdline");
        if (commandLine.find(toUtf8(marker)) == std::string::npos) continue;
        const std::string status = readAll(entry.path() / L"status");
        const std::size_t at = status.find("VmRSS:");
        if (at != std::string::npos) return std::stod(status.substr(at + 6)) / 1024.0;
    }
    return 0;
}

// The recognition time of the last result the log reports, in seconds.
double lastRecognitionSeconds() {
    const std::string log = readAll(logPath());
    const std::size_t at = log.rfind("natija (");
    if (at == std::string::npos) return -1;
    const std::size_t comma = log.find(", ", at);
    return std::stod(log.substr(comma + 2)) / 1000.0;
}

// What the program logged for each take: how long after the press its
// first sound was recorded, in milliseconds, oldest first.
std::vector<double> audioLostAtStarts() {
    const std::string log = readAll(logPath());
    const std::string marker = "ovoz tugma bosilgandan ";
    std::vector<double> lost;
    for (std::size_t at = log.find(marker); at != std::string::npos; at = log.find(marker, at + 1)) {
        lost.push_back(std::stod(log.substr(at + marker.size())));
    }
    return lost;
}

// Asks the program's hidden window, every 50 ms from a thread of its own,
// for an answer (WM_NULL) and keeps how long each took, by phase.
class Prober {
public:
    enum Phase { Idle, Warming, Recognising, PhaseCount };
    Prober() : thread([this] { run(); }) {}
    ~Prober() {
        stopping = true;
        thread.join();
    }
    void enter(Phase p) { phase = p; }
    std::vector<double> delays(Phase p) {
        const std::lock_guard lock(mutex);
        return measured[p];
    }

private:
    void run() {
        while (!stopping) {
            const HWND hidden = FindWindowW(L"VornikaHiddenWindow", nullptr);
            const Phase during = phase;
            if (hidden != nullptr && during != Idle) {
                const auto start = Clock::now();
                DWORD_PTR answer = 0;
                if (SendMessageTimeoutW(hidden, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &answer) != 0) {
                    const std::lock_guard lock(mutex);
                    measured[during].push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
                }
            }
            std::this_thread::sleep_for(50ms);
        }
    }

    std::atomic<bool> stopping{false};
    std::atomic<Phase> phase{Idle};
    std::mutex mutex;
    std::vector<double> measured[PhaseCount];
    std::thread thread;  // last: starts once everything above exists
};

void reportDelays(const std::string& name, std::vector<double> delays) {
    if (delays.empty()) return;
    figure(name + "_median", median(delays), "ms");
    figure(name + "_max", *std::max_element(delays.begin(), delays.end()), "ms");
    figure(name + "_probes", static_cast<double>(delays.size()), "count");
}

class EditWindow {
public:
    EditWindow() {
        window = CreateWindowExW(0, L"EDIT", L"", WS_OVERLAPPEDWINDOW | WS_VISIBLE | ES_MULTILINE, 100, 100, 500, 200,
                                 nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        SetForegroundWindow(window);
        SetFocus(window);
    }
    ~EditWindow() { DestroyWindow(window); }
    std::wstring text() const {
        wchar_t buffer[4096] = {};
        GetWindowTextW(window, buffer, 4096);
        return buffer;
    }
    void clear() { SetWindowTextW(window, L""); }
    HWND handle() const { return window; }

private:
    HWND window;
};

}  // namespace

void benchProgram(int rounds) {
    if (environment(L"VORNIKA_AUDIO_CONTROL").empty()) {
        std::puts("program: needs tests/harness/session.sh --audio --display");
        return;
    }
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    const fs::path bin = fs::path(self).parent_path();
    const fs::path stage = fs::temp_directory_path() / ("vornika-bench-program-" + std::to_string(GetCurrentProcessId()));
    fs::create_directories(stage / "models");
    fs::copy_file(bin / "Vornika.exe", stage / "Vornika.exe", fs::copy_options::overwrite_existing);
    for (const auto& entry : fs::directory_iterator(bin)) {
        if (entry.path().extension() == ".dll") {
            fs::copy_file(entry.path(), stage / entry.path().filename(), fs::copy_options::overwrite_existing);
        }
    }
    ModelHeader header;
    presetHeader("micro", header);
    writeScriptedModel((stage / "models" / "ggml-veltostt.bin").string(), header, toUtf8(kScript));

    // The program reads its settings from the user's file: ours for the run.
    const std::wstring settingsPath = settingsFilePath();
    const std::string userSettings = readAll(settingsPath);
    const bool hadSettings = fileExists(settingsPath);
    Settings settings;
    settings.modifiers = kDefaultHotkeyModifiers;
    settings.didOnboard = true;
    settings.autoStart = false;
    settings.useGpu = false;
    settings.idleUnloadSeconds = 10;
    ensureDirectory(roamingAppFolder());
    saveSettings(settings);
    DeleteFileW(logPath().c_str());

    EditWindow edit;
    const std::wstring marker = stage.filename().wstring();
    const auto logHas = [](const char* text) { return readAll(logPath()).find(text) != std::string::npos; };
    const auto startProgram = [&](PROCESS_INFORMATION& process) {
        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        std::wstring commandLine = L"\"" + (stage / "Vornika.exe").wstring() + L"\"";
        return CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, stage.c_str(), &startup,
                              &process) != FALSE;
    };
    const auto quitProgram = [&](PROCESS_INFORMATION& process) {
        PostMessageW(FindWindowW(L"VornikaHiddenWindow", nullptr), WM_COMMAND, 103, 0);
        WaitForSingleObject(process.hProcess, 30000);
        CloseHandle(process.hProcess);
        CloseHandle(process.hThread);
    };

    // Idle, never having loaded a model: started without the model file.
    PROCESS_INFORMATION process{};
    fs::rename(stage / "models", stage / "models-aside");
    if (startProgram(process)) {
        pumpUntil([&] { return logHas("Model fayli topilmadi"); }, 20s);
        pumpUntil([] { return false; }, 2s);
        figure("program_resident_idle_never_loaded", residentMegabytes(process.hProcess, marker), "MB");
        quitProgram(process);
    }
    fs::rename(stage / "models-aside", stage / "models");
    DeleteFileW(logPath().c_str());

    const auto started = Clock::now();
    if (!startProgram(process)) {
        std::puts("program: Vornika.exe did not start");
        return;
    }
    if (pumpUntil([&] { return logHas("isitish tugadi"); }, 60s)) {
        figure("program_start_to_warm", std::chrono::duration<double, std::milli>(Clock::now() - started).count(), "ms");
    }
    figure("program_resident_model_loaded", residentMegabytes(process.hProcess, marker), "MB");

    std::vector<double> overheads;
    for (int round = 0; round < rounds; ++round) {
        edit.clear();
        SetForegroundWindow(edit.handle());
        pumpUntil([] { return false; }, 300ms);
        pressHotkey();
        const auto recording = Clock::now();
        requestPlay("speech");
        pumpUntil([] { return false; }, 5000ms - std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - recording));
        const std::size_t logBefore = readAll(logPath()).size();
        pressHotkey();
        const auto stopped = Clock::now();
        if (!pumpUntil([&] { return edit.text() == kScript; }, 60s)) {
            std::printf("program: round %d: the text did not arrive (%s)\n", round + 1, toUtf8(edit.text()).c_str());
            continue;
        }
        const double total = std::chrono::duration<double, std::milli>(Clock::now() - stopped).count();
        pumpUntil([&] { return readAll(logPath()).find("natija (", logBefore) != std::string::npos; }, 5s);
        const double recognition = lastRecognitionSeconds() * 1000;
        std::printf("program: round %d: stop to text %.0f ms, recognition %.0f ms\n", round + 1, total, recognition);
        overheads.push_back(total - recognition);
    }
    if (!overheads.empty()) figure("program_overhead_stop_to_text_median", median(overheads), "ms");
    // From the hotkey press to the first recorded sound, on the program's own path.
    if (std::vector<double> lost = audioLostAtStarts(); !lost.empty()) {
        figure("program_audio_lost_first_take", lost.front(), "ms");
        lost.erase(lost.begin());
        if (!lost.empty()) {
            figure("program_audio_lost_later_takes_median", median(lost), "ms");
            figure("program_audio_lost_later_takes_max", *std::max_element(lost.begin(), lost.end()), "ms");
        }
    }

    if (pumpUntil([&] { return logHas("bo'shatildi"); }, 30s)) {
        pumpUntil([] { return false; }, 1s);
        figure("program_resident_model_unloaded", residentMegabytes(process.hProcess, marker), "MB");
    }
    quitProgram(process);

    // Responsiveness while a base-size model loads, warms up and recognises.
    presetHeader("base", header);
    writeScriptedModel((stage / "models" / "ggml-veltostt.bin").string(), header, toUtf8(kScript));
    DeleteFileW(logPath().c_str());
    {
        Prober prober;
        prober.enter(Prober::Warming);
        if (!startProgram(process)) {
            std::puts("program: Vornika.exe did not start");
            return;
        }
        pumpUntil([&] { return logHas("isitish tugadi"); }, 120s);
        prober.enter(Prober::Idle);
        edit.clear();
        SetForegroundWindow(edit.handle());
        pumpUntil([] { return false; }, 300ms);
        pressHotkey();
        requestPlay("speech");
        pumpUntil([] { return false; }, 5000ms);
        prober.enter(Prober::Recognising);
        pressHotkey();
        if (!pumpUntil([&] { return edit.text() == kScript; }, 120s))
            std::printf("program: the base model's text did not arrive (%s)\n", toUtf8(edit.text()).c_str());
        prober.enter(Prober::Idle);
        reportDelays("program_base_answer_while_warming", prober.delays(Prober::Warming));
        reportDelays("program_base_answer_while_recognising", prober.delays(Prober::Recognising));
    }
    quitProgram(process);

    if (hadSettings) {
        std::ofstream(fs::path(settingsPath), std::ios::binary) << userSettings;
    } else {
        DeleteFileW(settingsPath.c_str());
    }
    std::error_code ignored;
    fs::remove_all(stage, ignored);
}
