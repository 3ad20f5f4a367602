#pragma once
// The controller of the whole program: the hidden window whose messages
// drive everything, the tray icon, the live settings, the recorder, the
// status strip and the settings window, and the dictation cycle
// (hotkey -> take -> recognition -> delivery). GUI thread, except postResult.

#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <memory>
#include <mutex>
#include <string>

#include <windows.h>
#include <shellapi.h>

#include "app/cue_sounds.h"
#include "app/cycle_texts.h"
#include "app/gpu_check_win.h"
#include "app/foreground_watch_win.h"
#include "app/hotkey_gesture.h"
#include "app/live_take.h"
#include "app/text_history.h"
#include "audio/recorder.h"
#include "engine/transcription_service.h"
#include "settings/settings.h"
#include "ui/object_window_win.h"
#include "ui/settings_window.h"
#include "ui/status_overlay.h"

inline constexpr UINT WM_TRAYICON = WM_APP + 1;
inline constexpr UINT WM_TRANSCRIBED = WM_APP + 2;
inline constexpr UINT WM_CAPTURE_LOST = WM_APP + 3;  // the capture thread: the microphone went away
inline constexpr UINT WM_MODEL_CHECKED = WM_APP + 4;  // the worker: the model loaded ahead of a take, or did not
inline constexpr UINT WM_GPU_CHECKED = WM_APP + 5;    // the worker: the graphics card's check has judged
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

    void toggleDictation();
    // The hotkey went down: what it means depends on the hotkey mode.
    void onHotkeyPressed();
    void startRecording();
    void stopAndTranscribe();
    // Esc: the running take is thrown away, or the text being recognised
    // will not be inserted (it still goes to the history).
    void cancelTake();
    // A take ended without the user (the microphone went away, sleep, the
    // lock): recognised when a second or more was recorded, except at a lock.
    void endTakeWithoutUser(TakeInterruption why);
    // From the worker: the result of take takeId.
    void postResult(std::uint64_t takeId, TranscribeResult result);
    void applySettings(const Settings& saved);
    bool registerHotkey();

    bool addTrayIcon();
    void setTrayTip(const std::wstring& text);
    void showBalloon(const std::wstring& title, const std::wstring& text, DWORD icon);
    void showTrayMenu();

    void deliverResult(const TranscribeResult& result);
    // The last dictated text onto the clipboard (no restore); false when
    // there is none or the clipboard stayed busy.
    bool copyLastText();
    // The history's i-th newest text onto the clipboard (no restore).
    bool copyHistoryText(std::size_t index);
    // What the user is told: the log line (when there is one), the strip and the balloon.
    void tell(const Notices& notices);

    // The end of a run, after the message loop or when Windows ends the
    // session: a take still recording is thrown away, the hotkey and the tray
    // icon go, the recognition running is abandoned, the service stops and
    // the log's last line is written. Once; later calls do nothing.
    void endRun();

    HWND window() const { return hwnd; }
    bool isRecording() const { return recording; }
    bool isBusy() const { return busy; }
    const Settings& currentSettings() const { return settings; }
    const std::wstring& lastDictatedText() const { return lastText; }
    const TextHistory& textHistory() const { return history; }
    bool cancelKeyRegistered() const { return cancelRegistered; }
    const NOTIFYICONDATAW& trayData() const { return nid; }
    const StatusOverlay& statusOverlay() const { return overlay; }
    SettingsWindow& settingsForm() { return settingsWindow; }

private:
    bool createHiddenWindow(HINSTANCE instance);
    // The ended take goes to recognition: what the live take has not yet
    // handed over, and then its joined text.
    void transcribe(const TakeAnalysis& take);
    // The recorder's samples since the last call, less the start cue's, to
    // the live take (which recognises long takes in parts meanwhile).
    void feedLiveTake(std::vector<float> samples);
    // The running take's parts and samples thrown away.
    void dropLiveTake();
    // The results parked by the worker: the awaited take's is delivered, a
    // cancelled one's only kept in the history.
    void takeResults();
    // Whether the text joined the history (it is on and the text not empty).
    bool keepInHistory(const std::wstring& text);
    // The recorder stopped and the take's timers and held key let go; the
    // take's samples not yet handed over, untouched.
    std::vector<float> stopRecorder();
    // Esc is a hotkey exactly while a take records or is recognised.
    void updateCancelKey();
    void onKeyReleasePoll();
    void play(Cue cue);
    // Ends the running take: the recorder stopped, the take's clock off, its
    // last samples with the live take, its log line written. Its analysis.
    TakeAnalysis endTake();
    void onTakeClock();
    void onSessionChange(WPARAM change);
    void postToWindow(UINT message);
    // Loads the model ahead of the first take; the outcome comes back as
    // WM_MODEL_CHECKED, and a failure is told at once.
    // Preloads the model (after a replaced file: drops the old one first) and
    // tells the user when it fails.
    void checkModel(bool replaced = false);
    void onModelChecked();
    // A check of the graphics card has just judged: an unusable card is told once.
    void onGpuChecked();
    // The tray tip between takes: it says when the model is known not to load.
    std::wstring idleTip() const;
    void removeTrayIcon();

    AppSurroundings surroundings;
    TranscriptionService& service;
    HINSTANCE hInstance = nullptr;
    HWND hwnd = nullptr;  // the window's handle, read by postResult under pendingMutex
    NOTIFYICONDATAW nid{};
    UniqueIcon trayIcon;
    bool trayAdded = false;
    Settings settings;
    AudioRecorder recorder;
    StatusOverlay overlay;
    SettingsWindow settingsWindow;
    ForegroundWatch foregroundWatch;  // where the tray menu's commands belong
    bool recording = false;
    bool busy = false;
    bool runEnded = false;
    // Every recognised text, kept until the next: it can always be copied
    // again from the tray menu, whatever became of its insertion.
    std::wstring lastText;
    std::wstring modelProblem;  // why the model did not load; empty once a recognition succeeds
    std::chrono::steady_clock::time_point takeStarted;
    std::int64_t takeAskedAt = 0;  // the press or menu click, on the audio clock (counterNow100ns)
    // While the session is locked nothing is typed; what the user is told
    // about a result waits for the unlock.
    bool locked = false;
    std::optional<Notices> afterUnlock;
    HotkeyGesture gesture;
    bool cancelRegistered = false;
    std::int64_t startCueAt = 0;  // when this take's start cue was asked for (audio clock); 0: none
    TextHistory history;
    // The running take, recognised in parts once long enough; null between takes.
    std::unique_ptr<LiveTake> liveTake;
    std::size_t cueSamplesLeft = 0;  // of the start cue still to leave out of the take
    bool cueMeasured = false;        // cueSamplesLeft is known (the take's first frame has come)
    // Each take has a number; only the awaited one's text is
    // inserted (0: none awaited, for instance after a cancel).
    std::uint64_t lastTakeId = 0;
    std::uint64_t awaitedTake = 0;
    bool awaitedLittleSpeech = false;  // the awaited take held little speech
    // Parked by the worker, taken by the GUI thread on WM_TRANSCRIBED.
    std::mutex pendingMutex;
    std::deque<std::pair<std::uint64_t, TranscribeResult>> pendingResults;
    std::optional<std::wstring> pendingModelCheck;  // "" or why the model did not load
    std::optional<GpuVerdict> pendingGpuVerdict;     // the check's, parked by the worker
    std::optional<GpuCheck> gpuCheck;  // with checkGpuInAProcess
};
