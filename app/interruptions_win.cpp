// Takes and results the user did not end themselves: the take's time limit,
// a microphone that goes away, sleep, and the locked session.

#include "app/app.h"

#include <cmath>

#include <wtsapi32.h>

#include "diag/log.h"

void App::onTakeClock() {
    if (!recording) {
        KillTimer(hwnd, kTakeClockTimer);
        return;
    }
    // The take so far to the live take: a long one is recognised in parts meanwhile.
    feedLiveTake(recorder.takeCaptured());
    const std::chrono::duration<double> left = surroundings.takeLimit - (std::chrono::steady_clock::now() - takeStarted);
    if (left.count() <= 0) {
        logLine(L"yozuv eng uzun chegaraga yetdi: to'xtatildi");
        stopAndTranscribe();
        return;
    }
    if (left.count() <= kTakeEndingWarningSeconds) {
        const int seconds = static_cast<int>(std::ceil(left.count()));
        overlay.show(OverlayKind::Recording, takeEndingOverlayText(settings.hotkeyLabel(), seconds), 0);
    }
}

void App::endTakeWithoutUser(TakeInterruption why) {
    if (!recording) return;
    const TakeAnalysis take = endTake();
    const bool recognise = why != TakeInterruption::Lock && take.seconds >= 1.0f;
    if (recognise) {
        transcribe(take);
    } else {
        dropLiveTake();
        updateCancelKey();
        setTrayTip(idleTip());
        overlay.hide();
        if (why == TakeInterruption::MicrophoneLost) play(Cue::Error);
    }
    tell(interruptedTakeNotices(why, recognise));
}

void App::onSessionChange(WPARAM change) {
    if (change == WTS_SESSION_LOCK) {
        locked = true;
        endTakeWithoutUser(TakeInterruption::Lock);
    } else if (change == WTS_SESSION_UNLOCK) {
        locked = false;
        if (afterUnlock) {
            tell(*afterUnlock);
            afterUnlock.reset();
        }
    }
}
