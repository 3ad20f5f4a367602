#include "app/dictation_cycle.h"

#include <cmath>
#include <utility>

#include "app/text_choice.h"

using namespace cycle;

namespace {

TakeInterruption interruptionOf(TakeStop stop) {
    switch (stop) {
    case TakeStop::MicrophoneLost: return TakeInterruption::MicrophoneLost;
    case TakeStop::Sleep: return TakeInterruption::Sleep;
    default: return TakeInterruption::Lock;
    }
}

bool endedByTheUser(TakeStop stop) { return stop == TakeStop::User || stop == TakeStop::Limit; }

}  // namespace

DictationCycle::DictationCycle(Settings initial, std::chrono::milliseconds limit)
    : settings(std::move(initial)), takeLimit(limit), gesture(settings.hotkeyMode) {}

std::wstring DictationCycle::idleTip() const { return modelProblem.empty() ? kIdleTip : kModelProblemTip; }

Actions DictationCycle::handle(const Event& event) {
    Actions out;
    if (runEnded) return out;
    std::visit(Overloaded{
                   [&](const HotkeyPressed& e) { onPress(e, out); },
                   [&](const HotkeyReleased& e) { onRelease(e, out); },
                   [&](const TrayToggle& e) { onTrayToggle(e.front, out); },
                   [&](const CancelPressed&) { onCancel(out); },
                   [&](const ClockTick& e) { onClock(e, out); },
                   [&](const StillWorkingTimerFired&) {
                       if (isBusy()) out.push_back(ShowStrip{{OverlayKind::Working, kWorkingText, 0}});
                   },
                   [&](const RecorderStarted& e) { onStarted(e.at, out); },
                   [&](const RecorderFailed& e) { onStartFailed(e.error, out); },
                   [&](const TakeRecorded& e) { onRecorded(e.analysis, out); },
                   [&](const Recognised& e) { onRecognised(e, out); },
                   [&](const cycle::InsertDone& e) { onInsertDone(e, out); },
                   [&](const ClipboardDone& e) { onClipboardDone(e.written, out); },
                   [&](const SessionLocked&) { onLock(out); },
                   [&](const SessionUnlocked&) { onUnlock(out); },
                   [&](const MicrophoneLost& e) { stopTake(TakeStop::MicrophoneLost, e.front, out); },
                   [&](const Sleeping& e) { stopTake(TakeStop::Sleep, e.front, out); },
                   [&](const ModelChecked& e) { onModelChecked(e.error, out); },
                   [&](const ModelReplaced&) { out.push_back(CheckModel{true}); },
                   [&](const SettingsChanged& e) { onSettings(e.settings, out); },
                   [&](const MenuOpened&) {
                       const auto& texts = history.newestFirst();
                       menuTexts.assign(texts.begin(), texts.end());
                   },
                   [&](const HistoryChosen& e) {
                       if (e.index < menuTexts.size()) copy(menuTexts[e.index], ClipboardFor::History, out);
                   },
                   [&](const CopyLastText&) {
                       if (!last.empty()) copy(last, ClipboardFor::LastText, out);
                   },
                   [&](const RunEnded&) { onRunEnded(out); },
                   [&](const TextFromOutside& e) {
                       const Take take{++lastTakeId, e.front, TakeStop::User, false};
                       recognising[take.id] = take;
                       onRecognised(Recognised{take.id, e.result, e.front}, out);
                   },
               },
               event);
    return out;
}

// ---- Starting and stopping -----------------------------------------------------

void DictationCycle::onPress(const HotkeyPressed& event, Actions& out) {
    if (isBusy()) {
        sayStillWorking(out);
        return;
    }
    switch (gesture.press(event.at, isRecording())) {
    case GestureAction::StartTake:
        startTake(out);
        break;
    case GestureAction::StopTake:
        stopTake(TakeStop::User, event.front, out);
        break;
    case GestureAction::None:
        break;
    }
}

void DictationCycle::onRelease(const HotkeyReleased& event, Actions& out) {
    out.push_back(WatchRelease{false});
    if (!isRecording()) return;
    if (gesture.release(event.at) == GestureAction::StopTake) {
        out.push_back(Log{L"tugma qo'yib yuborildi: yozish to'xtatildi"});
        stopTake(TakeStop::User, event.front, out);
    }
}

void DictationCycle::onTrayToggle(WindowRef front, Actions& out) {
    if (isBusy()) {
        sayStillWorking(out);
    } else if (isRecording()) {
        stopTake(TakeStop::User, front, out);
    } else {
        startTake(out);
    }
}

void DictationCycle::sayStillWorking(Actions& out) {
    // The take is being turned into text: said so, and left alone.
    out.push_back(ShowStrip{{OverlayKind::Working, kStillWorkingText, 0}});
    out.push_back(StartStillWorkingTimer{});
}

void DictationCycle::startTake(Actions& out) {
    // Nothing starts on the lock screen (the hotkey does not reach it; this is for certainty).
    if (locked || startingTake != 0 || isRecording()) {
        gesture.takeEnded();
        return;
    }
    startingTake = ++lastTakeId;
    out.push_back(StartRecorder{startingTake});
}

void DictationCycle::onStarted(CycleClock::time_point at, Actions& out) {
    if (startingTake == 0) return;
    recordingTake = std::exchange(startingTake, 0);
    takeStartedAt = at;
    out.push_back(KeepAwake{true});
    // Only now does the cue tell the truth: the microphone is recording.
    play(Cue::Start, out);
    updateCancelKey(out);
    out.push_back(TakeClock{true});
    if (gesture.awaitingRelease()) out.push_back(WatchRelease{true});
    const std::wstring label = settings.hotkeyLabel();
    out.push_back(TrayTip{recordingTip(label)});
    out.push_back(ShowStrip{{OverlayKind::Recording, recordingOverlayText(label), 0}});
    out.push_back(Log{L"yozish boshlandi"});
}

void DictationCycle::onStartFailed(const std::wstring& error, Actions& out) {
    if (startingTake == 0) return;
    startingTake = 0;
    gesture.takeEnded();
    play(Cue::Error, out);
    out.push_back(Tell{startFailureNotices(error)});
}

void DictationCycle::onClock(const ClockTick& event, Actions& out) {
    if (!isRecording()) return;
    // The take so far to the live take: a long one is recognised in parts meanwhile.
    out.push_back(FeedTake{});
    const std::chrono::duration<double> left = takeLimit - (event.at - takeStartedAt);
    if (left.count() <= 0) {
        out.push_back(Log{L"yozuv eng uzun chegaraga yetdi: to'xtatildi"});
        stopTake(TakeStop::Limit, event.front, out);
        return;
    }
    if (left.count() <= kTakeEndingWarningSeconds) {
        const int seconds = static_cast<int>(std::ceil(left.count()));
        out.push_back(ShowStrip{{OverlayKind::Recording, takeEndingOverlayText(settings.hotkeyLabel(), seconds), 0}});
    }
}

void DictationCycle::stopTake(TakeStop why, WindowRef front, Actions& out) {
    if (!isRecording()) return;
    // A locked session's text never goes to a window, whichever is in front.
    stopping = Take{std::exchange(recordingTake, 0), why == TakeStop::Lock ? WindowRef{0} : front, why, false};
    gesture = HotkeyGesture(settings.hotkeyMode);  // a mode saved during the take counts from now
    out.push_back(KeepAwake{false});
    out.push_back(TakeClock{false});
    out.push_back(WatchRelease{false});
    out.push_back(StopRecorder{});
}

void DictationCycle::onRecorded(const TakeAnalysis& analysis, Actions& out) {
    if (!stopping) return;
    const Take take = *std::exchange(stopping, std::nullopt);
    out.push_back(Log{takeLogLine(analysis)});
    const bool ok = analysis.verdict == TakeVerdict::Ok;
    if (ok) {
        recognising[take.id] = take;
        awaited = take.id;
        out.push_back(FinishTake{take.id});
        updateCancelKey(out);
        out.push_back(TrayTip{kWorkingText});
        out.push_back(ShowStrip{{OverlayKind::Working, kWorkingText, 0}});
    } else {
        out.push_back(DiscardTake{});
        backToIdle(out);
    }
    if (endedByTheUser(take.stop)) {
        play(ok ? Cue::Stop : Cue::Error, out);
        if (!ok) out.push_back(Tell{takeNotices(analysis)});
    } else {
        if (take.stop == TakeStop::MicrophoneLost) play(Cue::Error, out);
        // Asleep or locked, nobody sees the strip; it must not stay behind.
        if (!ok && take.stop != TakeStop::MicrophoneLost) out.push_back(HideStrip{});
        out.push_back(Tell{interruptedTakeNotices(interruptionOf(take.stop), analysis.verdict)});
    }
    if (!ok) ended(take, TakeEnding::NothingRecognised, out);
}

void DictationCycle::onCancel(Actions& out) {
    if (isRecording()) {
        const Take take{std::exchange(recordingTake, 0), 0, TakeStop::User, true};
        gesture = HotkeyGesture(settings.hotkeyMode);
        out.push_back(KeepAwake{false});
        out.push_back(TakeClock{false});
        out.push_back(WatchRelease{false});
        out.push_back(DiscardTake{});
        play(Cue::Stop, out);
        out.push_back(Tell{cancelledNotices(false)});
        backToIdle(out);
        ended(take, TakeEnding::Cancelled, out);
    } else if (isBusy()) {
        // The recognition runs on; its text, when it comes, only joins the history.
        Take& take = recognising[std::exchange(awaited, 0)];
        take.cancelled = true;
        out.push_back(Tell{cancelledNotices(true)});
        backToIdle(out);
        ended(take, TakeEnding::Cancelled, out);
    }
}

// ---- Texts ------------------------------------------------------------------------

void DictationCycle::onRecognised(const Recognised& event, Actions& out) {
    const auto found = recognising.find(event.take);
    if (found == recognising.end()) return;  // a take the run has already ended
    const Take take = found->second;
    recognising.erase(found);
    const TranscribeResult& result = event.result;
    const std::wstring text = deliveredText(result.text, settings);
    if (take.cancelled) {
        if (!text.empty() && keepInHistory(text)) out.push_back(Log{L"bekor qilingan yozuv matni tarixga qo'shildi"});
        return;
    }
    if (take.id == awaited) awaited = 0;
    if (result.error.empty() || !text.empty()) modelProblem.clear();  // it recognised: the model works
    backToIdle(out);
    if (text.empty()) {
        // An error, or no words: nothing to deliver, and the user is told which.
        play(Cue::Error, out);
        tellAboutText(resultNotices({L"", result.error, result.seconds}), out);
        ended(take, TakeEnding::NothingRecognised, out);
        return;
    }
    out.push_back(Log{resultLogLine(text.size(), result.seconds)});
    if (!result.error.empty()) out.push_back(Log{restFailedLogLine(result.error)});
    last = text;
    keepInHistory(text);
    Delivery delivery{take, text, result.error, Delivery::Why::NoWindow, {}};
    if (locked || take.stop == TakeStop::Lock) {
        // Nothing is typed into the lock screen, nor into a session the user left locked.
        delivery.why = Delivery::Why::Locked;
    } else if (take.target == 0) {
        // Keystrokes now would land in Vornika's own window (or nowhere).
        delivery.why = Delivery::Why::NoWindow;
    } else if (event.front != take.target) {
        delivery.why = Delivery::Why::WindowChanged;
    } else {
        out.push_back(Insert{take.id, take.target, text, settings.insertMode});
        delivering = std::move(delivery);
        return;
    }
    putOnClipboard(std::move(delivery), out);
}

void DictationCycle::onInsertDone(const cycle::InsertDone& event, Actions& out) {
    if (!delivering) return;
    Delivery delivery = *std::exchange(delivering, std::nullopt);
    if (event.inserted) {
        if (delivery.restFailed.empty()) {
            out.push_back(HideStrip{});
        } else {
            play(Cue::Error, out);
            out.push_back(Tell{withRestFailed({}, delivery.restFailed)});
        }
        ended(delivery.take, TakeEnding::Inserted, out);
        return;
    }
    // Whatever failed, the text goes to the clipboard (again) before the user is told it is there.
    delivery.why = Delivery::Why::InsertFailed;
    delivery.failure = event;
    putOnClipboard(std::move(delivery), out);
}

void DictationCycle::putOnClipboard(Delivery delivery, Actions& out) {
    out.push_back(PutOnClipboard{delivery.text, false});
    delivering = std::move(delivery);
}

void DictationCycle::copy(const std::wstring& text, ClipboardFor what, Actions& out) {
    if (delivering || copying) return;
    copying = what;
    out.push_back(PutOnClipboard{text, true});
}

void DictationCycle::onClipboardDone(bool written, Actions& out) {
    if (copying) {
        const ClipboardFor what = *std::exchange(copying, std::nullopt);
        if (what == ClipboardFor::LastText) {
            out.push_back(Log{written ? L"oxirgi matn clipboard'ga nusxalandi"
                                      : L"XATO: oxirgi matn nusxalanmadi (clipboard band)"});
        } else {
            out.push_back(Log{written ? L"tarixdagi matn clipboard'ga nusxalandi"
                                      : L"XATO: tarixdagi matn nusxalanmadi (clipboard band)"});
        }
        return;
    }
    if (!delivering) return;
    const Delivery delivery = *std::exchange(delivering, std::nullopt);
    Notices notices;
    switch (delivery.why) {
    case Delivery::Why::Locked: notices = lockedResultNotices(written); break;
    case Delivery::Why::NoWindow: notices = clipboardOnlyNotices(written); break;
    case Delivery::Why::WindowChanged: notices = windowChangedNotices(written); break;
    case Delivery::Why::InsertFailed:
        play(Cue::Error, out);
        notices = insertFailureNotices(delivery.failure.reason, delivery.failure.foregroundElevated, written);
        break;
    }
    if (!delivery.restFailed.empty()) notices = withRestFailed(std::move(notices), delivery.restFailed);
    tellAboutText(std::move(notices), out);
    ended(delivery.take, TakeEnding::OnClipboard, out);
}

void DictationCycle::tellAboutText(Notices notices, Actions& out) {
    if (!locked) {
        if (!notices.overlay) out.push_back(HideStrip{});  // the working strip must not stay
        out.push_back(Tell{std::move(notices)});
        return;
    }
    // The strip cannot be seen on the lock screen and must not wait there; the
    // user is told after the unlock, by the balloon where there is one.
    out.push_back(HideStrip{});
    if (!notices.logLine.empty()) out.push_back(Log{notices.logLine});
    notices.logLine.clear();
    if (notices.balloon) notices.overlay.reset();
    if (notices.balloon || notices.overlay) afterUnlock.push_back(std::move(notices));
}

// ---- The session, the model, the settings --------------------------------------

void DictationCycle::onLock(Actions& out) {
    locked = true;
    stopTake(TakeStop::Lock, 0, out);
}

void DictationCycle::onUnlock(Actions& out) {
    locked = false;
    for (Notices& notices : afterUnlock) out.push_back(Tell{std::move(notices)});
    afterUnlock.clear();
}

void DictationCycle::onModelChecked(const std::wstring& error, Actions& out) {
    modelProblem = error;
    if (!modelProblem.empty()) out.push_back(Tell{modelProblemNotices(modelProblem)});
    if (!isRecording() && !isBusy()) out.push_back(TrayTip{idleTip()});
}

void DictationCycle::onSettings(const Settings& saved, Actions& out) {
    settings = saved;
    // A take held now ends as it began; the new mode counts from the next press.
    if (!isRecording()) gesture = HotkeyGesture(settings.hotkeyMode);
    if (!settings.history) history.clear();
    updateCancelKey(out);
}

void DictationCycle::onRunEnded(Actions& out) {
    // Quitting throws away what is still open, as a cancel would: it never
    // waits for a take or its recognition.
    if (isRecording()) {
        out.push_back(KeepAwake{false});
        out.push_back(TakeClock{false});
        out.push_back(WatchRelease{false});
        out.push_back(DiscardTake{});
        ended(Take{std::exchange(recordingTake, 0)}, TakeEnding::Cancelled, out);
    }
    if (isBusy()) ended(recognising[std::exchange(awaited, 0)], TakeEnding::Cancelled, out);
    recognising.clear();
    runEnded = true;
    updateCancelKey(out);
    out.push_back(HideStrip{});
}

// ---- Helpers ----------------------------------------------------------------------

void DictationCycle::ended(const Take& take, TakeEnding ending, Actions& out) { out.push_back(TakeEnded{take.id, ending}); }

void DictationCycle::backToIdle(Actions& out) {
    updateCancelKey(out);
    out.push_back(TrayTip{idleTip()});
}

void DictationCycle::updateCancelKey(Actions& out) {
    const bool wanted = settings.cancelKey && (isRecording() || isBusy()) && !runEnded;
    if (wanted == cancelKeyOn) return;
    cancelKeyOn = wanted;
    out.push_back(CancelKey{wanted});
}

void DictationCycle::play(Cue cue, Actions& out) const {
    if (settings.sounds) out.push_back(PlayCue{cue});
}

bool DictationCycle::keepInHistory(const std::wstring& text) {
    if (!settings.history || text.empty()) return false;
    history.add(text);
    return true;
}
