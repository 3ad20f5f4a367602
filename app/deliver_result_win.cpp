#include "app/app.h"
#include "app/cycle_texts.h"
#include "diag/log.h"
#include "insert/insert_text.h"

void App::deliverResult(const TranscribeResult& result) {
    busy = false;  // from here on the hotkey starts a new take
    setTrayTip(kIdleTip);
    const Notices notices = resultNotices(result);
    if (resultAction(result) != ResultAction::Insert) {
        tell(notices);
        return;
    }
    logLine(notices.logLine);
    const InsertOutcome outcome = insertText(result, settings.insertMode, hwnd);
    if (outcome.inserted) {
        overlay.hide();
        return;
    }
    tell(insertFailureNotices(outcome.message, isForegroundElevated()));
}

void App::tell(const Notices& notices) {
    if (!notices.logLine.empty()) logLine(notices.logLine);
    if (notices.overlay) overlay.show(notices.overlay->kind, notices.overlay->text, notices.overlay->timeoutMilliseconds);
    if (notices.balloon) {
        showBalloon(notices.balloon->title, notices.balloon->text, static_cast<DWORD>(notices.balloon->icon));
    }
}
