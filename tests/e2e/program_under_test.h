#pragma once
// Vornika.exe as the user runs it, driven from another process under Wine:
// staged in a folder of its own with its DLLs and a scripted model, started,
// given the hotkey, read back through its windows, its log and its files.

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>

#include <windows.h>

#include "settings/settings.h"
#include "tests/support/audio_harness.h"
#include "tests/support/temp_folder.h"

// Forgets everything an earlier run left: settings.ini, the log, the Run value.
void forgetEarlierRuns();
// settings.ini as a run that has already been through the first start.
bool writeSettings(const Settings& settings);
Settings onboardedSettings();
// The log as the program wrote it (UTF-8), "" without one.
std::string programLog();
// Waits until the log holds the text; the log as last read.
std::string waitForLog(const std::string& text, std::chrono::milliseconds limit = std::chrono::seconds(20));

// The harness plays a sound into the virtual microphone (tests/harness/session.sh --audio).
bool playIntoMicrophone(const std::string& sound, bool wait = true);

// An icon shows in Wine's own tray window (the program's: no other is there).
bool trayIconShown();

// Ctrl+Alt+D (or another combination) as keystrokes from this process.
void pressKeys(UINT modifiers, UINT key);

class ProgramUnderTest {
public:
    enum class Model { Scripted, Silence, Missing };
    // Where: under the user's Programs folder, as the installer puts it, or
    // in the temporary folder, as Explorer runs it from inside a zip.
    enum class Place { UserPrograms, TemporaryFolder };
    // Stages the program; a scripted model says text, whatever it hears. Its
    // dimensions are a test model preset's ("micro" loads and recognises in
    // a fraction of a second, "base" takes seconds).
    explicit ProgramUnderTest(const std::string& text = "Salom dunyo", Model model = Model::Scripted,
                              const std::string& preset = "micro", Place where = Place::UserPrograms);
    // A program already in place (installed, or unpacked from the zip).
    struct InPlace {
        std::wstring folder;
    };
    explicit ProgramUnderTest(InPlace installed);
    ~ProgramUnderTest();
    ProgramUnderTest(const ProgramUnderTest&) = delete;
    ProgramUnderTest& operator=(const ProgramUnderTest&) = delete;


    // Starts a process; with waitForWindow, returns once it has its hidden
    // window and has tried its hotkey.
    bool start(bool waitForWindow = true);
    // Starts another copy and waits for it to end; its exit code, or -1.
    int startAnotherCopy();
    // "Chiqish" from the tray menu; true once the process has ended, with code 0.
    bool quit(std::chrono::milliseconds limit = std::chrono::seconds(30));
    bool running() const;
    DWORD exitCode() const;

    HWND hiddenWindow() const;
    HWND overlay() const;
    bool overlayShown() const;
    std::wstring overlayText() const;  // the strip's message (its window title)
    HWND settingsWindow() const;
    bool settingsShown() const;
    // A menu command to the hidden window, as the tray menu sends it.
    void command(int id) const;
    // The tray menu's items as the menu lists them.
    enum class MenuItem { Toggle, CopyLastText, Settings, OpenLog, Exit };
    // What the user does: a right click on the program's icon in the tray
    // (Wine's own tray window), then the item chosen, the first and the last
    // with a click, those between with the arrow keys and Enter. True once
    // the menu has closed again.
    bool chooseFromTrayMenu(MenuItem item) const;

    const std::wstring& folder() const { return place; }
    HANDLE process() const { return processInfo.hProcess; }
    // The process's resident memory as Linux counts it (Wine does not
    // answer GetProcessMemoryInfo for other processes); 0 when not found.
    std::uint64_t residentBytes() const;

private:
    bool launch(PROCESS_INFORMATION& info) const;

    std::unique_ptr<TempFolder> stage;  // none for a program already in place
    std::wstring place;
    std::wstring exe;
    PROCESS_INFORMATION processInfo{};
};
