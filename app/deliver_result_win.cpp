#include "app/app.h"
#include "app/cycle_texts.h"
#include "app/text_choice.h"
#include "diag/encoding.h"
#include "diag/log.h"
#include "insert/clipboard_win.h"
#include "insert/insert_text.h"
#include "text/vocabulary.h"

void App::deliverResult(const TranscribeResult& recognised) {
    // From here on the text is the one the user chose to get.
    TranscribeResult result = recognised;
    // The model "hearing" the user's own words in a take without speech.
    if (result.error.empty() && !settings.vocabulary.empty() &&
        isPromptEcho(toUtf8(result.text), toUtf8(settings.vocabulary), std::exchange(awaitedLittleSpeech, false))) {
        logLine(kPromptEchoLogLine);
        result.text.clear();
    }
    result.text = deliveredText(result.text, settings);
    busy = false;  // from here on the hotkey starts a new take
    updateCancelKey();
    if (result.error.empty()) modelProblem.clear();  // it recognised: the model works
    setTrayTip(idleTip());
    const Notices notices = resultNotices(result);
    if (resultAction(result) != ResultAction::Insert) {
        play(Cue::Error);
        tell(notices);
        return;
    }
    logLine(notices.logLine);
    lastText = result.text;
    keepInHistory(result.text);
    // Nothing is typed into the lock screen; the user hears of it after the unlock.
    if (locked) {
        const Notices told = lockedResultNotices(writeClipboardText(hwnd, result.text));
        logLine(told.logLine);
        afterUnlock = Notices{L"", std::nullopt, told.balloon};
        return;
    }
    // Keystrokes now would land in Vornika's own window (or nowhere).
    if (foregroundIsOwnOrMissing()) {
        tell(clipboardOnlyNotices(writeClipboardText(hwnd, result.text)));
        return;
    }
    const InsertOutcome outcome = insertText(result, settings.insertMode, hwnd);
    if (outcome.inserted) {
        overlay.hide();
        return;
    }
    // Whatever failed, the text goes to the clipboard (again) before the user is told it is there.
    const bool onClipboard = writeClipboardText(hwnd, result.text);
    play(Cue::Error);
    tell(insertFailureNotices(outcome.message, isForegroundElevated(), onClipboard));
}

bool App::copyLastText() {
    if (lastText.empty()) return false;
    dropPendingClipboardRestores();
    const bool copied = writeClipboardText(hwnd, lastText);
    logLine(copied ? L"oxirgi matn clipboard'ga nusxalandi" : L"XATO: oxirgi matn nusxalanmadi (clipboard band)");
    return copied;
}

void App::tell(const Notices& notices) {
    if (!notices.logLine.empty()) logLine(notices.logLine);
    if (notices.overlay) overlay.show(notices.overlay->kind, notices.overlay->text, notices.overlay->timeoutMilliseconds);
    if (notices.balloon) {
        showBalloon(notices.balloon->title, notices.balloon->text, static_cast<DWORD>(notices.balloon->icon));
    }
}
