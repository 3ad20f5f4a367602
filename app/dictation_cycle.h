#pragma once
// The dictation cycle (hotkey -> take -> recognition -> delivery) as one pure
// state machine: the program reports what happened as events, and carries
// out the actions each event gives back, in their order. Nothing here waits,
// touches a window or knows a thread; the program's adapter does that, and
// answers the actions that have an outcome (starting and stopping the
// recorder, inserting, the clipboard) with the outcome's event before it
// reports anything else. At most one such action ends each list.
//
// The guarantee. Every take (a recording that started) ends in exactly one
// of these, reported once as TakeEnded:
//   Inserted          its text went into the window the user dictated into
//                     (the one in front when the take was stopped), and that
//                     window was still in front when the text was ready;
//   OnClipboard       its text is on the clipboard (or, when the clipboard
//                     stayed busy, only in the tray menu) and is the tray's
//                     last text, and the user was told so: at once, or after
//                     the unlock when the session is locked;
//   Cancelled         the user threw it away (Esc, or quitting); a text that
//                     still comes joins the history when the history is on;
//   NothingRecognised no text: a silent or too short take, no words, or an
//                     error, each told as what it is.
// A take whose later parts failed delivers the text recognised before the
// failure, and says the rest failed. Nothing is ever typed while the session
// is locked. The strip never stays on a state the cycle has left: a strip
// without a timeout says "recording" only while a take records, "working"
// only while the user waits for a text, and is hidden or replaced otherwise.
//
// Threads: none of its own; the program calls it on its GUI thread.

#include <chrono>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "app/cue_sounds.h"
#include "app/cycle_texts.h"
#include "app/hotkey_gesture.h"
#include "app/text_history.h"
#include "audio/sample_convert.h"
#include "engine/transcription_service.h"
#include "settings/settings.h"

// A window of the user's, as the program names it (a window handle); 0: none
// that can take text (no foreground window, or one of the program's own).
using WindowRef = std::uintptr_t;
using CycleClock = std::chrono::steady_clock;

enum class TakeEnding { Inserted, OnClipboard, Cancelled, NothingRecognised };

namespace cycle {

// ---- Events ----------------------------------------------------------------
// front: the window in front when it happened (the tray menu: the window the
// user was writing in before the click).
struct HotkeyPressed { CycleClock::time_point at; WindowRef front = 0; };
struct HotkeyReleased { CycleClock::time_point at; WindowRef front = 0; };  // while WatchRelease is on
struct TrayToggle { WindowRef front = 0; };
struct CancelPressed {};
struct ClockTick { CycleClock::time_point at; WindowRef front = 0; };  // each second of TakeClock
struct StillWorkingTimerFired {};
struct RecorderStarted { CycleClock::time_point at; };
struct RecorderFailed { std::wstring error; };
struct TakeRecorded { TakeAnalysis analysis; };  // the whole take, after StopRecorder
// A take's text (or failure) has come: the text is as recognised, error and
// text may both be set (the rest failed after parts were recognised).
struct Recognised { std::uint64_t take = 0; TranscribeResult result; WindowRef front = 0; };
struct InsertDone { bool inserted = false; std::wstring reason; bool foregroundElevated = false; };
struct ClipboardDone { bool written = false; };
struct SessionLocked {};
struct SessionUnlocked {};
struct MicrophoneLost { WindowRef front = 0; };
struct Sleeping { WindowRef front = 0; };
struct ModelChecked { std::wstring error; };  // "" when it loaded
struct ModelReplaced {};
struct SettingsChanged { Settings settings; };
struct MenuOpened {};              // the tray menu is built from menuHistory() now
struct HistoryChosen { std::size_t index = 0; };  // of menuHistory()
struct CopyLastText {};
struct RunEnded {};
// A text from outside any take (the program's stories hand texts to the
// delivery this way): delivered as the text of a take stopped in front.
struct TextFromOutside { TranscribeResult result; WindowRef front = 0; };

using Event = std::variant<HotkeyPressed, HotkeyReleased, TrayToggle, CancelPressed, ClockTick, StillWorkingTimerFired,
                           RecorderStarted, RecorderFailed, TakeRecorded, Recognised, InsertDone, ClipboardDone,
                           SessionLocked, SessionUnlocked, MicrophoneLost, Sleeping, ModelChecked, ModelReplaced,
                           SettingsChanged, MenuOpened, HistoryChosen, CopyLastText, RunEnded, TextFromOutside>;

// ---- Actions ---------------------------------------------------------------
struct StartRecorder {  // answered by RecorderStarted or RecorderFailed
    std::uint64_t take = 0;
    bool operator==(const StartRecorder&) const = default;
};
struct FeedTake { bool operator==(const FeedTake&) const = default; };  // the samples so far to the live take
struct StopRecorder { bool operator==(const StopRecorder&) const = default; };  // answered by TakeRecorded
// The recorder stopped (when it records) and the take's samples and parts thrown away.
struct DiscardTake { bool operator==(const DiscardTake&) const = default; };
struct FinishTake {  // the rest to recognition; its text comes as Recognised
    std::uint64_t take = 0;
    bool operator==(const FinishTake&) const = default;
};
struct Insert {  // answered by InsertDone
    std::uint64_t take = 0;
    WindowRef window = 0;
    std::wstring text;
    InsertMode mode = InsertMode::Paste;
    bool operator==(const Insert&) const = default;
};
struct PutOnClipboard {  // answered by ClipboardDone
    std::wstring text;
    bool userCopy = false;  // a copy from the tray menu: no earlier text is put back
    bool operator==(const PutOnClipboard&) const = default;
};
struct Tell { Notices notices; bool operator==(const Tell&) const = default; };
struct ShowStrip { OverlayNotice strip; bool operator==(const ShowStrip&) const = default; };
struct HideStrip { bool operator==(const HideStrip&) const = default; };
struct TrayTip { std::wstring text; bool operator==(const TrayTip&) const = default; };
struct PlayCue { Cue cue; bool operator==(const PlayCue&) const = default; };
// The system and the display kept awake (a take makes no input Windows would count).
struct KeepAwake { bool on = false; bool operator==(const KeepAwake&) const = default; };
struct CancelKey { bool on = false; bool operator==(const CancelKey&) const = default; };     // Esc as a hotkey
struct WatchRelease { bool on = false; bool operator==(const WatchRelease&) const = default; };  // poll the held key
struct TakeClock { bool on = false; bool operator==(const TakeClock&) const = default; };      // ClockTick each second
struct StartStillWorkingTimer { bool operator==(const StartStillWorkingTimer&) const = default; };
struct CheckModel { bool replaced = false; bool operator==(const CheckModel&) const = default; };
struct Log { std::wstring line; bool operator==(const Log&) const = default; };
struct TakeEnded {
    std::uint64_t take = 0;
    TakeEnding ending = TakeEnding::NothingRecognised;
    bool operator==(const TakeEnded&) const = default;
};

using Action = std::variant<StartRecorder, FeedTake, StopRecorder, DiscardTake, FinishTake, Insert, PutOnClipboard,
                            Tell, ShowStrip, HideStrip, TrayTip, PlayCue, KeepAwake, CancelKey, WatchRelease, TakeClock,
                            StartStillWorkingTimer, CheckModel, Log, TakeEnded>;
using Actions = std::vector<Action>;

// Visits an event or an action with one lambda per alternative.
template <class... Handlers>
struct Overloaded : Handlers... {
    using Handlers::operator()...;
};

}  // namespace cycle

// Who ended a take.
enum class TakeStop { User, Limit, MicrophoneLost, Sleep, Lock };

class DictationCycle {
public:
    // takeLimit: a take ends by itself after this long and is recognised.
    DictationCycle(Settings settings, std::chrono::milliseconds takeLimit);

    cycle::Actions handle(const cycle::Event& event);

    bool isRecording() const { return recordingTake != 0; }
    // A take's text is awaited (the hotkey says "still working").
    bool isBusy() const { return awaited != 0; }
    bool isLocked() const { return locked; }
    const Settings& currentSettings() const { return settings; }
    const std::wstring& lastText() const { return last; }
    const TextHistory& textHistory() const { return history; }
    // The history as the tray menu open now shows it (MenuOpened).
    const std::vector<std::wstring>& menuHistory() const { return menuTexts; }
    // The tray tip between takes: it says when the model is known not to load.
    std::wstring idleTip() const;

private:
    struct Take {
        std::uint64_t id = 0;
        WindowRef target = 0;  // in front when the take was stopped
        TakeStop stop = TakeStop::User;
        bool cancelled = false;  // its text joins the history only
    };
    enum class ClipboardFor { Delivery, LastText, History };
    // A text on its way to the user, between an outcome's action and its event.
    struct Delivery {
        Take take;
        std::wstring text;
        std::wstring restFailed;  // the error after the parts recognised before it
        enum class Why { WindowChanged, NoWindow, Locked, InsertFailed } why = Why::NoWindow;
        cycle::InsertDone failure;  // with InsertFailed
    };

    void onPress(const cycle::HotkeyPressed& event, cycle::Actions& out);
    void onRelease(const cycle::HotkeyReleased& event, cycle::Actions& out);
    void onTrayToggle(WindowRef front, cycle::Actions& out);
    void onCancel(cycle::Actions& out);
    void onClock(const cycle::ClockTick& event, cycle::Actions& out);
    void onStarted(CycleClock::time_point at, cycle::Actions& out);
    void onStartFailed(const std::wstring& error, cycle::Actions& out);
    void onRecorded(const TakeAnalysis& analysis, cycle::Actions& out);
    void onRecognised(const cycle::Recognised& event, cycle::Actions& out);
    void onInsertDone(const cycle::InsertDone& event, cycle::Actions& out);
    void onClipboardDone(bool written, cycle::Actions& out);
    void onLock(cycle::Actions& out);
    void onUnlock(cycle::Actions& out);
    void onModelChecked(const std::wstring& error, cycle::Actions& out);
    void onSettings(const Settings& saved, cycle::Actions& out);
    void onRunEnded(cycle::Actions& out);

    void startTake(cycle::Actions& out);
    void stopTake(TakeStop why, WindowRef front, cycle::Actions& out);
    void sayStillWorking(cycle::Actions& out);
    void putOnClipboard(Delivery delivery, cycle::Actions& out);
    void copy(const std::wstring& text, ClipboardFor what, cycle::Actions& out);
    // What the user is told about a delivered text: now, or after the unlock.
    void tellAboutText(Notices notices, cycle::Actions& out);
    void ended(const Take& take, TakeEnding ending, cycle::Actions& out);
    void backToIdle(cycle::Actions& out);
    void updateCancelKey(cycle::Actions& out);
    void play(Cue cue, cycle::Actions& out) const;
    bool keepInHistory(const std::wstring& text);

    Settings settings;
    const std::chrono::milliseconds takeLimit;
    HotkeyGesture gesture;
    bool locked = false;
    bool runEnded = false;
    bool cancelKeyOn = false;

    std::uint64_t lastTakeId = 0;
    std::uint64_t startingTake = 0;   // StartRecorder asked, its outcome not yet in
    std::uint64_t recordingTake = 0;  // the take recording now; 0: none
    CycleClock::time_point takeStartedAt{};
    std::optional<Take> stopping;     // StopRecorder asked, TakeRecorded not yet in
    // Takes gone to recognition whose text has not come, cancelled ones included.
    std::map<std::uint64_t, Take> recognising;
    std::uint64_t awaited = 0;        // the one whose text the user waits for; 0: none

    std::optional<Delivery> delivering;        // Insert or PutOnClipboard asked
    std::optional<ClipboardFor> copying;       // a copy from the tray menu asked
    std::vector<Notices> afterUnlock;          // told once the session is unlocked

    std::wstring modelProblem;  // why the model did not load; empty once a recognition succeeds
    std::wstring last;          // the last delivered text, always copyable from the tray menu
    TextHistory history;
    std::vector<std::wstring> menuTexts;
};
