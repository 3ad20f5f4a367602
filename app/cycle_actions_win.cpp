// The dictation cycle's actions carried out with Win32: the recorder and the
// live take, the insertion and the clipboard, the strip, the tray, the cues,
// the timers, Esc and the wake request.

#include "app/app.h"

#include <algorithm>
#include <utility>

#include "diag/encoding.h"
#include "diag/log.h"
#include "insert/clipboard_win.h"
#include "insert/insert_text.h"
#include "text/vocabulary.h"

void App::run(cycle::Event event) {
    events.push_back(std::move(event));
    if (running) return;
    running = true;
    while (!events.empty()) {
        const cycle::Event next = std::move(events.front());
        events.pop_front();
        std::optional<cycle::Event> outcome;
        for (const cycle::Action& action : cycle.handle(next)) {
            if (std::optional<cycle::Event> answer = carryOut(action)) outcome = std::move(answer);
        }
        // An outcome answers its action before anything else reaches the cycle.
        if (outcome) events.push_front(std::move(*outcome));
    }
    running = false;
}

std::optional<cycle::Event> App::carryOut(const cycle::Action& action) {
    using namespace cycle;
    using Outcome = std::optional<Event>;
    const auto timer = [this](UINT_PTR id, bool on, UINT milliseconds) {
        if (on) SetTimer(handle(), id, milliseconds, nullptr);
        else KillTimer(handle(), id);
    };
    return std::visit(
        cycle::Overloaded{
            [&](const StartRecorder& a) -> Outcome { return startRecorder(a.take); },
            [&](const FeedTake&) -> Outcome {
                feedLiveTake(recorder.takeCaptured());
                return {};
            },
            [&](const StopRecorder&) -> Outcome { return stopRecorder(); },
            [&](const DiscardTake&) -> Outcome {
                if (std::exchange(recorderRunning, false)) recorder.stop();  // the samples are thrown away
                dropLiveTake();
                return {};
            },
            [&](const FinishTake& a) -> Outcome {
                const std::uint64_t take = a.take;
                if (liveTake) {
                    liveTake->finish([this, take, handOver = handOver](TranscribeResult result) {
                        handOver->post([this, take, result = std::move(result)] {
                            run(Recognised{take, result, front()});
                        });
                    });
                }
                liveTake.reset();
                return {};
            },
            [&](const Insert& a) -> Outcome { return insert(a); },
            [&](const PutOnClipboard& a) -> Outcome {
                // A copy the user asked for: the earlier text a paste would still put back stays away.
                if (a.userCopy) dropPendingClipboardRestores();
                return ClipboardDone{writeClipboardText(handle(), a.text)};
            },
            [&](const Tell& a) -> Outcome {
                tell(a.notices);
                return {};
            },
            [&](const ShowStrip& a) -> Outcome {
                overlay.show(a.strip.kind, a.strip.text, a.strip.timeoutMilliseconds);
                return {};
            },
            [&](const HideStrip&) -> Outcome {
                overlay.hide();
                return {};
            },
            [&](const TrayTip& a) -> Outcome {
                setTrayTip(a.text);
                return {};
            },
            [&](const PlayCue& a) -> Outcome {
                if (a.cue == Cue::Start) startCueAt = counterNow100ns();
                if (surroundings.playCue) surroundings.playCue(a.cue);
                return {};
            },
            [&](const KeepAwake& a) -> Outcome {
                keepAwake(a.on);
                return {};
            },
            [&](const CancelKey& a) -> Outcome {
                setCancelKey(a.on && !runEnded);
                return {};
            },
            [&](const WatchRelease& a) -> Outcome {
                // The key may already be up again (a tap): the first poll finds it.
                timer(kKeyReleaseTimer, a.on, kKeyReleasePollMilliseconds);
                return {};
            },
            [&](const TakeClock& a) -> Outcome {
                timer(kTakeClockTimer, a.on, 1000);
                return {};
            },
            [&](const StartStillWorkingTimer&) -> Outcome {
                timer(kStillWorkingTimer, true, kStillWorkingMilliseconds);
                return {};
            },
            [&](const CheckModel& a) -> Outcome {
                checkModel(a.replaced);
                return {};
            },
            [&](const Log& a) -> Outcome {
                logLine(a.line);
                return {};
            },
            [&](const TakeEnded&) -> Outcome { return {}; },
        },
        action);
}

std::optional<cycle::Event> App::startRecorder(std::uint64_t takeId) {
    const Settings& settings = currentSettings();
    std::wstring errorText;
    startCueAt = 0;
    if (!recorder.start(settings.deviceId, errorText)) return cycle::RecorderFailed{errorText};
    recorderRunning = true;
    liveTake = std::make_unique<LiveTake>(
        service, LiveTakeOptions{static_cast<double>(settings.liveAfterSeconds),
                                 vocabularyPrompt(toUtf8(settings.vocabulary)), takeId});
    cueMeasured = false;
    cueSamplesLeft = 0;
    return cycle::RecorderStarted{CycleClock::now()};
}

cycle::Event App::stopRecorder() {
    std::vector<float> rest = recorder.stop();
    recorderRunning = false;
    const std::int64_t firstFrame = recorder.firstFrameTime();
    if (firstFrame != 0) logLine(audioStartLogLine(static_cast<double>(firstFrame - takeAskedAt) / 10'000.0));
    feedLiveTake(std::move(rest));
    return cycle::TakeRecorded{liveTake ? liveTake->analysis() : analyzeTake({})};
}

std::optional<cycle::Event> App::insert(const cycle::Insert& insert) {
    const InsertOutcome outcome = insertText({insert.text, L"", 0}, insert.mode, handle());
    return cycle::InsertDone{outcome.inserted, outcome.message, !outcome.inserted && isForegroundElevated()};
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

void App::setCancelKey(bool wanted) {
    if (wanted == cancelRegistered) return;
    if (!wanted) {
        UnregisterHotKey(handle(), CANCEL_HOTKEY_ID);
        cancelRegistered = false;
        return;
    }
    cancelRegistered = RegisterHotKey(handle(), CANCEL_HOTKEY_ID, MOD_NOREPEAT, VK_ESCAPE) != FALSE;
    if (!cancelRegistered) logLine(L"Esc tugmasi band: bekor qilish ishlamaydi (" + std::to_wstring(GetLastError()) + L")");
}

void App::keepAwake(bool on) {
    if (on == awake) return;
    awake = on;
    // A take makes no keyboard or mouse input, so Windows would count the
    // user away and lock or sleep mid-sentence. ES_CONTINUOUS keeps the
    // request for this thread until it is cleared with ES_CONTINUOUS alone.
    const EXECUTION_STATE wanted = on ? ES_CONTINUOUS | ES_SYSTEM_REQUIRED | ES_DISPLAY_REQUIRED : ES_CONTINUOUS;
    if (SetThreadExecutionState(wanted) == 0) logLine(L"XATO: Windows'dan uyg'oq turish so'ralmadi");
}

WindowRef App::userWindow(HWND window) {
    DWORD process = 0;
    if (window == nullptr || GetWindowThreadProcessId(window, &process) == 0) return 0;
    return process == GetCurrentProcessId() ? 0 : reinterpret_cast<WindowRef>(window);
}

WindowRef App::front() const { return userWindow(GetForegroundWindow()); }

void App::deliverResult(const TranscribeResult& result) { run(cycle::TextFromOutside{result, front()}); }

void App::tell(const Notices& notices) {
    if (!notices.logLine.empty()) logLine(notices.logLine);
    if (notices.overlay) overlay.show(notices.overlay->kind, notices.overlay->text, notices.overlay->timeoutMilliseconds);
    if (notices.balloon) {
        showBalloon(notices.balloon->title, notices.balloon->text, static_cast<DWORD>(notices.balloon->icon));
    }
}
