#include "app/app.h"

#include "app/autostart.h"

#include <utility>

#include <wtsapi32.h>

#include "diag/encoding.h"
#include "diag/folders.h"
#include "diag/log.h"
#include "insert/insert_text.h"
#include "settings/settings_file.h"
#include "ui/interface_script.h"

UINT msgTaskbarCreated = 0;
UINT msgShowSettings = 0;

void registerAppMessages() {
    msgTaskbarCreated = RegisterWindowMessageW(L"TaskbarCreated");
    msgShowSettings = RegisterWindowMessageW(L"VornikaShowSettings");
}

App::App(AppSurroundings around)
    : surroundings(std::move(around)), service(*surroundings.service), cycle(Settings{}, surroundings.takeLimit),
      settingsWindow(surroundings.settingsWindow) {
    if (!surroundings.keyIsDown) {
        surroundings.keyIsDown = [](std::uint32_t vk) { return (GetAsyncKeyState(static_cast<int>(vk)) & 0x8000) != 0; };
    }
}

App::~App() { destroyWindow(); }

WindowClassLook App::windowClassLook() { return {kHiddenWindowClass, L"XATO: oyna yaratilmadi", false}; }

bool App::init(HINSTANCE instance) {
    initLog();
    logLine(kStartedLogLine);
    Settings settings = loadSettings();
    setInterfaceLanguage(settings.interfaceLanguage);
    run(cycle::SettingsChanged{settings});
    if (!createHiddenWindow(instance)) return false;
    overlay.create(instance);
    recorder.setOnLost([this, handOver = handOver] { handOver->post([this] { run(cycle::MicrophoneLost{front()}); }); });
    // The first stream of a process is slow to start; the first take should not be.
    recorder.prepare(settings.deviceId);
    WTSRegisterSessionNotification(handle(), NOTIFY_FOR_THIS_SESSION);
    addTrayIcon();
    registerHotkey();
    settingsWindow.setOnSaved([this](const Settings& saved) { applySettings(saved); });
    settingsWindow.setHotkeyTaker([this](const Settings& wanted) { return takeHotkey(wanted); });
    settingsWindow.setOnModelReplaced([this] { run(cycle::ModelReplaced{}); });
    if (!settings.didOnboard) {
        settings.didOnboard = true;
        if (settings.autoStart && runsFromTemporaryFolder()) {
            settings.autoStart = false;
            logLine(L"autostart yoqilmadi: dastur vaqtinchalik papkadan ishga tushirilgan (" + exePath() + L")");
        }
        if (surroundings.settingsWindow.setAutostart) surroundings.settingsWindow.setAutostart(settings.autoStart);
        if (surroundings.settingsWindow.saveSettings) surroundings.settingsWindow.saveSettings(settings);
        run(cycle::SettingsChanged{settings});
        PostMessageW(handle(), WM_COMMAND, ID_SETTINGS, 0);
    }
    service.setUseGpu(settings.useGpu);
    service.setIdleUnloadSeconds(settings.idleUnloadSeconds);
    if (surroundings.checkGpuInAProcess) {
        gpuCheck.emplace([this, handOver = handOver](const GpuVerdict& verdict) {
            handOver->post([this, verdict] { onGpuChecked(verdict); });
        });
        service.setGpuGate([this](const std::wstring& model, const std::string& enginePath) {
            return gpuCheck->allowed(model, enginePath);
        });
    }
    settingsWindow.setOnGpuRecheck([this] {
        GpuCheck::forget();
        if (!currentSettings().useGpu) {
            settingsWindow.showRecognitionDevice();  // nothing to check: the processor recognises
            return;
        }
        logLine(L"videokarta qayta tekshiriladi");
        checkModel(true);  // the model loads afresh, and the card is checked first
    });
    checkModel();
    setTrayTip(cycle.idleTip());
    return true;
}

bool App::createHiddenWindow(HINSTANCE instance) {
    hInstance = instance;
    // An ordinary top-level window, never shown: a second instance finds it
    // with FindWindowW, which does not see message-only windows.
    if (!createObjectWindow(instance, 0, L"Vornika", 0, 0, 0, 0, 0, nullptr)) return false;
    handOver->open(handle(), WM_HANDED_OVER);
    foregroundWatch.start(handle());
    // Run as administrator, the window would not hear Explorer's restart or
    // a second start of the program (both sent from ordinary processes).
    for (const UINT message : {msgTaskbarCreated, msgShowSettings}) {
        if (message != 0 && !ChangeWindowMessageFilterEx(handle(), message, MSGFLT_ALLOW, nullptr)) {
            logLine(L"XATO: xabar filtri o'zgartirilmadi (" + std::to_wstring(GetLastError()) + L")");
        }
    }
    return true;
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

LRESULT App::handleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (msgTaskbarCreated != 0 && message == msgTaskbarCreated) {
        trayAdded = false;
        addTrayIcon();
        return 0;
    }
    if (msgShowSettings != 0 && message == msgShowSettings) {
        settingsWindow.open(hInstance, currentSettings());
        return 0;
    }
    // A paste's text rendered when the target reads it, and its restore.
    if (answerClipboardMessage(window, message, wParam)) return 0;
    const auto now = CycleClock::now();
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
    case WM_NCDESTROY:
        handOver->close();  // the worker threads find no window from now on
        return DefWindowProcW(window, message, wParam, lParam);
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case ID_TOGGLE:
            takeAskedAt = messageTimeOnAudioClock();
            // The command belongs to the window the user was writing in before the click.
            run(cycle::TrayToggle{userWindow(foregroundWatch.userWindow())});
            break;
        case ID_SETTINGS:
            settingsWindow.open(hInstance, currentSettings());
            break;
        case ID_OPEN_LOG:
            ShellExecuteW(nullptr, L"open", logFilePath().c_str(), nullptr, nullptr, SW_SHOWNORMAL);
            break;
        case ID_EXIT:
            DestroyWindow(window);
            break;
        case ID_COPY_LAST_TEXT:
            run(cycle::CopyLastText{});
            break;
        default:
            if (LOWORD(wParam) >= ID_HISTORY_FIRST && LOWORD(wParam) < ID_HISTORY_FIRST + kHistorySize)
                run(cycle::HistoryChosen{static_cast<std::size_t>(LOWORD(wParam) - ID_HISTORY_FIRST)});
            break;
        }
        return 0;
    case WM_HOTKEY:
        if (wParam == HOTKEY_ID) {
            takeAskedAt = messageTimeOnAudioClock();
            run(cycle::HotkeyPressed{now, front()});
        }
        if (wParam == CANCEL_HOTKEY_ID) run(cycle::CancelPressed{});
        return 0;
    case WM_TIMER:
        if (wParam == kStillWorkingTimer) {
            KillTimer(window, wParam);
            run(cycle::StillWorkingTimerFired{});
        } else if (wParam == kTakeClockTimer) {
            run(cycle::ClockTick{now, front()});
        } else if (wParam == kKeyReleaseTimer && !surroundings.keyIsDown(currentSettings().vk)) {
            run(cycle::HotkeyReleased{now, front()});
        }
        return 0;
    case WM_HANDED_OVER:
        handOver->runParked();
        return 0;
    case WM_POWERBROADCAST:
        if (wParam == PBT_APMSUSPEND) run(cycle::Sleeping{front()});
        return TRUE;
    case WM_WTSSESSION_CHANGE:
        if (wParam == WTS_SESSION_LOCK) run(cycle::SessionLocked{});
        if (wParam == WTS_SESSION_UNLOCK) run(cycle::SessionUnlocked{});
        return 0;
    case WM_TRAYICON:
        switch (LOWORD(lParam)) {
        case WM_LBUTTONUP:
        case NIN_KEYSELECT:
            settingsWindow.open(hInstance, currentSettings());
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
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

void App::applySettings(const Settings& saved) {
    // The hotkey is already taken: the settings window asked takeHotkey.
    const bool gpuChanged = saved.useGpu != currentSettings().useGpu;
    setInterfaceLanguage(saved.interfaceLanguage);
    run(cycle::SettingsChanged{saved});
    service.setIdleUnloadSeconds(saved.idleUnloadSeconds);
    if (gpuChanged) {
        service.setUseGpu(saved.useGpu);
        service.unloadSoon();
    }
    checkModel();
}

void App::checkModel(bool replaced) {
    auto onDone = [this, handOver = handOver](std::wstring error) {
        handOver->post([this, error = std::move(error)] { run(cycle::ModelChecked{error}); });
    };
    if (replaced) service.replaceModel(std::move(onDone));
    else service.requestPreload(std::move(onDone));
}

void App::onGpuChecked(const GpuVerdict& verdict) {
    settingsWindow.showRecognitionDevice();
    if (verdict.state != GpuState::Unusable) return;
    // Once: the kept verdict keeps the next starts from checking and telling again.
    logLine(L"ogohlantirish: videokarta ishlamadi, matn protsessorda o'giriladi");
    showBalloon(kGpuUnusableBalloonTitle, kGpuUnusableBalloonText, NIIF_WARNING);
}

namespace {

HotkeyRefusal refusalOf(DWORD error) {
    return error == ERROR_HOTKEY_ALREADY_REGISTERED ? HotkeyRefusal::Taken : HotkeyRefusal::NotAllowed;
}

}  // namespace

bool App::registerHotkey() {
    const Settings& settings = currentSettings();
    const std::wstring label = settings.hotkeyLabel();
    if (RegisterHotKey(handle(), HOTKEY_ID, settings.modifiers | MOD_NOREPEAT, settings.vk)) {
        logLine(L"hotkey ro'yxatdan o'tdi: " + label);
        return true;
    }
    const HotkeyRefusal why = refusalOf(GetLastError());
    logLine(hotkeyRefusedLogLine(label, why));
    if (surroundings.showMessage) {
        surroundings.showMessage(busyHotkeyText(label, settingsFilePath(), why), L"Vornika", MB_ICONWARNING);
    }
    return false;
}

// The old hotkey goes only once the new one is had: RegisterHotKey keeps
// both under one id, so the old one is let go first and taken back when
// the new one cannot be had.
std::wstring App::takeHotkey(const Settings& wanted) {
    const Settings& before = currentSettings();
    UnregisterHotKey(handle(), HOTKEY_ID);
    if (RegisterHotKey(handle(), HOTKEY_ID, wanted.modifiers | MOD_NOREPEAT, wanted.vk)) {
        logLine(L"hotkey ro'yxatdan o'tdi: " + wanted.hotkeyLabel());
        return L"";
    }
    const HotkeyRefusal why = refusalOf(GetLastError());
    logLine(hotkeyRefusedLogLine(wanted.hotkeyLabel(), why));
    const bool oldWorks = RegisterHotKey(handle(), HOTKEY_ID, before.modifiers | MOD_NOREPEAT, before.vk) != FALSE;
    return hotkeyChangeRefusedText(wanted.hotkeyLabel(), why, oldWorks ? before.hotkeyLabel() : L"");
}

void App::endRun() {
    if (runEnded) return;
    run(cycle::RunEnded{});  // a take still recording is thrown away, Esc and the wake request let go
    runEnded = true;
    finishPaste(handle());  // the user's clipboard back now, not after the program has gone
    for (const UINT_PTR timer : {kStillWorkingTimer, kTakeClockTimer, kKeyReleaseTimer}) KillTimer(handle(), timer);
    UnregisterHotKey(handle(), HOTKEY_ID);
    setCancelKey(false);
    WTSUnRegisterSessionNotification(handle());
    removeTrayIcon();
    // A recognition still running is abandoned: quitting never waits for a
    // long take, nor for a check of the graphics card.
    // The service first: a load waiting for the check then sees it was
    // abandoned when the check returns, and loads nothing.
    service.abandonWork();
    if (gpuCheck) gpuCheck->abandon();
    service.shutdown();
    service.setGpuGate({});  // it reaches this App
    logLine(kClosedLogLine);
}
