// Whole user stories with the real Vornika.exe under Wine, on a display of
// its own with a virtual microphone: what the user would see and find.

#include <thread>

#include <gtest/gtest.h>

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
    ProgramUnderTest again;
    ASSERT_TRUE(again.start());
    std::this_thread::sleep_for(1500ms);
    EXPECT_FALSE(again.settingsShown());
    EXPECT_TRUE(again.quit());
}

TEST_F(Stories, ASecondStartEndsAtOnceAndTheFirstShowsItsSettings) {
    ASSERT_TRUE(writeSettings(onboardedSettings()));
    ProgramUnderTest program;
    ASSERT_TRUE(program.start());
    EXPECT_FALSE(program.settingsShown());
    EXPECT_EQ(program.startAnotherCopy(), 0);
    EXPECT_TRUE(waitFor([&] { return program.settingsShown(); }));
    EXPECT_TRUE(program.running());
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
    std::this_thread::sleep_for(900ms);
    EXPECT_EQ(clipboardText(), L"eski matn");
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
