// Whole user stories with the real Vornika.exe under Wine, on a display of
// its own with a virtual microphone: what the user would see and find.

#include <cstdio>
#include <thread>

#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include "app/autostart.h"
#include "diag/encoding.h"
#include "settings/settings_file.h"
#include "tests/e2e/program_under_test.h"
#include "tests/insert/target_window.h"
#include "tests/ui/window_driving.h"

using namespace std::chrono_literals;

namespace {

const std::wstring kRecordingOverlay = L"Yozilmoqda\u2026  (Ctrl+Alt+D)";

std::wstring runValue() {
    wchar_t value[1024] = {};
    DWORD size = sizeof(value);
    if (RegGetValueW(HKEY_CURRENT_USER, kRunKey, kRunValueName, RRF_RT_REG_SZ, nullptr, value, &size) != ERROR_SUCCESS) {
        return L"";
    }
    return value;
}

bool waitFor(const std::function<bool()>& condition, std::chrono::milliseconds limit = 10s) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(20ms);
    }
    return true;
}

std::string lastLogLine(const std::string& log) {
    const std::size_t end = log.rfind("\r\n");
    if (end == std::string::npos) return "";
    const std::size_t start = log.rfind("\r\n", end - 1);
    const std::string line = log.substr(start == std::string::npos ? 0 : start + 2, end - (start == std::string::npos ? 0 : start + 2));
    return line.size() > 20 ? line.substr(20) : line;  // without the time stamp
}

class Stories : public ::testing::Test {
protected:
    void SetUp() override {
        if (!haveAudioHarness()) GTEST_SKIP() << "needs tests/harness/session.sh --audio --display";
        forgetEarlierRuns();
    }
    void dictate(ProgramUnderTest& program, const std::string& sound = "speech") {
        pressKeys(MOD_CONTROL | MOD_ALT, 'D');
        ASSERT_TRUE(waitFor([&] { return program.overlayShown() && program.overlayText() == kRecordingOverlay; }))
            << toUtf8(program.overlayText());
        ASSERT_TRUE(playIntoMicrophone(sound));
        std::this_thread::sleep_for(300ms);  // the sound server's latency
        pressKeys(MOD_CONTROL | MOD_ALT, 'D');
    }
};

}  // namespace

TEST_F(Stories, TheFirstRunSetsUpAndOpensTheSettingsOnceTheSecondDoesNot) {
    {
        ProgramUnderTest program;
        ASSERT_TRUE(program.start());
        EXPECT_TRUE(waitFor([&] { return program.settingsShown(); })) << "the settings window opens by itself";
        const Settings saved = loadSettingsFrom(settingsFilePath());
        EXPECT_TRUE(saved.didOnboard);
        EXPECT_EQ(runValue(), L"\"" + program.folder() + L"\\Vornika.exe\"");
        ASSERT_TRUE(program.quit());
        EXPECT_EQ(lastLogLine(programLog()), "--- ilova yopildi ---");
    }
    {
        ProgramUnderTest again;
        ASSERT_TRUE(again.start());
        std::this_thread::sleep_for(1500ms);
        EXPECT_FALSE(again.settingsShown());
        EXPECT_TRUE(again.quit());
    }
    // Run from inside a zip opened in Explorer: a copy Windows deletes gets no autostart.
    forgetEarlierRuns();
    ProgramUnderTest fromZip("Salom dunyo", ProgramUnderTest::Model::Scripted, "micro",
                             ProgramUnderTest::Place::TemporaryFolder);
    ASSERT_TRUE(fromZip.start());
    ASSERT_TRUE(waitFor([&] { return fromZip.settingsShown(); }));
    EXPECT_NE(programLog().find("autostart yoqilmadi: dastur vaqtinchalik papkadan ishga tushirilgan"), std::string::npos);
    EXPECT_EQ(runValue(), L"");
    EXPECT_FALSE(loadSettingsFrom(settingsFilePath()).autoStart);
    EXPECT_TRUE(fromZip.quit());
}

TEST_F(Stories, ASecondStartEndsAtOnceAndTheFirstShowsItsSettings) {
    ASSERT_TRUE(writeSettings(onboardedSettings()));
    ProgramUnderTest program;
    ASSERT_TRUE(program.start());
    EXPECT_FALSE(program.settingsShown());
    EXPECT_EQ(program.startAnotherCopy(), 0);
    EXPECT_TRUE(waitFor([&] { return program.settingsShown(); }));
    EXPECT_TRUE(program.running());
    EXPECT_GT(program.residentBytes(), 1u << 20) << "the first copy's memory can be read";
    EXPECT_TRUE(program.quit());
}

TEST_F(Stories, DictationByPasteArrivesAndTheClipboardComesBack) {
    ASSERT_TRUE(writeSettings(onboardedSettings()));
    ProgramUnderTest program("Salom dunyo, bu sinov.");
    ASSERT_TRUE(program.start());
    TargetWindow target;
    ASSERT_EQ(target.problem(), "");
    putOnClipboard(L"eski matn");

    dictate(program);
    EXPECT_EQ(target.waitFor(L"Salom dunyo, bu sinov.", 20000), L"Salom dunyo, bu sinov.");
    EXPECT_TRUE(waitFor([&] { return !program.overlayShown(); }, 2s)) << "hidden once the text is in";
    const std::string log = programLog();
    EXPECT_NE(log.find(" yozish boshlandi\r\n"), std::string::npos) << log;
    EXPECT_NE(log.find(" natija (22 belgi, "), std::string::npos) << log;
    EXPECT_TRUE(waitFor([] { return clipboardText() == L"eski matn"; }, 5s)) << toUtf8(clipboardText());
    EXPECT_TRUE(program.quit());
}

TEST_F(Stories, DictationByTypingArrivesExactly) {
    Settings settings = onboardedSettings();
    settings.insertMode = InsertMode::Type;
    ASSERT_TRUE(writeSettings(settings));
    ProgramUnderTest program("Oʻzbekiston — maʼno");
    ASSERT_TRUE(program.start());
    TargetWindow target;
    ASSERT_EQ(target.problem(), "");
    putOnClipboard(L"tegilmaydi");

    dictate(program);
    const std::wstring expected = fromUtf8("Oʻzbekiston — maʼno");
    EXPECT_EQ(target.waitFor(expected, 20000), expected);
    EXPECT_EQ(clipboardText(), L"tegilmaydi");
    EXPECT_TRUE(program.quit());
}

TEST_F(Stories, TheChosenScriptAndSpokenLineBreaksArriveByPasteAndByTyping) {
    for (const InsertMode mode : {InsertMode::Paste, InsertMode::Type}) {
        Settings settings = onboardedSettings();
        settings.insertMode = mode;
        settings.textScript = TextScript::Cyrillic;
        settings.textSpokenBreaks = true;
        settings.textTrailingSpace = true;
        ASSERT_TRUE(writeSettings(settings));
        ProgramUnderTest program("Salom dunyo. Yangi qator. Oʻzbekiston gʻalla yanvar");
        ASSERT_TRUE(program.start());
        TargetWindow target;
        ASSERT_EQ(target.problem(), "");

        dictate(program);
        const std::wstring expected = fromUtf8("Салом дунё.\r\nЎзбекистон ғалла январь ");
        EXPECT_EQ(target.waitFor(expected, 20000), expected) << static_cast<int>(mode);
        EXPECT_TRUE(program.quit());
    }
}

TEST_F(Stories, QuittingWhileRecordingThrowsTheTakeAway) {
    ASSERT_TRUE(writeSettings(onboardedSettings()));
    ProgramUnderTest program;
    ASSERT_TRUE(program.start());
    pressKeys(MOD_CONTROL | MOD_ALT, 'D');
    ASSERT_TRUE(waitFor([&] { return program.overlayShown(); }));
    ASSERT_TRUE(playIntoMicrophone("tone-1s"));
    EXPECT_TRUE(program.quit());
    const std::string log = programLog();
    EXPECT_NE(log.find(" yozish boshlandi\r\n"), std::string::npos) << log;
    EXPECT_EQ(log.find("yozish tugadi"), std::string::npos) << log;
    EXPECT_EQ(lastLogLine(log), "--- ilova yopildi ---");
}

TEST_F(Stories, TakesThatCannotBeRecognisedSayWhy) {
    ASSERT_TRUE(writeSettings(onboardedSettings()));
    {
        ProgramUnderTest program;
        ASSERT_TRUE(program.start());
        // A take short by construction, however slow the machine: the tone
        // already sounds when recording starts, and the stop follows a fifth
        // of a second after the strip shows it.
        const auto toneStarted = std::chrono::steady_clock::now();
        ASSERT_TRUE(playIntoMicrophone("tone-3s", false));
        pressKeys(MOD_CONTROL | MOD_ALT, 'D');
        ASSERT_TRUE(waitFor([&] { return program.overlayText() == kRecordingOverlay; }));
        std::this_thread::sleep_for(200ms);
        pressKeys(MOD_CONTROL | MOD_ALT, 'D');
        EXPECT_TRUE(waitFor([&] { return program.overlayText() == L"Juda qisqa \u2014 kamida 1 soniya gapiring"; }))
            << toUtf8(program.overlayText());
        EXPECT_TRUE(waitFor([&] { return !program.overlayShown(); }, 5s)) << "gone after 3 s";
        // The tone (and the sound server's latency) is over before the silent take.
        std::this_thread::sleep_until(toneStarted + 3600ms);
        // Nothing at all for a second and a half: the microphone is silent.
        pressKeys(MOD_CONTROL | MOD_ALT, 'D');
        ASSERT_TRUE(waitFor([&] { return program.overlayText() == kRecordingOverlay; }));
        std::this_thread::sleep_for(1500ms);
        pressKeys(MOD_CONTROL | MOD_ALT, 'D');
        EXPECT_TRUE(waitFor([&] { return program.overlayText() == L"Mikrofon jim \u2014 signal yo'q"; }))
            << toUtf8(program.overlayText());
        const std::string log = programLog();
        EXPECT_EQ(log.find("natija ("), std::string::npos) << log;  // no result line; the abandoning line may say "natija"
        EXPECT_NE(log.find("yozish tugadi: 0."), std::string::npos) << log;
        EXPECT_TRUE(program.quit());
    }
    {
        ProgramUnderTest program("", ProgramUnderTest::Model::Silence);
        ASSERT_TRUE(program.start());
        dictate(program);
        EXPECT_TRUE(waitFor([&] { return program.overlayText() == L"Ovoz aniqlanmadi \u2014 balandroq gapiring"; }, 20s))
            << toUtf8(program.overlayText());
        EXPECT_TRUE(program.quit());
    }
    {
        ProgramUnderTest program("", ProgramUnderTest::Model::Missing);
        ASSERT_TRUE(program.start());
        dictate(program);
        EXPECT_TRUE(waitFor([&] { return program.overlayText() == L"Model fayli topilmadi. Ilovani qayta o'rnating."; }, 20s))
            << toUtf8(program.overlayText());
        EXPECT_NE(waitForLog("XATO: Model fayli topilmadi").find("XATO: Model fayli topilmadi"), std::string::npos);
        EXPECT_TRUE(program.quit());
    }
}

namespace {

// The message box another process shows with this caption, if any.
HWND messageBoxOf(DWORD processId) {
    struct Search {
        DWORD processId;
        HWND found;
    } search{processId, nullptr};
    EnumWindows([](HWND window, LPARAM data) {
        auto* s = reinterpret_cast<Search*>(data);
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        wchar_t className[32] = {};
        GetClassNameW(window, className, 32);
        if (owner == s->processId && std::wstring(className) == L"#32770" && IsWindowVisible(window)) {
            s->found = window;
            return FALSE;
        }
        return TRUE;
    }, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::wstring messageBoxText(HWND box) {
    wchar_t text[1024] = {};
    GetDlgItemTextW(box, 0xFFFF, text, 1024);  // the box's static text
    return text;
}

}  // namespace

TEST_F(Stories, AHotkeyTakenByAnotherProgramIsReportedAndTheTrayMenuDictatesInstead) {
    using Item = ProgramUnderTest::MenuItem;
    ASSERT_TRUE(writeSettings(onboardedSettings()));
    ASSERT_TRUE(RegisterHotKey(nullptr, 7, MOD_CONTROL | MOD_ALT, 'D'));
    ProgramUnderTest program("Menyu orqali");
    ASSERT_TRUE(program.start());
    HWND box = nullptr;
    ASSERT_TRUE(waitFor([&] { return (box = messageBoxOf(GetProcessId(program.process()))) != nullptr; }));
    EXPECT_EQ(messageBoxText(box), L"Diktovka tugmasi (Ctrl+Alt+D) boshqa dastur tomonidan band qilingan.\n\n"
                                   L"Sozlamalar faylidan boshqa tugma tanlang:\n" + settingsFilePath());
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    EXPECT_NE(programLog().find("XATO: hotkey band \u2014 Ctrl+Alt+D"), std::string::npos);

    // Clicks on the icon and its menu: the text still goes where the user
    // was writing, and their clipboard comes back.
    TargetWindow target;
    ASSERT_EQ(target.problem(), "");
    putOnClipboard(L"eski matn");
    ASSERT_TRUE(program.chooseFromTrayMenu(Item::Toggle));
    ASSERT_TRUE(waitFor([&] { return program.overlayText() == kRecordingOverlay; }));
    ASSERT_TRUE(playIntoMicrophone("speech"));
    std::this_thread::sleep_for(300ms);
    ASSERT_TRUE(program.chooseFromTrayMenu(Item::Toggle));
    EXPECT_EQ(target.waitFor(L"Menyu orqali", 20000), L"Menyu orqali") << programLog();
    EXPECT_TRUE(waitFor([] { return clipboardText() == L"eski matn"; }, 5s)) << toUtf8(clipboardText());
    UnregisterHotKey(nullptr, 7);

    ASSERT_TRUE(program.chooseFromTrayMenu(Item::CopyLastText));
    EXPECT_TRUE(waitFor([] { return clipboardText() == L"Menyu orqali"; }, 5s)) << toUtf8(clipboardText());
    ASSERT_TRUE(program.chooseFromTrayMenu(Item::Exit));
    EXPECT_EQ(WaitForSingleObject(program.process(), 10000), static_cast<DWORD>(WAIT_OBJECT_0));
    EXPECT_EQ(program.exitCode(), 0u);
}

TEST_F(Stories, ANewHotkeySavedInTheSettingsReplacesTheOldOne) {
    ASSERT_TRUE(writeSettings(onboardedSettings()));
    ProgramUnderTest program;
    ASSERT_TRUE(program.start());
    program.command(101);
    ASSERT_TRUE(waitFor([&] { return program.settingsShown(); }));
    const HWND settings = program.settingsWindow();
    SendMessageW(GetDlgItem(settings, 200), HKM_SETHOTKEY, MAKEWORD(VK_F9, HOTKEYF_SHIFT), 0);
    SendMessageW(GetDlgItem(settings, 206), BM_CLICK, 0, 0);
    EXPECT_NE(waitForLog("sozlamalar saqlandi: Shift+F9").find("hotkey ro'yxatdan o'tdi: Shift+F9"), std::string::npos);

    pressKeys(MOD_CONTROL | MOD_ALT, 'D');
    std::this_thread::sleep_for(700ms);
    EXPECT_FALSE(program.overlayShown()) << "the old hotkey is free again";
    ASSERT_TRUE(RegisterHotKey(nullptr, 8, MOD_CONTROL | MOD_ALT, 'D')) << "and another program may take it";
    UnregisterHotKey(nullptr, 8);

    // A hotkey another program holds is not taken: the message says so, and
    // Shift+F9 goes on working.
    ASSERT_TRUE(RegisterHotKey(nullptr, 9, MOD_CONTROL | MOD_SHIFT, 'K'));
    program.command(101);
    ASSERT_TRUE(waitFor([&] { return program.settingsShown(); }));
    SendMessageW(GetDlgItem(settings, 200), HKM_SETHOTKEY, MAKEWORD('K', HOTKEYF_CONTROL | HOTKEYF_SHIFT), 0);
    PostMessageW(GetDlgItem(settings, 206), BM_CLICK, 0, 0);  // the box it opens holds the click
    HWND box = nullptr;
    ASSERT_TRUE(waitFor([&] { return (box = messageBoxOf(GetProcessId(program.process()))) != nullptr; }));
    EXPECT_EQ(messageBoxText(box), L"Yangi diktovka tugmasi (Ctrl+Shift+K) ishlamadi: uni boshqa dastur yoki Windows "
                                   L"ishlatmoqda.\n\nAvvalgi tugma ishlayveradi: Shift+F9.");
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(waitFor([] {
        const std::string log = programLog();
        const std::size_t refused = log.find("XATO: hotkey band \u2014 Ctrl+Shift+K");
        return refused != std::string::npos && log.find("sozlamalar saqlandi: Shift+F9", refused) != std::string::npos;
    })) << programLog();
    UnregisterHotKey(nullptr, 9);

    pressKeys(MOD_SHIFT, VK_F9);
    EXPECT_TRUE(waitFor([&] { return program.overlayText() == L"Yozilmoqda\u2026  (Shift+F9)"; }))
        << toUtf8(program.overlayText());
    EXPECT_EQ(loadSettingsFrom(settingsFilePath()).hotkeyLabel(), L"Shift+F9");
    EXPECT_TRUE(program.quit());
}

TEST_F(Stories, QuittingWhileTranscribingAbandonsTheRecognitionAndInsertsNothing) {
    ASSERT_TRUE(writeSettings(onboardedSettings()));
    // A base-size model: its recognition lasts seconds, long enough to quit
    // in the middle of it on any machine.
    ProgramUnderTest program("Kiritilmaydi", ProgramUnderTest::Model::Scripted, "base");
    ASSERT_TRUE(program.start());
    TargetWindow target;
    ASSERT_EQ(target.problem(), "");
    dictate(program);
    ASSERT_TRUE(waitFor([&] { return program.overlayText() == L"Matnga o'girilmoqda\u2026"; }));
    const auto asked = std::chrono::steady_clock::now();
    EXPECT_TRUE(program.quit());
    const double waited = std::chrono::duration<double>(std::chrono::steady_clock::now() - asked).count();
    std::this_thread::sleep_for(500ms);
    EXPECT_EQ(target.text(), L"");
    const std::string log = programLog();
    EXPECT_EQ(log.find("natija ("), std::string::npos) << log;  // no result line; the abandoning line may say "natija"
    EXPECT_EQ(lastLogLine(log), "--- ilova yopildi ---");
    std::printf("quitting waited %.1f s for the recognition\n", waited);
}


namespace {

std::size_t occurrences(const std::string& text, const std::string& part) {
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
    return count;
}

// What a take recognised in so many parts arrives as.
std::wstring saidInParts(const std::wstring& text, std::size_t parts) {
    std::wstring all;
    for (std::size_t i = 0; i < parts; ++i) all += (i == 0 ? L"" : L" ") + text;
    return all;
}

}  // namespace

// 70 s of phrases with a second's pause after each: cut at the first pause
// after 20 s of each part, the parts recognised while the user speaks, the
// text complete and in order at the stop.
TEST_F(Stories, ALongTakeWithPausesIsRecognisedInPartsWhileItIsSpoken) {
    ASSERT_TRUE(writeSettings(onboardedSettings()));
    ProgramUnderTest program("Salom.");
    ASSERT_TRUE(program.start());
    TargetWindow target;
    ASSERT_EQ(target.problem(), "");
    pressKeys(MOD_CONTROL | MOD_ALT, 'D');
    ASSERT_TRUE(waitFor([&] { return program.overlayShown() && program.overlayText() == kRecordingOverlay; }));
    ASSERT_TRUE(playIntoMicrophone("phrases-70s", false));
    // Parts go to recognition during the take, and the strip still says it records.
    const std::string firstPart = waitForLog("yozuvning 1-qismi o'girishga berildi", 40s);
    EXPECT_NE(firstPart.find("yozuvning 1-qismi o'girishga berildi"), std::string::npos);
    EXPECT_EQ(program.overlayText(), kRecordingOverlay);
    EXPECT_EQ(target.text(), L"") << "nothing arrives before the stop";
    waitForLog("yozuvning 3-qismi o'girishga berildi", 60s);
    std::this_thread::sleep_for(8s);  // the rest of the 70 s, and the server's latency
    pressKeys(MOD_CONTROL | MOD_ALT, 'D');
    EXPECT_EQ(target.waitFor(saidInParts(L"Salom.", 4), 30000), saidInParts(L"Salom.", 4));
    const std::string log = programLog();
    EXPECT_EQ(occurrences(log, "-qismi o'girishga berildi"), 3u) << log;
    EXPECT_NE(log.find("yozuv 4 qismda o'girildi va birlashtirildi"), std::string::npos) << log;
    EXPECT_TRUE(program.quit());
}

TEST_F(Stories, ALongDictationAndTwentyInARowAllArriveWithoutGrowingMemory) {
    ASSERT_TRUE(writeSettings(onboardedSettings()));
    ProgramUnderTest program("Salom.");
    ASSERT_TRUE(program.start());
    TargetWindow target;
    ASSERT_EQ(target.problem(), "");

    // Two minutes without a pause of half a second: cut at the quietest
    // moment before each part reaches 28 s. The scripted model says its text
    // once per part, and the parts' texts are joined with single spaces.
    dictate(program, "speech-2min");
    target.waitFor(L"Salom. Salom. Salom. Salom. Salom.", 120000);
    std::this_thread::sleep_for(1s);
    std::wstring expected = target.text();
    const std::size_t parts = occurrences(programLog(), "-qismi o'girishga berildi") + 1;
    EXPECT_TRUE(parts == 5 || parts == 6) << parts;
    EXPECT_EQ(expected, saidInParts(L"Salom.", parts));
    EXPECT_NE(programLog().find("yozish tugadi: 12"), std::string::npos) << "a take of about two minutes";

    std::uint64_t afterSecond = 0;
    for (int take = 2; take <= 21; ++take) {
        dictate(program, "tone-1s");
        expected += L"Salom.";
        ASSERT_EQ(target.waitFor(expected, 30000), expected) << "dictation " << take;
        if (take == 3) afterSecond = program.residentBytes();
    }
    const std::uint64_t afterLast = program.residentBytes();
    std::printf("resident memory after the 3rd dictation %.1f MB, after the 21st %.1f MB\n", afterSecond / 1048576.0,
                afterLast / 1048576.0);
    ASSERT_GT(afterSecond, 0u);
    EXPECT_LT(afterLast, afterSecond + 8 * 1048576) << "no growth from one dictation to the next";
    EXPECT_TRUE(program.quit());
}

// Presses while the model loads and warms up, in quick succession, and
// around a microphone pulled out and put back: each one is answered at
// once, and each take ends. A press lost or a blocked program would leave a
// take running for good.
TEST_F(Stories, EveryHotkeyPressIsAnsweredDuringLoadingAndDeviceChanges) {
    std::chrono::milliseconds slowest{0};
    const auto answered = [&](const std::function<bool()>& condition) {
        const auto pressed = std::chrono::steady_clock::now();
        const bool yes = waitFor(condition, 3s);
        slowest = std::max(slowest, std::chrono::duration_cast<std::chrono::milliseconds>(
                                        std::chrono::steady_clock::now() - pressed));
        return yes;
    };
    for (int run = 1; run <= 3; ++run) {
        // The first run opens the settings window as well.
        if (run > 1) {
            ASSERT_TRUE(writeSettings(onboardedSettings()));
        }
        // A base-size model: its load and warm-up last seconds under Wine.
        ProgramUnderTest program("Salom", ProgramUnderTest::Model::Scripted, "base");
        const std::size_t earlierRuns = programLog().size();
        const auto thisRun = [earlierRuns] { return programLog().substr(earlierRuns); };
        ASSERT_TRUE(program.start());
        const auto ended = [&thisRun](std::size_t takes) {
            return [&thisRun, takes] { return occurrences(thisRun(), " yozish tugadi") == takes; };
        };
        const auto recording = [&program] { return program.overlayText() == kRecordingOverlay; };
        pressKeys(MOD_CONTROL | MOD_ALT, 'D');
        ASSERT_TRUE(answered(recording)) << "run " << run << ", during the warm-up";
        ASSERT_EQ(thisRun().find("isitish tugadi"), std::string::npos) << "the warm-up was over before the press";
        std::this_thread::sleep_for(1200ms);
        pressKeys(MOD_CONTROL | MOD_ALT, 'D');
        ASSERT_TRUE(answered(ended(1))) << "run " << run << ", stopped during the warm-up\n" << thisRun();
        ASSERT_TRUE(waitFor([&] { return !program.overlayShown() || program.overlayText() != L"Matnga o'girilmoqda\u2026"; },
                            30s));

        pressKeys(MOD_CONTROL | MOD_ALT, 'D');
        std::this_thread::sleep_for(150ms);
        pressKeys(MOD_CONTROL | MOD_ALT, 'D');
        ASSERT_TRUE(answered(ended(2))) << "run " << run << ", two quick presses\n" << thisRun();

        pressKeys(MOD_CONTROL | MOD_ALT, 'D');
        ASSERT_TRUE(answered(recording)) << "run " << run << ", before the microphone goes";
        ASSERT_TRUE(harnessRequest(L"unplug"));
        ASSERT_TRUE(waitFor(ended(3), 5s)) << "run " << run << ", the microphone pulled out\n" << thisRun();
        ASSERT_TRUE(harnessRequest(L"replug"));
        ASSERT_TRUE(waitFor([&] { return !program.overlayShown(); }, 10s)) << toUtf8(program.overlayText());
        pressKeys(MOD_CONTROL | MOD_ALT, 'D');
        ASSERT_TRUE(answered(recording)) << "run " << run << ", the microphone back";
        pressKeys(MOD_CONTROL | MOD_ALT, 'D');
        ASSERT_TRUE(answered(ended(4))) << "run " << run << "\n" << thisRun();
        EXPECT_TRUE(program.quit());
    }
    std::printf("the slowest answer to a press took %lld ms\n", static_cast<long long>(slowest.count()));
}

// Windows asks before it ends the session, then says whether it does.
TEST_F(Stories, ACancelledLogOffChangesNothingAndARealOneEndsTheRunAtOnce) {
    ASSERT_TRUE(writeSettings(onboardedSettings()));
    ProgramUnderTest program;
    ASSERT_TRUE(program.start());
    const HWND hidden = program.hiddenWindow();
    const auto send = [hidden](UINT message, WPARAM wParam) {
        DWORD_PTR answer = 0;
        return SendMessageTimeoutW(hidden, message, wParam, ENDSESSION_LOGOFF, SMTO_NORMAL, 10000, &answer) != 0;
    };
    ASSERT_TRUE(send(WM_QUERYENDSESSION, 0));
    ASSERT_TRUE(send(WM_ENDSESSION, FALSE));
    pressKeys(MOD_CONTROL | MOD_ALT, 'D');
    ASSERT_TRUE(waitFor([&] { return program.overlayText() == kRecordingOverlay; })) << "the log-off was cancelled";

    // Once the handler has returned the process may be ended at any moment.
    ASSERT_TRUE(send(WM_ENDSESSION, TRUE));
    const std::string log = programLog();
    EXPECT_EQ(lastLogLine(log), "--- ilova yopildi ---");
    EXPECT_EQ(log.find("yozish tugadi"), std::string::npos) << "the take is thrown away";
    EXPECT_FALSE(trayIconShown());
    EXPECT_TRUE(RegisterHotKey(nullptr, 9, MOD_CONTROL | MOD_ALT, 'D')) << "the hotkey is free";
    UnregisterHotKey(nullptr, 9);
    EXPECT_EQ(WaitForSingleObject(program.process(), 10000), static_cast<DWORD>(WAIT_OBJECT_0));
    EXPECT_EQ(program.exitCode(), 0u);
}
