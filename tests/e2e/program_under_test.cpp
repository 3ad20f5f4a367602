#include "tests/e2e/program_under_test.h"

#include <filesystem>
#include <functional>
#include <thread>
#include <vector>

#include "app/autostart.h"
#include "diag/encoding.h"
#include "diag/folders.h"
#include "engine/gpu_verdict.h"
#include "settings/settings_file.h"
#include "tests/support/audio_harness.h"
#include "tools/testmodel/test_model.h"

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

namespace {

HWND findProgramWindow(const wchar_t* className) {
    return FindWindowW(className, nullptr);
}

// Wine shows the icons in a small window of its own; the program's is the
// only one there.
bool trayIconCentre(POINT& centre) {
    const HWND tray = FindWindowW(L"__winex11_standalone_tray", nullptr);
    const HWND icon = FindWindowExW(tray, nullptr, L"__winex11_tray_icon", nullptr);
    if (icon == nullptr || FindWindowExW(tray, icon, L"__winex11_tray_icon", nullptr) != nullptr) return false;
    RECT rect{};
    GetWindowRect(icon, &rect);
    centre = {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
    return true;
}

void clickAt(POINT point, bool right) {
    SetCursorPos(point.x, point.y);
    INPUT inputs[2] = {};
    inputs[0].type = inputs[1].type = INPUT_MOUSE;
    inputs[0].mi.dwFlags = right ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_LEFTDOWN;
    inputs[1].mi.dwFlags = right ? MOUSEEVENTF_RIGHTUP : MOUSEEVENTF_LEFTUP;
    SendInput(2, inputs, sizeof(INPUT));
}

HWND shownMenuOf(DWORD process) {
    for (HWND menu = FindWindowExW(nullptr, nullptr, L"#32768", nullptr); menu != nullptr;
         menu = FindWindowExW(nullptr, menu, L"#32768", nullptr)) {
        DWORD owner = 0;
        GetWindowThreadProcessId(menu, &owner);
        if (owner == process && IsWindowVisible(menu)) return menu;
    }
    return nullptr;
}

bool waitUntil(const std::function<bool()>& condition, std::chrono::milliseconds limit) {
    const auto end = Clock::now() + limit;
    while (!condition()) {
        if (Clock::now() > end) return false;
        std::this_thread::sleep_for(20ms);
    }
    return true;
}

}  // namespace

void forgetEarlierRuns() {
    DeleteFileW(settingsFilePath().c_str());
    DeleteFileW((roamingAppFolder() + L"\\" + kGpuVerdictFileName).c_str());
    const std::wstring log = localAppFolder() + L"\\dictation.log";
    DeleteFileW(log.c_str());
    DeleteFileW((log + L".1").c_str());
    HKEY run = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kRunKey, 0, KEY_SET_VALUE, &run) == ERROR_SUCCESS) {
        RegDeleteValueW(run, kRunValueName);
        RegCloseKey(run);
    }
}

Settings onboardedSettings() {
    Settings settings;
    settings.modifiers = kDefaultHotkeyModifiers;
    settings.didOnboard = true;
    settings.autoStart = false;
    settings.useGpu = false;
    return settings;
}

bool writeSettings(const Settings& settings) {
    ensureDirectory(roamingAppFolder());
    return saveSettings(settings);
}

std::string programLog() { return readFile(localAppFolder() + L"\\dictation.log"); }

std::string waitForLog(const std::string& text, std::chrono::milliseconds limit) {
    const auto end = Clock::now() + limit;
    std::string log = programLog();
    while (log.find(text) == std::string::npos && Clock::now() < end) {
        std::this_thread::sleep_for(50ms);
        log = programLog();
    }
    return log;
}

bool playIntoMicrophone(const std::string& sound, bool wait) {
    return harnessRequest(wait ? L"play" : L"play-async", sound, 180s);  // the longest sound plays two minutes
}

bool trayIconShown() {
    POINT ignored{};
    return trayIconCentre(ignored);
}

void pressKeys(UINT modifiers, UINT key) {
    std::vector<INPUT> inputs;
    const auto add = [&](WORD vk, bool up) {
        INPUT input{};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = vk;
        input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
        inputs.push_back(input);
    };
    std::vector<WORD> held;
    if (modifiers & MOD_CONTROL) held.push_back(VK_CONTROL);
    if (modifiers & MOD_ALT) held.push_back(VK_MENU);
    if (modifiers & MOD_SHIFT) held.push_back(VK_SHIFT);
    for (const WORD vk : held) add(vk, false);
    add(static_cast<WORD>(key), false);
    add(static_cast<WORD>(key), true);
    for (auto it = held.rbegin(); it != held.rend(); ++it) add(*it, true);
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

ProgramUnderTest::ProgramUnderTest(InPlace installed) : place(installed.folder), exe(place + L"\\Vornika.exe") {}

ProgramUnderTest::ProgramUnderTest(const std::string& text, Model model, const std::string& preset, Place where)
    : stage(where == Place::TemporaryFolder
                ? std::make_unique<TempFolder>()
                : std::make_unique<TempFolder>(fsPath(parentOf(localAppFolder()) + L"\\Programs"))),
      place(stage->path()) {
    namespace fs = std::filesystem;
    const fs::path bin = fsPath(exeDirectory());
    const fs::path target = fsPath(place);
    fs::copy_file(bin / "Vornika.exe", target / "Vornika.exe");
    for (const auto& entry : fs::directory_iterator(bin)) {
        if (entry.path().extension() == ".dll") fs::copy_file(entry.path(), target / entry.path().filename());
    }
    if (fs::exists(bin / "gpu")) fs::copy(bin / "gpu", target / "gpu", fs::copy_options::recursive);
    exe = place + L"\\Vornika.exe";
    if (model == Model::Missing) return;
    fs::create_directories(target / "models");
    const std::string modelPath = toUtf8(place + L"\\models\\ggml-veltostt.bin");
    ModelHeader header;
    presetHeader(preset, header);
    if (model == Model::Silence) {
        writeSilenceModel(modelPath, header);
    } else {
        writeScriptedModel(modelPath, header, text);
    }
}

ProgramUnderTest::~ProgramUnderTest() {
    if (running()) {
        TerminateProcess(processInfo.hProcess, 9);
        WaitForSingleObject(processInfo.hProcess, 10000);
    }
    if (processInfo.hProcess != nullptr) {
        CloseHandle(processInfo.hProcess);
        CloseHandle(processInfo.hThread);
    }
}

bool ProgramUnderTest::launch(PROCESS_INFORMATION& info) const {
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    std::wstring commandLine = L"\"" + exe + L"\"";
    return CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, place.c_str(),
                          &startup, &info) != FALSE;
}

bool ProgramUnderTest::start(bool waitForWindow) {
    const std::size_t logBefore = programLog().size();  // an earlier run's lines do not count
    if (!launch(processInfo)) return false;
    if (!waitForWindow) return true;
    const auto limit = Clock::now() + 20s;
    // Ready once the hotkey has been tried (registered or found taken).
    while (hiddenWindow() == nullptr || programLog().find("hotkey ", logBefore) == std::string::npos) {
        if (!running() || Clock::now() > limit) return false;
        std::this_thread::sleep_for(20ms);
    }
    return true;
}

int ProgramUnderTest::startAnotherCopy() {
    PROCESS_INFORMATION other{};
    if (!launch(other)) return -1;
    DWORD code = static_cast<DWORD>(-1);
    if (WaitForSingleObject(other.hProcess, 20000) == WAIT_OBJECT_0) GetExitCodeProcess(other.hProcess, &code);
    CloseHandle(other.hProcess);
    CloseHandle(other.hThread);
    return static_cast<int>(code);
}

bool ProgramUnderTest::quit(std::chrono::milliseconds limit) {
    command(103);
    if (WaitForSingleObject(processInfo.hProcess, static_cast<DWORD>(limit.count())) != WAIT_OBJECT_0) return false;
    return exitCode() == 0;
}

bool ProgramUnderTest::running() const {
    return processInfo.hProcess != nullptr && WaitForSingleObject(processInfo.hProcess, 0) == WAIT_TIMEOUT;
}

DWORD ProgramUnderTest::exitCode() const {
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(processInfo.hProcess, &code);
    return code;
}

HWND ProgramUnderTest::hiddenWindow() const { return findProgramWindow(L"VornikaHiddenWindow"); }
HWND ProgramUnderTest::overlay() const { return findProgramWindow(L"VornikaOverlay"); }
bool ProgramUnderTest::overlayShown() const { return IsWindowVisible(overlay()) != FALSE; }

std::wstring ProgramUnderTest::overlayText() const {
    wchar_t text[512] = {};
    GetWindowTextW(overlay(), text, 512);
    return text;
}

HWND ProgramUnderTest::settingsWindow() const { return findProgramWindow(L"VornikaSettings"); }
bool ProgramUnderTest::settingsShown() const { return IsWindowVisible(settingsWindow()) != FALSE; }

void ProgramUnderTest::command(int id) const { PostMessageW(hiddenWindow(), WM_COMMAND, static_cast<WPARAM>(id), 0); }

bool ProgramUnderTest::chooseFromTrayMenu(MenuItem item) const {
    POINT icon{};
    if (!trayIconCentre(icon)) return false;
    const DWORD process = GetProcessId(processInfo.hProcess);
    clickAt(icon, true);
    HWND menu = nullptr;
    if (!waitUntil([&] { return (menu = shownMenuOf(process)) != nullptr; }, 5s)) return false;
    std::this_thread::sleep_for(100ms);  // the menu takes the input once it has drawn itself
    RECT rect{};
    GetWindowRect(menu, &rect);
    const LONG middle = (rect.left + rect.right) / 2;
    if (item == MenuItem::Toggle) {
        clickAt({middle, rect.top + 8}, false);
    } else if (item == MenuItem::Exit) {
        clickAt({middle, rect.bottom - 8}, false);
    } else {
        for (int down = 0; down <= static_cast<int>(item); ++down) pressKeys(0, VK_DOWN);
        pressKeys(0, VK_RETURN);
    }
    return waitUntil([&] { return shownMenuOf(process) == nullptr; }, 5s);
}

std::uint64_t ProgramUnderTest::residentBytes() const {
    // Wine's processes are Linux processes; their command line holds the
    // staged folder's unique name.
    const std::string marker = toUtf8(place.substr(place.find_last_of(L'\\') + 1));
    WIN32_FIND_DATAW entry;
    const HANDLE search = FindFirstFileW(L"Z:\\proc\\*", &entry);
    if (search == INVALID_HANDLE_VALUE) return 0;
    std::uint64_t resident = 0;
    do {
        const std::wstring pid = entry.cFileName;
        if (pid.find_first_not_of(L"0123456789") != std::wstring::npos) continue;
        const std::string commandLine = readFile(L"Z:\\proc\\" + pid + L"\\cmdline");
        if (commandLine.find(marker) == std::string::npos || commandLine.find("Vornika.exe") == std::string::npos) continue;
        const std::string status = readFile(L"Z:\\proc\\" + pid + L"\\status");
        const std::size_t at = status.find("VmRSS:");
        if (at != std::string::npos) resident = std::stoull(status.substr(at + 6)) * 1024;
        break;
    } while (FindNextFileW(search, &entry));
    FindClose(search);
    return resident;
}
