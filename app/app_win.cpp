#include "app/app.h"

#include "app/autostart.h"
#include "app/text_choice.h"

#include <algorithm>
#include <cstdint>
#include <utility>

#include <wtsapi32.h>

#include "audio/sample_convert.h"
#include "diag/encoding.h"
#include "diag/folders.h"
#include "diag/log.h"
#include "settings/settings_file.h"
#include "text/vocabulary.h"

UINT msgTaskbarCreated = 0;
UINT msgShowSettings = 0;

void registerAppMessages() {
    msgTaskbarCreated = RegisterWindowMessageW(L"TaskbarCreated");
    msgShowSettings = RegisterWindowMessageW(L"VornikaShowSettings");
}

App::App(AppSurroundings around)
    : surroundings(std::move(around)), service(*surroundings.service), settingsWindow(surroundings.settingsWindow) {
    if (!surroundings.keyIsDown) {
        surroundings.keyIsDown = [](std::uint32_t vk) { return (GetAsyncKeyState(static_cast<int>(vk)) & 0x8000) != 0; };
    }
}

App::~App() { destroyWindow(); }

WindowClassLook App::windowClassLook() { return {kHiddenWindowClass, L"XATO: oyna yaratilmadi", false}; }

bool App::init(HINSTANCE instance) {
    initLog();
    logLine(kStartedLogLine);
    settings = loadSettings();
    gesture = HotkeyGesture(settings.hotkeyMode);
    if (!createHiddenWindow(instance)) return false;
    overlay.create(instance);
    recorder.setOnLost([this] { postToWindow(WM_CAPTURE_LOST); });
    // The first stream of a process is slow to start; the first take should not be.
    recorder.prepare(settings.deviceId);
    WTSRegisterSessionNotification(hwnd, NOTIFY_FOR_THIS_SESSION);
    addTrayIcon();
    registerHotkey();
    settingsWindow.setOnSaved([this](const Settings& saved) { applySettings(saved); });
    settingsWindow.setOnModelReplaced([this] { checkModel(true); });
    if (!settings.didOnboard) {
        settings.didOnboard = true;
        if (settings.autoStart && runsFromTemporaryFolder()) {
            settings.autoStart = false;
            logLine(L"autostart yoqilmadi: dastur vaqtinchalik papkadan ishga tushirilgan (" + exePath() + L")");
        }
        if (surroundings.settingsWindow.setAutostart) surroundings.settingsWindow.setAutostart(settings.autoStart);
        if (surroundings.settingsWindow.saveSettings) surroundings.settingsWindow.saveSettings(settings);
        PostMessageW(hwnd, WM_COMMAND, ID_SETTINGS, 0);
    }
    service.setUseGpu(settings.useGpu);
    service.setIdleUnloadSeconds(settings.idleUnloadSeconds);
    if (surroundings.checkGpuInAProcess) {
        gpuCheck.emplace([this](const GpuVerdict& verdict) {
            const std::lock_guard<std::mutex> lock(pendingMutex);
            if (hwnd == nullptr) return;
            pendingGpuVerdict = verdict;
            PostMessageW(hwnd, WM_GPU_CHECKED, 0, 0);
        });
        service.setGpuGate([this](const std::wstring& model, const std::string& enginePath) {
            return gpuCheck->allowed(model, enginePath);
        });
    }
    settingsWindow.setOnGpuRecheck([this] {
        GpuCheck::forget();
        if (!settings.useGpu) {
            settingsWindow.showRecognitionDevice();  // nothing to check: the processor recognises
            return;
        }
        logLine(L"videokarta qayta tekshiriladi");
        checkModel(true);  // the model loads afresh, and the card is checked first
    });
    checkModel();
    setTrayTip(idleTip());
    return true;
}

bool App::createHiddenWindow(HINSTANCE instance) {
    hInstance = instance;
    // An ordinary top-level window, never shown: a second instance finds it
    // with FindWindowW, which does not see message-only windows.
    if (!createObjectWindow(instance, 0, L"Vornika", 0, 0, 0, 0, 0, nullptr)) return false;
    const std::lock_guard<std::mutex> lock(pendingMutex);
    hwnd = handle();
    foregroundWatch.start(hwnd);
    // Run as administrator, the window would not hear Explorer's restart or
    // a second start of the program (both sent from ordinary processes).
    for (const UINT message : {msgTaskbarCreated, msgShowSettings}) {
        if (message != 0 && !ChangeWindowMessageFilterEx(hwnd, message, MSGFLT_ALLOW, nullptr)) {
            logLine(L"XATO: xabar filtri o'zgartirilmadi (" + std::to_wstring(GetLastError()) + L")");
        }
    }
    return true;
}

LRESULT App::handleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (msgTaskbarCreated != 0 && message == msgTaskbarCreated) {
        trayAdded = false;
        addTrayIcon();
        return 0;
    }
    if (msgShowSettings != 0 && message == msgShowSettings) {
        settingsWindow.open(hInstance, settings);
        return 0;
    }
    switch (message) {
    case WM_DESTROY:
        removeTrayIcon();
        PostQuitMessage(0);
        return 0;
    case WM_ENDSESSION:
        // FALSE: the log-off was cancelled, the program goes on. TRUE: the
        // process may end as soon as this returns, so the run ends here.
        if (wParam != FALSE) {
            endRun();
            PostQuitMessage(0);
        }
        return 0;
    case WM_NCDESTROY: {
        const std::lock_guard<std::mutex> lock(pendingMutex);  // postResult reads it on the worker
        hwnd = nullptr;
        return DefWindowProcW(window, message, wParam, lParam);
    }
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case ID_TOGGLE:
            toggleDictation();
            break;
        case ID_SETTINGS:
            settingsWindow.open(hInstance, settings);
            break;
        case ID_OPEN_LOG:
            ShellExecuteW(nullptr, L"open", logFilePath().c_str(), nullptr, nullptr, SW_SHOWNORMAL);
            break;
        case ID_EXIT:
            DestroyWindow(window);
            break;
        case ID_COPY_LAST_TEXT:
            copyLastText();
            break;
        default:
            if (LOWORD(wParam) >= ID_HISTORY_FIRST && LOWORD(wParam) < ID_HISTORY_FIRST + kHistorySize)
                copyHistoryText(LOWORD(wParam) - ID_HISTORY_FIRST);
            break;
        }
        return 0;
    case WM_HOTKEY:
        if (wParam == HOTKEY_ID) onHotkeyPressed();
        if (wParam == CANCEL_HOTKEY_ID) cancelTake();
        return 0;
    case WM_TIMER:
        if (wParam == kStillWorkingTimer) {
            KillTimer(window, wParam);
            if (busy) overlay.show(OverlayKind::Working, kWorkingText, 0);
        } else if (wParam == kTakeClockTimer) {
            onTakeClock();
        } else if (wParam == kKeyReleaseTimer) {
            onKeyReleasePoll();
        }
        return 0;
    case WM_MODEL_CHECKED:
        onModelChecked();
        return 0;
    case WM_GPU_CHECKED:
        onGpuChecked();
        return 0;
    case WM_CAPTURE_LOST:
        endTakeWithoutUser(TakeInterruption::MicrophoneLost);
        return 0;
    case WM_POWERBROADCAST:
        if (wParam == PBT_APMSUSPEND) endTakeWithoutUser(TakeInterruption::Sleep);
        return TRUE;
    case WM_WTSSESSION_CHANGE:
        onSessionChange(wParam);
        return 0;
    case WM_TRAYICON:
        switch (LOWORD(lParam)) {
        case WM_LBUTTONUP:
        case NIN_KEYSELECT:
            settingsWindow.open(hInstance, settings);
            break;
        // A right click sends WM_RBUTTONUP and then WM_CONTEXTMENU to
        // version-4 icons; the keyboard only the latter. One menu, once.
        case WM_CONTEXTMENU:
            showTrayMenu();
            break;
        default:
            break;
        }
        return 0;
    case WM_TRANSCRIBED:
        takeResults();
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

void App::toggleDictation() {
    if (busy) {
        // The take is being turned into text: said so, and left alone.
        overlay.show(OverlayKind::Working, kStillWorkingText, 0);
        SetTimer(hwnd, kStillWorkingTimer, kStillWorkingMilliseconds, nullptr);
        return;
    }
    if (recording) {
        stopAndTranscribe();
    } else {
        startRecording();
    }
}

namespace {

// When the message being handled was sent, on the audio clock; now for one
// that is old (a message sent rather than posted has no time of its own).
std::int64_t messageTimeOnAudioClock() {
    const DWORD age = GetTickCount() - static_cast<DWORD>(GetMessageTime());
    const std::int64_t now = counterNow100ns();
    return age < 2000 ? now - static_cast<std::int64_t>(age) * 10'000 : now;
}

}  // namespace

void App::startRecording() {
    takeAskedAt = messageTimeOnAudioClock();
    std::wstring errorText;
    startCueAt = 0;
    if (recorder.start(settings.deviceId, errorText)) {
        recording = true;
        takeStarted = std::chrono::steady_clock::now();
        liveTake = std::make_unique<LiveTake>(
            service, LiveTakeOptions{static_cast<double>(settings.liveAfterSeconds),
                                     vocabularyPrompt(toUtf8(settings.vocabulary)), ++lastTakeId});
        cueMeasured = false;
        cueSamplesLeft = 0;
        // Only now does the cue tell the truth: the microphone is recording.
        if (settings.sounds && surroundings.playCue) {
            startCueAt = counterNow100ns();
            surroundings.playCue(Cue::Start);
        }
        updateCancelKey();
        SetTimer(hwnd, kTakeClockTimer, 1000, nullptr);
        const std::wstring label = settings.hotkeyLabel();
        setTrayTip(recordingTip(label));
        overlay.show(OverlayKind::Recording, recordingOverlayText(label), 0);
        logLine(L"yozish boshlandi");
        return;
    }
    gesture.takeEnded();
    play(Cue::Error);
    tell(startFailureNotices(errorText));
}

std::vector<float> App::stopRecorder() {
    recording = false;
    KillTimer(hwnd, kTakeClockTimer);
    KillTimer(hwnd, kKeyReleaseTimer);
    gesture = HotkeyGesture(settings.hotkeyMode);  // a mode saved during the take counts from now
    return recorder.stop();
}

void App::feedLiveTake(std::vector<float> samples) {
    if (!liveTake || samples.empty()) return;
    // What the microphone heard of the start cue is not the user's speech.
    if (!cueMeasured) {
        cueSamplesLeft = startCueSamples(recorder.firstFrameTime(), startCueAt, SIZE_MAX);
        cueMeasured = true;
    }
    if (cueSamplesLeft > 0) {
        const std::size_t dropped = std::min(cueSamplesLeft, samples.size());
        samples.erase(samples.begin(), samples.begin() + static_cast<std::ptrdiff_t>(dropped));
        cueSamplesLeft -= dropped;
    }
    liveTake->add(std::move(samples));
}

void App::dropLiveTake() {
    if (liveTake) liveTake->drop();
    liveTake.reset();
}

TakeAnalysis App::endTake() {
    std::vector<float> rest = stopRecorder();
    const std::int64_t firstFrame = recorder.firstFrameTime();
    if (firstFrame != 0) logLine(audioStartLogLine(static_cast<double>(firstFrame - takeAskedAt) / 10'000.0));
    feedLiveTake(std::move(rest));
    const TakeAnalysis take = liveTake ? liveTake->analysis() : analyzeTake({});
    logLine(takeLogLine(take));
    return take;
}

void App::stopAndTranscribe() {
    const TakeAnalysis take = endTake();
    if (take.verdict != TakeVerdict::Ok) {
        dropLiveTake();
        updateCancelKey();
        setTrayTip(idleTip());
        play(Cue::Error);
        tell(takeNotices(take));
        return;
    }
    play(Cue::Stop);
    transcribe(take);
}

void App::transcribe(const TakeAnalysis& take) {
    busy = true;
    updateCancelKey();
    setTrayTip(kWorkingText);
    overlay.show(OverlayKind::Working, kWorkingText, 0);
    const std::uint64_t takeId = lastTakeId;
    awaitedTake = takeId;
    // Less than half a second above a quiet room's level.
    awaitedLittleSpeech = take.voicedSeconds < 0.5f;
    if (liveTake) liveTake->finish([this, takeId](TranscribeResult result) { postResult(takeId, std::move(result)); });
    liveTake.reset();
}

void App::postResult(std::uint64_t takeId, TranscribeResult result) {
    const std::lock_guard<std::mutex> lock(pendingMutex);
    if (hwnd == nullptr) return;  // the window is gone: nobody is left to take it
    pendingResults.emplace_back(takeId, std::move(result));
    PostMessageW(hwnd, WM_TRANSCRIBED, 0, 0);
}

void App::takeResults() {
    std::deque<std::pair<std::uint64_t, TranscribeResult>> results;
    {
        const std::lock_guard<std::mutex> lock(pendingMutex);
        results.swap(pendingResults);
    }
    for (auto& [takeId, result] : results) {
        if (takeId == awaitedTake) {
            awaitedTake = 0;
            deliverResult(result);
        } else if (result.error.empty() && keepInHistory(deliveredText(result.text, settings))) {
            logLine(L"bekor qilingan yozuv matni tarixga qo'shildi");
        }
    }
}

// From any thread. Posted under the lock the window's end takes, so the
// handle is never one that has meanwhile gone (or been given to another window).
void App::postToWindow(UINT message) {
    const std::lock_guard<std::mutex> lock(pendingMutex);
    if (hwnd != nullptr) PostMessageW(hwnd, message, 0, 0);
}

void App::applySettings(const Settings& saved) {
    const bool hotkeyChanged = saved.vk != settings.vk || saved.modifiers != settings.modifiers;
    const bool gpuChanged = saved.useGpu != settings.useGpu;
    settings = saved;
    // A take held now ends as it began; the new mode counts from the next press.
    if (!recording) gesture = HotkeyGesture(settings.hotkeyMode);
    if (!settings.history) history.clear();
    updateCancelKey();
    if (hotkeyChanged) {
        UnregisterHotKey(hwnd, HOTKEY_ID);
        registerHotkey();
    }
    service.setIdleUnloadSeconds(settings.idleUnloadSeconds);
    if (gpuChanged) {
        service.setUseGpu(settings.useGpu);
        service.unloadSoon();
    }
    checkModel();
}

void App::checkModel(bool replaced) {
    auto onDone = [this](std::wstring error) {
        const std::lock_guard<std::mutex> lock(pendingMutex);
        if (hwnd == nullptr) return;
        pendingModelCheck = std::move(error);
        PostMessageW(hwnd, WM_MODEL_CHECKED, 0, 0);
    };
    if (replaced) service.replaceModel(std::move(onDone));
    else service.requestPreload(std::move(onDone));
}

void App::onModelChecked() {
    std::optional<std::wstring> outcome;
    {
        const std::lock_guard<std::mutex> lock(pendingMutex);
        outcome.swap(pendingModelCheck);
    }
    if (!outcome) return;
    modelProblem = *outcome;
    if (!modelProblem.empty()) tell(modelProblemNotices(modelProblem));
    if (!recording && !busy) setTrayTip(idleTip());
}

void App::onGpuChecked() {
    std::optional<GpuVerdict> verdict;
    {
        const std::lock_guard<std::mutex> lock(pendingMutex);
        verdict.swap(pendingGpuVerdict);
    }
    if (!verdict) return;
    settingsWindow.showRecognitionDevice();
    if (verdict->state != GpuState::Unusable) return;
    // Once: the kept verdict keeps the next starts from checking and telling again.
    logLine(L"ogohlantirish: videokarta ishlamadi, matn protsessorda o'giriladi");
    showBalloon(kGpuUnusableBalloonTitle, kGpuUnusableBalloonText, NIIF_WARNING);
}

std::wstring App::idleTip() const { return modelProblem.empty() ? kIdleTip : kModelProblemTip; }

bool App::registerHotkey() {
    const std::wstring label = settings.hotkeyLabel();
    if (RegisterHotKey(hwnd, HOTKEY_ID, settings.modifiers | MOD_NOREPEAT, settings.vk)) {
        logLine(L"hotkey ro'yxatdan o'tdi: " + label);
        return true;
    }
    logLine(L"XATO: hotkey band \u2014 " + label);
    if (surroundings.showMessage) {
        surroundings.showMessage(busyHotkeyText(label, settingsFilePath()), L"Vornika", MB_ICONWARNING);
    }
    return false;
}

void App::endRun() {
    if (runEnded) return;
    runEnded = true;
    if (recording) {
        recording = false;
        recorder.stop();  // the take is thrown away
    }
    dropLiveTake();
    KillTimer(hwnd, kTakeClockTimer);
    KillTimer(hwnd, kKeyReleaseTimer);
    UnregisterHotKey(hwnd, HOTKEY_ID);
    if (cancelRegistered) UnregisterHotKey(hwnd, CANCEL_HOTKEY_ID);
    cancelRegistered = false;
    WTSUnRegisterSessionNotification(hwnd);
    removeTrayIcon();
    // A recognition still running is abandoned: quitting never waits for a
    // long take, nor for a check of the graphics card.
    if (gpuCheck) gpuCheck->abandon();
    service.abandonWork();
    service.shutdown();
    service.setGpuGate({});  // it reaches this App
    logLine(kClosedLogLine);
}
