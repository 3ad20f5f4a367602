// The keys of a dictation: the hotkey in its three modes (a held key's
// release found by polling, never by a keyboard hook), Esc to cancel, and
// what a take leaves behind: its cues and the history of its texts.

#include "app/app.h"

#include "diag/log.h"
#include "insert/clipboard_win.h"
#include "insert/insert_text.h"

void App::onHotkeyPressed() {
    if (busy) {
        toggleDictation();  // says it is still working
        return;
    }
    switch (gesture.press(std::chrono::steady_clock::now(), recording)) {
    case GestureAction::StartTake:
        startRecording();
        // The key may already be up again (a tap): the first poll finds it.
        if (recording && gesture.awaitingRelease()) SetTimer(hwnd, kKeyReleaseTimer, kKeyReleasePollMilliseconds, nullptr);
        break;
    case GestureAction::StopTake:
        stopAndTranscribe();
        break;
    case GestureAction::None:
        break;
    }
}

void App::onKeyReleasePoll() {
    if (!recording || !gesture.awaitingRelease()) {
        KillTimer(hwnd, kKeyReleaseTimer);
        return;
    }
    if (surroundings.keyIsDown(settings.vk)) return;
    KillTimer(hwnd, kKeyReleaseTimer);
    if (gesture.release(std::chrono::steady_clock::now()) == GestureAction::StopTake) {
        logLine(L"tugma qo'yib yuborildi: yozish to'xtatildi");
        stopAndTranscribe();
    }
}

void App::cancelTake() {
    if (recording) {
        stopRecorder();  // the take is thrown away
        dropLiveTake();
        play(Cue::Stop);
        tell(cancelledNotices(false));
    } else if (busy) {
        // The recognition runs on; its text, when it comes, only joins the history.
        busy = false;
        awaitedTake = 0;
        KillTimer(hwnd, kStillWorkingTimer);
        tell(cancelledNotices(true));
    }
    setTrayTip(idleTip());
    updateCancelKey();
}

void App::updateCancelKey() {
    const bool wanted = settings.cancelKey && (recording || busy) && !runEnded;
    if (wanted == cancelRegistered) return;
    if (!wanted) {
        UnregisterHotKey(hwnd, CANCEL_HOTKEY_ID);
        cancelRegistered = false;
        return;
    }
    cancelRegistered = RegisterHotKey(hwnd, CANCEL_HOTKEY_ID, MOD_NOREPEAT, VK_ESCAPE) != FALSE;
    if (!cancelRegistered) logLine(L"Esc tugmasi band: bekor qilish ishlamaydi (" + std::to_wstring(GetLastError()) + L")");
}

void App::play(Cue cue) {
    if (settings.sounds && surroundings.playCue) surroundings.playCue(cue);
}

bool App::keepInHistory(const std::wstring& text) {
    if (!settings.history || text.empty()) return false;
    history.add(text);
    return true;
}

bool App::copyHistoryText(std::size_t index) {
    const auto& texts = history.newestFirst();
    if (index >= texts.size()) return false;
    dropPendingClipboardRestores();
    const bool copied = writeClipboardText(hwnd, texts[index]);
    logLine(copied ? L"tarixdagi matn clipboard'ga nusxalandi" : L"XATO: tarixdagi matn nusxalanmadi (clipboard band)");
    return copied;
}
