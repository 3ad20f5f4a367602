// The dictation cycle as the program drives it: stories of events and the
// actions they give, and thousands of random event orders (results late, out
// of order, after a cancel, a lock, a replaced model or the end of the run)
// with the cycle's guarantee checked after every step.

#include "app/dictation_cycle.h"

#include <algorithm>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "diag/encoding.h"

namespace {

using namespace cycle;
using namespace std::chrono_literals;

constexpr WindowRef kEditor = 7, kChat = 9;

std::string words(const std::wstring& text) { return toUtf8(text); }

// An action as the stories name it.
std::string describe(const Action& action) {
    // In the order of the variant's alternatives; empty: named from its fields below.
    static const char* const plain[] = {"start", "feed", "stop", "discard", "recognise", "", "", "", "", "strip hidden",
                                        "tip", "cue", "", "esc", "watch", "clock", "timer", "check model", "log", ""};
    if (*plain[action.index()] != '\0') return plain[action.index()];
    if (const auto* a = std::get_if<Insert>(&action)) return "insert into " + std::to_string(a->window) + ": " + words(a->text);
    if (const auto* a = std::get_if<PutOnClipboard>(&action)) return (a->userCopy ? "copy: " : "clipboard: ") + words(a->text);
    if (const auto* a = std::get_if<ShowStrip>(&action)) return "strip: " + words(a->strip.text);
    if (const auto* a = std::get_if<KeepAwake>(&action)) return a->on ? "awake on" : "awake off";
    if (const auto* a = std::get_if<TakeEnded>(&action)) {
        static const char* const endings[] = {"inserted", "on clipboard", "cancelled", "nothing"};
        return std::string("ended ") + endings[static_cast<int>(a->ending)];
    }
    const Notices& n = std::get<Tell>(action).notices;
    return "tell: " + words(n.balloon ? n.balloon->title : n.overlay ? n.overlay->text : n.logLine);
}

// The program around the cycle, as its adapter is: each outcome answered at
// once, before anything else reaches the cycle; and what the user would see,
// followed so the guarantee can be checked after every step.
struct World {
    explicit World(Settings settings = {}) : cycle(std::move(settings), 10min) {}

    // How the world answers the actions with outcomes.
    bool recorderStarts = true, inserts = true, clipboardWrites = true;
    TakeAnalysis analysis{TakeVerdict::Ok, 0.5f, 3.0f, 2.0f};

    DictationCycle cycle;
    CycleClock::time_point now{};
    bool describing = true;               // off: faster, for thousands of runs
    std::vector<std::string> seen;        // every action so far, as words
    std::vector<std::uint64_t> finished;  // takes gone to recognition whose text was not given yet
    std::string failure;                  // the first broken promise

    void press(WindowRef front) { step(HotkeyPressed{now, front}, front); }
    void tray(WindowRef front) { step(TrayToggle{front}, front); }
    void result(const std::wstring& text, const std::wstring& error, WindowRef front, std::size_t which = SIZE_MAX) {
        if (finished.empty()) return;
        which = std::min(which, finished.size() - 1);
        const std::uint64_t take = finished[which];
        finished.erase(finished.begin() + static_cast<std::ptrdiff_t>(which));
        step(Recognised{take, {text, error, 1.0}, front}, front);
    }
    void step(const Event& event, WindowRef front = 0) {
        stepFront = front;
        stepTells = false;
        const bool ending = std::holds_alternative<CancelPressed>(event) || std::holds_alternative<RunEnded>(event);
        std::vector<Event> queue{event};
        while (!queue.empty()) {
            const Event next = queue.front();
            queue.erase(queue.begin());
            for (const Action& action : cycle.handle(next)) {
                if (describing) seen.push_back(describe(action));
                if (std::optional<Event> outcome = answer(action, ending)) queue.insert(queue.begin(), *outcome);
            }
        }
        if (std::holds_alternative<SessionUnlocked>(event) && std::exchange(owedAtUnlock, false)) {
            check(stepTells, "what waited for the unlock was not told");
        }
        check(cycle.isRecording() == awake, "the system is kept awake exactly while a take records");
        if (strip && strip->timeoutMilliseconds == 0) {
            check(strip->kind != OverlayKind::Recording || cycle.isRecording(), "a recording strip after the take");
            check(strip->kind != OverlayKind::Working || cycle.isBusy(), "a working strip with no text awaited");
        }
    }

    std::map<std::uint64_t, int> endings;  // each take that started: how many times it ended

private:
    std::optional<Event> answer(const Action& action, bool userEnded) {
        if (const auto* a = std::get_if<StartRecorder>(&action)) {
            check(!recording, "the recorder started twice");
            if (!recorderStarts) return RecorderFailed{L"mikrofon yo'q"};
            recording = true;
            take = a->take;
            endings[take];
            return RecorderStarted{now};
        }
        if (std::holds_alternative<StopRecorder>(action)) {
            check(recording, "a recorder stopped that did not record");
            recording = false;
            targets[take] = cycle.isLocked() ? 0 : stepFront;
            return TakeRecorded{analysis};
        }
        if (std::holds_alternative<DiscardTake>(action)) recording = false;
        if (const auto* a = std::get_if<FinishTake>(&action)) finished.push_back(a->take);
        if (const auto* a = std::get_if<Insert>(&action)) {
            check(!cycle.isLocked(), "typed into the lock screen");
            check(a->window != 0 && a->window == targets[a->take] && a->window == stepFront,
                  "typed into a window the user did not dictate into");
            inserted = inserts;
            return InsertDone{inserts, L"Matn kiritilmadi", false};
        }
        if (const auto* a = std::get_if<PutOnClipboard>(&action)) {
            if (!a->userCopy) onClipboard = a->text;
            return ClipboardDone{clipboardWrites};
        }
        if (const auto* a = std::get_if<Tell>(&action)) stepTells = stepTells || a->notices != Notices{};
        if (const auto* a = std::get_if<Tell>(&action); a && a->notices.overlay) strip = a->notices.overlay;
        if (const auto* a = std::get_if<ShowStrip>(&action)) strip = a->strip;
        if (std::holds_alternative<HideStrip>(action)) strip.reset();
        if (const auto* a = std::get_if<KeepAwake>(&action)) awake = a->on;
        if (const auto* a = std::get_if<TakeEnded>(&action)) {
            check(++endings[a->take] == 1, "a take ended twice");
            owedAtUnlock = owedAtUnlock || (cycle.isLocked() && !stepTells);
            switch (a->ending) {
            case TakeEnding::Inserted:
                check(inserted, "counted as inserted without an insertion");
                break;
            case TakeEnding::OnClipboard:
                check(onClipboard == cycle.lastText() && !onClipboard.empty(), "not on the clipboard as the last text");
                check(stepTells || cycle.isLocked(), "the clipboard's text not told");
                break;
            case TakeEnding::Cancelled:
                check(userEnded, "cancelled without the user");
                break;
            case TakeEnding::NothingRecognised:
                check(stepTells || cycle.isLocked(), "nothing recognised, and nothing told");
                break;
            }
        }
        return std::nullopt;
    }
    void check(bool promise, const char* broken) {
        if (!promise && failure.empty()) failure = broken;
    }

    bool recording = false, awake = false, inserted = false, stepTells = false;
    bool owedAtUnlock = false;  // a take ended while locked, its notice kept for the unlock
    std::uint64_t take = 0;
    WindowRef stepFront = 0;
    std::wstring onClipboard;
    std::optional<OverlayNotice> strip;
    std::map<std::uint64_t, WindowRef> targets;  // each take's window at its stop
};

bool inOrder(const std::vector<std::string>& seen, const std::vector<std::string>& expected) {
    auto at = seen.begin();
    for (const std::string& want : expected) {
        at = std::find(at, seen.end(), want);
        if (at == seen.end()) return false;
        ++at;
    }
    return true;
}

std::string joined(const std::vector<std::string>& seen) {
    std::string all;
    for (const std::string& s : seen) all += s + " | ";
    return all;
}

}  // namespace

TEST(DictationCycle, EachWayATakeEndsGivesItsActions) {
    const auto take = [](World& w, WindowRef stoppedIn) {
        w.press(kEditor);
        w.press(stoppedIn);
    };
    struct Story {
        const char* what;
        std::function<void(World&)> play;
        std::vector<std::string> expected;
        std::string never;
    };
    const Story stories[] = {
        {"into the window in front at the stop, the system awake meanwhile",
         [&](World& w) { take(w, kEditor), w.result(L"Salom", L"", kEditor); },
         {"start", "awake on", "awake off", "stop", "recognise", "insert into 7: Salom", "strip hidden", "ended inserted"},
         "clipboard"},
        {"another window in front when the text is ready",
         [&](World& w) { take(w, kEditor), w.result(L"Salom", L"", kChat); },
         {"clipboard: Salom", "tell: Matn clipboard'da", "ended on clipboard"}, "insert"},
        {"stopped in a window of Vornika's own", [&](World& w) { take(w, 0), w.result(L"Salom", L"", 0); },
         {"clipboard: Salom", "ended on clipboard"}, "insert"},
        {"the insertion fails",
         [&](World& w) { w.inserts = false, take(w, kEditor), w.result(L"Salom", L"", kEditor); },
         {"insert into 7: Salom", "clipboard: Salom", "tell: Matn joylanmadi", "ended on clipboard"}, ""},
        {"a lock ends the take, which is recognised and told after the unlock",
         [&](World& w) {
             w.press(kEditor), w.step(SessionLocked{}), w.result(L"Salom", L"", 0), w.seen.push_back("unlock");
             w.step(SessionUnlocked{});
         },
         {"stop", "recognise", "clipboard: Salom", "strip hidden", "ended on clipboard", "unlock", "tell: Matn clipboard'da"},
         "insert"},
        {"a take the lock ended is never typed, even after the unlock",
         [&](World& w) {
             w.press(kEditor), w.step(SessionLocked{}), w.step(SessionUnlocked{}), w.result(L"Salom", L"", kEditor);
         },
         {"clipboard: Salom", "tell: Matn clipboard'da", "ended on clipboard"}, "insert"},
        {"a text ready while locked hides the strip and waits for the unlock",
         [&](World& w) {
             take(w, kEditor), w.step(SessionLocked{}), w.result(L"Salom", L"", kEditor), w.seen.push_back("unlock");
             w.step(SessionUnlocked{});
         },
         {"strip: Matnga o'girilmoqda\xE2\x80\xA6", "strip hidden", "ended on clipboard", "unlock", "tell: Matn clipboard'da"},
         "insert"},
        {"the rest failed after parts were recognised",
         [&](World& w) { take(w, kEditor), w.result(L"Salom", L"Transkripsiya bajarilmadi", kEditor); },
         {"insert into 7: Salom", "tell: Matn to'liq emas", "ended inserted"}, ""},
        {"recognition failed", [&](World& w) { take(w, kEditor), w.result(L"", L"Transkripsiya bajarilmadi", kEditor); },
         {"tell: Xatolik", "ended nothing"}, "insert"},
        {"no words", [&](World& w) { take(w, kEditor), w.result(L"", L"", kEditor); },
         {"tell: Ovoz aniqlanmadi \xE2\x80\x94 balandroq gapiring", "ended nothing"}, "insert"},
        {"a microphone lost in silence has the silence check",
         [&](World& w) {
             w.analysis.verdict = TakeVerdict::Silent;
             w.press(kEditor), w.step(MicrophoneLost{kEditor}, kEditor);
         },
         {"stop", "discard", "tell: Mikrofon uzildi", "ended nothing"}, "recognise"},
        {"sleep during a take too short has the too-short check",
         [&](World& w) {
             w.analysis.verdict = TakeVerdict::TooShort;
             w.press(kEditor), w.step(Sleeping{kEditor}, kEditor);
         },
         {"stop", "discard", "strip hidden", "ended nothing"}, "recognise"},
        {"a microphone lost mid-speech: recognised",
         [&](World& w) { w.press(kEditor), w.step(MicrophoneLost{kEditor}, kEditor), w.result(L"Salom", L"", kEditor); },
         {"recognise", "tell: Mikrofon uzildi", "insert into 7: Salom", "ended inserted"}, ""},
        {"Esc while the text is awaited: it joins the history only",
         [&](World& w) { take(w, kEditor), w.step(CancelPressed{}), w.result(L"Salom", L"", kEditor); },
         {"recognise", "tell: Bekor qilindi", "ended cancelled"}, "insert"},
        {"the hotkey while the text is awaited says so",
         [&](World& w) { take(w, kEditor), w.press(kEditor); },
         {"recognise", "strip: Hali matnga o'girilmoqda\xE2\x80\xA6", "timer"}, ""},
        {"the take's limit ends it in the window then in front",
         [&](World& w) {
             w.press(kEditor), w.now += 11min, w.step(ClockTick{w.now, kChat}, kChat), w.result(L"Salom", L"", kChat);
         },
         {"stop", "recognise", "insert into 9: Salom", "ended inserted"}, ""},
        {"a history item copies the text the open menu showed",
         [&](World& w) {
             take(w, kEditor), w.result(L"birinchi", L"", kEditor), w.step(MenuOpened{});
             take(w, kEditor), w.result(L"ikkinchi", L"", kEditor), w.step(HistoryChosen{0});
         },
         {"insert into 7: ikkinchi", "copy: birinchi"}, "copy: ikkinchi"},
    };
    for (const Story& story : stories) {
        World world;
        story.play(world);
        EXPECT_TRUE(inOrder(world.seen, story.expected)) << story.what << "\n" << joined(world.seen);
        if (!story.never.empty()) {
            EXPECT_EQ(joined(world.seen).find(story.never), std::string::npos) << story.what << "\n" << joined(world.seen);
        }
        EXPECT_EQ(world.failure, "") << story.what;
    }
    World cancelled;
    take(cancelled, kEditor), cancelled.step(CancelPressed{}), cancelled.result(L"Salom", L"", kEditor);
    EXPECT_EQ(cancelled.cycle.textHistory().newestFirst().front(), L"Salom") << "a cancelled text joins the history";
}

// Random orders of everything that can happen, in every hotkey mode: after
// every step the guarantee holds, and at the end each take has ended once.
TEST(DictationCycle, EveryTakeEndsOnceWhateverTheOrderOfEvents) {
    std::mt19937 random(20261210);
    const auto chance = [&](int percent) { return static_cast<int>(random() % 100) < percent; };
    const WindowRef windows[] = {0, kEditor, kChat};
    const std::wstring texts[] = {L"Salom", L"", L"Yaxshi kun"};
    for (int run = 0; run < 2000; ++run) {
        Settings settings;
        settings.hotkeyMode = static_cast<HotkeyMode>(random() % 3);
        settings.history = chance(70);
        settings.sounds = chance(50);
        World world(settings);
        world.describing = false;  // the seed and the run reproduce a failure
        for (int step = 0; step < 60 && world.failure.empty(); ++step) {
            world.recorderStarts = chance(90);
            world.inserts = chance(80);
            world.clipboardWrites = chance(80);
            world.analysis.verdict = chance(70) ? TakeVerdict::Ok : chance(50) ? TakeVerdict::Silent : TakeVerdict::TooShort;
            const WindowRef front = windows[random() % 3];
            world.now += std::chrono::seconds(random() % 120);
            switch (random() % 16) {
            case 0: case 1: case 2: world.press(front); break;
            case 3: world.step(HotkeyReleased{world.now, front}, front); break;
            case 4: world.tray(front); break;
            case 5: world.step(CancelPressed{}); break;
            case 6: world.step(ClockTick{world.now, front}, front); break;
            case 7: world.step(chance(50) ? Event{SessionLocked{}} : Event{SessionUnlocked{}}); break;
            case 8: world.step(chance(50) ? Event{MicrophoneLost{front}} : Event{Sleeping{front}}, front); break;
            case 9: case 10: case 11:
                world.result(texts[random() % 3], chance(20) ? L"Transkripsiya bajarilmadi" : L"", front, random() % 3);
                break;
            case 12: world.step(chance(50) ? Event{ModelReplaced{}} : Event{ModelChecked{chance(50) ? L"" : L"yo'q"}}); break;
            case 13:
                settings.hotkeyMode = static_cast<HotkeyMode>(random() % 3);
                settings.history = chance(70);
                world.step(SettingsChanged{settings});
                break;
            case 14: world.step(MenuOpened{}); break;
            default: world.step(chance(50) ? Event{HistoryChosen{random() % 3}} : Event{StillWorkingTimerFired{}}); break;
            }
        }
        world.step(RunEnded{});
        while (!world.finished.empty()) world.result(L"kech", L"", kEditor);  // too late: the run has ended
        ASSERT_EQ(world.failure, "") << "run " << run;
        for (const auto& [take, count] : world.endings) ASSERT_EQ(count, 1) << "run " << run << ", take " << take;
    }
}
