#include "app/app.h"
#include "app/cycle_texts.h"
#include "diag/log.h"
#include "insert/insert_text.h"

void App::deliverResult(const TranscribeResult& result) {
    busy = false;  // from here on the hotkey starts a new take
    setTrayTip(kIdleTip);
    const Notices notices = resultNotices(result);
    if (resultAction(result) != ResultAction::Insert) {
        if (!notices.logLine.empty()) logLine(notices.logLine);
        overlay.show(notices.overlay->kind, notices.overlay->text, notices.overlay->timeoutMilliseconds);
        if (notices.balloon) {
            showBalloon(notices.balloon->title, notices.balloon->text, static_cast<DWORD>(notices.balloon->icon));
        }
        return;
    }
    logLine(notices.logLine);
    const InsertOutcome outcome = insertText(result, settings.insertMode, hwnd);
    if (outcome.inserted) {
        overlay.hide();
        return;
    }
    const Notices failure = insertFailureNotices(outcome.message, isForegroundElevated());
    logLine(failure.logLine);
    overlay.show(failure.overlay->kind, failure.overlay->text, failure.overlay->timeoutMilliseconds);
    showBalloon(failure.balloon->title, failure.balloon->text, static_cast<DWORD>(failure.balloon->icon));
}
