// How a dictation is held, cancelled, heard and remembered: the hotkey modes
// with keys pressed and released as a user's fingers would, Esc, the cue
// sounds against the virtual microphone, the history submenu and the
// user's own words.

#include <cmath>
#include <cstdio>

#include "audio/recorder.h"
#include "audio/sample_convert.h"
#include "tests/app/app_story.h"

namespace {

void sendKeys(std::initializer_list<WORD> keys, bool up) {
    std::vector<INPUT> inputs;
    for (const WORD vk : keys) {
        INPUT input{};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = vk;
        input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
        inputs.push_back(input);
    }
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}
// Ctrl+Alt+D goes down, key by key; and comes up, the letter first.
void pressHotkey() { sendKeys({VK_CONTROL, VK_MENU, 'D'}, false); }
void releaseHotkey() { sendKeys({'D', VK_MENU, VK_CONTROL}, true); }
void tapKey(WORD vk) {
    sendKeys({vk}, false);
    sendKeys({vk}, true);
}

// Whether some other program could take Esc as its hotkey now.
bool escIsFree() {
    if (!RegisterHotKey(nullptr, 0x5EC, 0, VK_ESCAPE)) return false;
    UnregisterHotKey(nullptr, 0x5EC);
    return true;
}

// A plain window that notes the Esc presses it receives.
class EscCatcher {
public:
    EscCatcher() {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = [](HWND window, UINT message, WPARAM wParam, LPARAM lParam) -> LRESULT {
            if (message == WM_KEYDOWN && wParam == VK_ESCAPE) ++presses;
            return DefWindowProcW(window, message, wParam, lParam);
        };
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"EscCatcher";
        RegisterClassW(&windowClass);
        window = CreateWindowW(L"EscCatcher", L"Esc", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 200, 100, nullptr,
                               nullptr, GetModuleHandleW(nullptr), nullptr);
        presses = 0;
    }
    ~EscCatcher() { DestroyWindow(window); }
    bool focus() {
        SetForegroundWindow(window);
        SetFocus(window);
        return pumpUntil([&] { return GetForegroundWindow() == window; }, 3s);
    }
    static inline int presses = 0;
    HWND window = nullptr;
};

float peakOf(const std::vector<float>& samples, std::size_t from, std::size_t to) {
    float peak = 0;
    for (std::size_t i = from; i < std::min(to, samples.size()); ++i) peak = std::max(peak, std::fabs(samples[i]));
    return peak;
}

}  // namespace

TEST_F(AppStory, HoldToTalkRecordsWhileTheKeysAreHeldAndTheReleaseStartsRecognition) {
    if (!haveAudioHarness()) GTEST_SKIP() << "needs tests/harness/session.sh --audio --display";
    restartWith([](Settings& s) { s.hotkeyMode = HotkeyMode::Hold; });
    TargetWindow target;
    ASSERT_EQ(target.problem(), "");
    // Three holds: speech, then a tone twice; each release is timed.
    std::vector<long long> toRecognising;
    for (int hold = 0; hold < 3; ++hold) {
        if (hold > 0) {
            ASSERT_TRUE(harnessRequest(L"play-async", "tone-1s"));
        }
        pressHotkey();
        ASSERT_TRUE(pumpUntil([&] { return app->isRecording(); }, 3s)) << "the held hotkey started no take";
        if (hold == 0) speak();
        else pumpMessagesFor(1300ms);
        EXPECT_TRUE(app->isRecording()) << "the take lasts while the keys are held";
        releaseHotkey();
        const auto released = std::chrono::steady_clock::now();
        ASSERT_TRUE(pumpUntil([&] { return app->isBusy(); }, 2s)) << "the release did not end the take";
        toRecognising.push_back(
            std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - released).count());
        if (hold == 0) expectTextIn(target);
        ASSERT_TRUE(pumpUntil([&] { return !app->isBusy(); }, 30s));
    }
    std::sort(toRecognising.begin(), toRecognising.end());
    std::printf("[ measure ] release to recognising: median %lld ms (%lld, %lld, %lld)\n", toRecognising[1],
                toRecognising[0], toRecognising[1], toRecognising[2]);
    EXPECT_LT(toRecognising[1], 500) << "a loose bound: the figure itself is what counts";
    EXPECT_NE(programLog().find("tugma qo'yib yuborildi: yozish to'xtatildi"), std::string::npos);

    // A hold shorter than a take's minimum is too short, as a toggled one is.
    ASSERT_TRUE(harnessRequest(L"play-async", "tone-1s"));
    pressHotkey();
    ASSERT_TRUE(pumpUntil([&] { return app->isRecording(); }, 3s));
    pumpMessagesFor(300ms);
    releaseHotkey();
    ASSERT_TRUE(pumpUntil([&] { return !app->isRecording(); }, 2s));
    EXPECT_FALSE(app->isBusy());
    EXPECT_EQ(overlayText(), L"Juda qisqa \u2014 kamida 1 soniya gapiring");
}

TEST_F(AppStory, InAutoModeATapTogglesAndALongerHoldRecordsUntilTheRelease) {
    if (!haveAudioHarness()) GTEST_SKIP() << "needs tests/harness/session.sh --audio --display";
    restartWith([](Settings& s) { s.hotkeyMode = HotkeyMode::Auto; });
    TargetWindow target;
    ASSERT_EQ(target.problem(), "");
    pressHotkey();
    releaseHotkey();
    ASSERT_TRUE(pumpUntil([&] { return app->isRecording(); }, 3s));
    pumpMessagesFor(600ms);
    EXPECT_TRUE(app->isRecording()) << "a tap leaves the take running";
    speak();
    pressHotkey();
    releaseHotkey();
    ASSERT_TRUE(pumpUntil([&] { return app->isBusy(); }, 2s)) << "the second tap did not end the take";
    expectTextIn(target);

    ASSERT_TRUE(target.focus());
    pressHotkey();
    ASSERT_TRUE(pumpUntil([&] { return app->isRecording(); }, 3s));
    speak();  // well past the 400 ms that make it a hold
    EXPECT_TRUE(app->isRecording());
    releaseHotkey();
    EXPECT_TRUE(pumpUntil([&] { return app->isBusy(); }, 2s)) << "the release after a hold did not end the take";
    ASSERT_TRUE(pumpUntil([&] { return !app->isBusy(); }, 30s));
}

TEST_F(AppStory, EscCancelsATakeOrItsComingTextAndIsLeftAloneBetweenTakes) {
    if (!haveAudioHarness()) GTEST_SKIP() << "needs tests/harness/session.sh --audio --display";
    // Between takes Esc belongs to whichever window has the focus.
    EXPECT_TRUE(escIsFree());
    {
        EscCatcher catcher;
        ASSERT_TRUE(catcher.focus());
        tapKey(VK_ESCAPE);
        EXPECT_TRUE(pumpUntil([] { return EscCatcher::presses == 1; }, 2s)) << "Esc never reached the window";
    }

    // During a take: the take is thrown away.
    const std::size_t recognitions = fakeengine::calls().transcribeCounts.size();
    ASSERT_NO_FATAL_FAILURE(startTake());
    EXPECT_TRUE(app->cancelKeyRegistered());
    EXPECT_FALSE(escIsFree());
    pumpMessagesFor(1200ms);
    tapKey(VK_ESCAPE);
    ASSERT_TRUE(pumpUntil([&] { return !app->isRecording(); }, 2s)) << "Esc did not end the take";
    EXPECT_FALSE(app->isBusy());
    EXPECT_EQ(overlayText(), L"Bekor qilindi");
    EXPECT_NE(programLog().find("yozuv bekor qilindi (Esc): tashlab yuborildi"), std::string::npos);
    EXPECT_TRUE(escIsFree());
    pumpMessagesFor(300ms);
    EXPECT_EQ(fakeengine::calls().transcribeCounts.size(), recognitions) << "nothing was recognised";

    // During recognition: nothing is inserted, the text still joins the history.
    TargetWindow target;
    ASSERT_EQ(target.problem(), "");
    ASSERT_NO_FATAL_FAILURE(startTake());
    speak();
    SendMessageW(app->window(), WM_HOTKEY, HOTKEY_ID, 0);
    ASSERT_TRUE(app->isBusy());
    tapKey(VK_ESCAPE);
    ASSERT_TRUE(pumpUntil([&] { return !app->isBusy(); }, 1s)) << "Esc did not free the hotkey at once";
    EXPECT_EQ(overlayText(), L"Bekor qilindi");
    EXPECT_TRUE(pumpUntil([&] { return !app->textHistory().newestFirst().empty(); }, 10s));
    ASSERT_FALSE(app->textHistory().newestFirst().empty());
    EXPECT_EQ(app->textHistory().newestFirst().front(), L"Salom");
    EXPECT_EQ(target.waitFor(L"Salom", 500), L"") << "a cancelled text is never inserted";
    EXPECT_TRUE(escIsFree());

    // Turned off, Esc is never taken.
    restartWith([](Settings& s) { s.cancelKey = false; });
    ASSERT_NO_FATAL_FAILURE(startTake());
    EXPECT_FALSE(app->cancelKeyRegistered());
    EXPECT_TRUE(escIsFree());
    SendMessageW(app->window(), WM_HOTKEY, HOTKEY_ID, 0);
}

TEST_F(AppStory, TheHistorySubmenuListsTheLastTextsNewestFirstAndCopiesTheChosenOne) {
    TargetWindow target;
    ASSERT_EQ(target.problem(), "");
    const std::wstring third = L"Uchinchi matn: bu juda uzun gap, menyuga to'liq sig'maydi";
    putOnClipboard(L"eski matn");
    for (const std::wstring& text : {std::wstring(L"Birinchi matn"), std::wstring(L"Ikkinchi & oxirgidan oldingi"), third}) {
        app->deliverResult({text, L"", 1.0});
    }
    std::vector<MenuItem> menu = openTrayMenu();
    const auto history = std::find_if(menu.begin(), menu.end(), [](const MenuItem& i) { return i.text == L"Oxirgi matnlar"; });
    ASSERT_NE(history, menu.end());
    EXPECT_FALSE(history->state & MF_GRAYED);
    EXPECT_EQ(history->submenu, (std::vector<std::wstring>{historyMenuLabel(third), L"Ikkinchi && oxirgidan oldingi",
                                                            L"Birinchi matn"}));
    EXPECT_EQ(historyMenuLabel(third), third.substr(0, 40) + L"\u2026");
    // Chosen from the menu, the text the last paste put there stays: the
    // paste's restore of the earlier text is dropped.
    SendMessageW(app->window(), WM_COMMAND, ID_HISTORY_FIRST, 0);
    pumpMessagesFor(1000ms);
    EXPECT_EQ(clipboardText(), third);

    putOnClipboard(L"boshqa narsa");
    SendMessageW(app->window(), WM_COMMAND, ID_HISTORY_FIRST + 1, 0);
    EXPECT_EQ(clipboardText(), L"Ikkinchi & oxirgidan oldingi");
    pumpMessagesFor(800ms);
    EXPECT_EQ(clipboardText(), L"Ikkinchi & oxirgidan oldingi") << "a copy is not taken back";

    // Turned off: the texts are forgotten and the submenu is gone.
    Settings off = app->currentSettings();
    off.history = false;
    app->applySettings(off);
    EXPECT_TRUE(app->textHistory().newestFirst().empty());
    menu = openTrayMenu();
    EXPECT_EQ(std::count_if(menu.begin(), menu.end(), [](const MenuItem& i) { return i.text == L"Oxirgi matnlar"; }), 0);
}

TEST(StartCue, ReachesTheMicrophoneOnlyWithinTheSpanATakeDrops) {
    if (!haveAudioHarness()) GTEST_SKIP() << "needs tests/harness/session.sh --audio --display";
    AudioRecorder recorder;
    std::wstring error;
    ASSERT_TRUE(recorder.start(L"", error)) << toUtf8(error);
    pumpMessagesFor(200ms);
    const std::int64_t asked = counterNow100ns();
    playCueSound(GetModuleHandleW(nullptr), Cue::Start);
    pumpMessagesFor(1200ms);
    const std::vector<float> take = recorder.stop();
    const std::int64_t firstFrame = recorder.firstFrameTime();
    ASSERT_NE(firstFrame, 0);
    // The cue's first and last loud samples, in ms after it was asked for.
    std::size_t first = take.size(), last = 0;
    for (std::size_t i = 0; i < take.size(); ++i) {
        if (std::fabs(take[i]) < 0.02f) continue;
        first = std::min(first, i);
        last = i;
    }
    ASSERT_LT(first, take.size()) << "the cue never reached the microphone";
    const auto msAfterAsked = [&](std::size_t sample) {
        return static_cast<double>(firstFrame - asked) / 10'000.0 + static_cast<double>(sample) / 16.0;
    };
    std::printf("[ measure ] start cue heard from %.0f ms to %.0f ms after it was asked for (dropped: %lld ms)\n",
                msAfterAsked(first), msAfterAsked(last), static_cast<long long>(kStartCueReach.count()));
    EXPECT_LT(msAfterAsked(last), static_cast<double>(kStartCueReach.count()));
}

TEST_F(AppStory, CuesMarkATakeAndTheStartCueIsNotInTheTake) {
    if (!haveAudioHarness()) GTEST_SKIP() << "needs tests/harness/session.sh --audio --display";
    restartWith([](Settings& s) { s.sounds = true; });
    realCues = true;
    TargetWindow target;
    ASSERT_EQ(target.problem(), "");
    ASSERT_NO_FATAL_FAILURE(startTake());
    pumpMessagesFor(700ms);  // the cue, then the user starts to speak
    speak();
    SendMessageW(app->window(), WM_HOTKEY, HOTKEY_ID, 0);
    expectTextIn(target);
    EXPECT_EQ(cues, (std::vector<Cue>{Cue::Start, Cue::Stop}));
    // The engine got the take from where the cue had died away: quiet until
    // the speech, which the level brought to 0.95.
    const std::vector<float> heard = fakeengine::calls().lastSamples;
    ASSERT_GT(heard.size(), kEngineRate);
    EXPECT_GT(peakOf(heard, 0, heard.size()), 0.9f);
    EXPECT_LT(peakOf(heard, 0, 3200), 0.02f) << "the cue is in the take";

    // A take too short to recognise ends with the error cue; off, no cue at all.
    cues.clear();
    ASSERT_NO_FATAL_FAILURE(startTake());
    SendMessageW(app->window(), WM_HOTKEY, HOTKEY_ID, 0);
    EXPECT_EQ(cues, (std::vector<Cue>{Cue::Start, Cue::Error}));
    Settings quiet = app->currentSettings();
    quiet.sounds = false;
    app->applySettings(quiet);
    cues.clear();
    ASSERT_NO_FATAL_FAILURE(startTake());
    SendMessageW(app->window(), WM_HOTKEY, HOTKEY_ID, 0);
    EXPECT_TRUE(cues.empty());
}

TEST_F(AppStory, OwnWordsReachTheEngineAndASentenceWithThemArrives) {
    if (!haveAudioHarness()) GTEST_SKIP() << "needs tests/harness/session.sh --audio --display";
    fakeengine::Script script;
    script.text = " Toshkentda Alisher Navoiy ko'chasi.";
    script.duration = kRecognitionTime;
    fakeengine::reset(script);
    restartWith([](Settings& s) { s.vocabulary = L"Toshkent,  Alisher Navoiy"; });
    TargetWindow target;
    ASSERT_EQ(target.problem(), "");
    ASSERT_NO_FATAL_FAILURE(startTake());
    speak();
    SendMessageW(app->window(), WM_HOTKEY, HOTKEY_ID, 0);
    ASSERT_TRUE(pumpUntil([&] { return !app->isBusy(); }, 30s));
    ASSERT_FALSE(fakeengine::calls().prompts.empty());
    EXPECT_EQ(fakeengine::calls().prompts.back(), "Toshkent, Alisher Navoiy");
    EXPECT_EQ(target.waitFor(L"Toshkentda Alisher Navoiy ko'chasi."), L"Toshkentda Alisher Navoiy ko'chasi.");
    EXPECT_EQ(programLog().find(toUtf8(kPromptEchoLogLine)), std::string::npos);
}
