#pragma once
// The controller of the whole program: the hidden window whose messages
// drive everything, the tray icon, the live settings, the recorder, the
// status strip and the settings window. It decides nothing about a
// dictation: it turns Windows' messages into the dictation cycle's events and
// carries out the cycle's actions (app/dictation_cycle.h). GUI thread; other
// threads reach it only through its hand-over.

#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include <windows.h>
#include <shellapi.h>

#include "app/cue_sounds.h"
#include "app/cycle_texts.h"
#include "app/dictation_cycle.h"
#include "app/foreground_watch_win.h"
#include "app/gpu_check_win.h"
#include "app/live_take.h"
#include "audio/recorder.h"
#include "engine/transcription_service.h"
#include "settings/settings.h"
#include "ui/hand_over_win.h"
#include "ui/object_window_win.h"
#include "ui/settings_window.h"
#include "ui/status_overlay.h"

inline constexpr UINT WM_TRAYICON = WM_APP + 1;
inline constexpr UINT WM_HANDED_OVER = WM_APP + 2;  // other threads parked work in the hand-over
inline constexpr int ID_TOGGLE = 100;
inline constexpr int ID_SETTINGS = 101;
inline constexpr int ID_OPEN_LOG = 102;
inline constexpr int ID_EXIT = 103;
inline constexpr int ID_COPY_LAST_TEXT = 104;
// The history submenu's items: ID_HISTORY_FIRST + i is the i-th newest text.
inline constexpr int ID_HISTORY_FIRST = 120;
inline constexpr UINT_PTR kStillWorkingTimer = 1;
inline constexpr UINT_PTR kTakeClockTimer = 2;
inline constexpr UINT_PTR kKeyReleaseTimer = 3;  // polls the held hotkey's key
inline constexpr UINT kKeyReleasePollMilliseconds = 20;
inline constexpr int HOTKEY_ID = 1;
inline constexpr int CANCEL_HOTKEY_ID = 2;  // Esc, registered only while a take runs or is recognised
inline constexpr wchar_t kHiddenWindowClass[] = L"VornikaHiddenWindow";

// The registered "TaskbarCreated" and "VornikaShowSettings" messages; 0
// (never matched) until the process entry registers them.
extern UINT msgTaskbarCreated;
extern UINT msgShowSettings;
void registerAppMessages();

// What the App reaches outside itself. The program uses the process's
// transcription service, the shell, message boxes and the settings window's
// real surroundings; tests pass a service on a fake engine and watch the calls.
struct AppSurroundings {
    TranscriptionService* service = nullptr;  // never null; it outlives the App
    std::function<bool(DWORD action, NOTIFYICONDATAW& data)> notifyIcon;
    std::function<void(const std::wstring& text, const std::wstring& caption, UINT icon)> showMessage;
    SettingsSurroundings settingsWindow;
    // A take ends by itself after this long and is recognised.
    std::chrono::milliseconds takeLimit = std::chrono::minutes(10);
    // Plays a cue without waiting (when the settings ask for sounds).
    std::function<void(Cue)> playCue;
    // Whether the hotkey's key is held down now; the keyboard's state when empty.
    std::function<bool(std::uint32_t vk)> keyIsDown;
    // The graphics card is checked in a process of this executable (the
    // program's own --gpu-check) before a model first loads on it.
    bool checkGpuInAProcess = false;
};
AppSurroundings programAppSurroundings(TranscriptionService& service);

class App : public ObjectWindow<App> {
public:
    explicit App(AppSurroundings surroundings);
    ~App();
    App(const App&) = delete;
    App& operator=(const App&) = delete;

    bool init(HINSTANCE instance);
    LRESULT handleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static WindowClassLook windowClassLook();

    void applySettings(const Settings& saved);
    bool registerHotkey();
    std::wstring takeHotkey(const Settings& wanted);

    bool addTrayIcon();
    void setTrayTip(const std::wstring& text);
    void showBalloon(const std::wstring& title, const std::wstring& text, DWORD icon);
    void showTrayMenu();

    // A text from outside any take, delivered as a take's would be into the
    // window in front now: how the stories reach the delivery without speaking.
    void deliverResult(const TranscribeResult& result);
    // What the user is told: the log line (when there is one), the strip and the balloon.
    void tell(const Notices& notices);

    // The end of a run, after the message loop or when Windows ends the
    // session: a take still recording is thrown away, the hotkey and the tray
    // icon go, the recognition running is abandoned, the service stops and
    // the log's last line is written. Once; later calls do nothing.
    void endRun();

    HWND window() const { return handle(); }
    bool isRecording() const { return cycle.isRecording(); }
    bool isBusy() const { return cycle.isBusy(); }
    const Settings& currentSettings() const { return cycle.currentSettings(); }
    const std::wstring& lastDictatedText() const { return cycle.lastText(); }
    const TextHistory& textHistory() const { return cycle.textHistory(); }
    bool cancelKeyRegistered() const { return cancelRegistered; }
    const NOTIFYICONDATAW& trayData() const { return nid; }
    const StatusOverlay& statusOverlay() const { return overlay; }
    SettingsWindow& settingsForm() { return settingsWindow; }

private:
    // The event to the cycle and its actions carried out, each outcome fed
    // back before anything else; an event that comes while actions are
    // carried out (a modal loop inside one) waits its turn.
    void run(cycle::Event event);
    std::optional<cycle::Event> carryOut(const cycle::Action& action);
    std::optional<cycle::Event> startRecorder(std::uint64_t takeId);
    cycle::Event stopRecorder();
    std::optional<cycle::Event> insert(const cycle::Insert& insert);
    // The window the user writes in now: 0 when it is the program's own or none.
    WindowRef front() const;
    static WindowRef userWindow(HWND window);
    // The recorder's samples since the last call, less the start cue's, to
    // the live take (which recognises long takes in parts meanwhile).
    void feedLiveTake(std::vector<float> samples);
    void dropLiveTake();
    void setCancelKey(bool wanted);
    void keepAwake(bool on);
    bool createHiddenWindow(HINSTANCE instance);
    // Preloads the model (after a replaced file: drops the old one first); the
    // outcome reaches the cycle, which tells the user of a failure.
    void checkModel(bool replaced = false);
    // A check of the graphics card has just judged: an unusable card is told once.
    void onGpuChecked(const GpuVerdict& verdict);
    void removeTrayIcon();

    AppSurroundings surroundings;
    TranscriptionService& service;
    // Closed when the window goes. The threads' callbacks hold it, never the
    // App: a recognition or a model load that outlives this App (a test
    // starting the App again on the same service) finds it closed.
    const std::shared_ptr<HandOver> handOver = std::make_shared<HandOver>();
    HINSTANCE hInstance = nullptr;
    NOTIFYICONDATAW nid{};
    UniqueIcon trayIcon;
    bool trayAdded = false;
    DictationCycle cycle;
    AudioRecorder recorder;
    StatusOverlay overlay;
    SettingsWindow settingsWindow;
    ForegroundWatch foregroundWatch;  // where the tray menu's commands belong
    bool runEnded = false;
    bool recorderRunning = false;
    bool cancelRegistered = false;
    bool awake = false;
    std::deque<cycle::Event> events;  // waiting for the cycle
    bool running = false;             // actions are being carried out
    std::int64_t takeAskedAt = 0;  // the press or menu click, on the audio clock (counterNow100ns)
    std::int64_t startCueAt = 0;   // when this take's start cue was asked for (audio clock); 0: none
    // The running take, recognised in parts once long enough; null between takes.
    std::unique_ptr<LiveTake> liveTake;
    std::size_t cueSamplesLeft = 0;  // of the start cue still to leave out of the take
    bool cueMeasured = false;        // cueSamplesLeft is known (the take's first frame has come)
    std::optional<GpuCheck> gpuCheck;  // with checkGpuInAProcess
};
