// Insertion into a real window under Wine: tests/insert/edit_host.cpp is the
// target, in a process of its own; the test reads back what arrived.

#include "insert/insert_text.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>

#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>

#include "diag/encoding.h"
#include "diag/log.h"
#include "tests/insert/target_window.h"
#include "tests/support/logged_lines.h"
#include "tests/support/temp_folder.h"
#include "tests/ui/window_driving.h"

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

namespace {

// Uzbek with U+02BB and U+2019, Cyrillic and a character beyond the BMP.
const std::wstring kDictation = L"O\u02BBzbekiston \u2014 ma\u2019no, \u040E\u0437\u0431\u0435\u043A \U0001F600 tamom.";

class Insert : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(target.problem(), ""); }
    std::wstring arrived(const std::wstring& expected) { return target.waitFor(expected); }
    static TranscribeResult result(const std::wstring& text) { return {text, L"", 1.0}; }

    TargetWindow target;
};

}  // namespace

TEST_F(Insert, PasteDeliversTheTextAndGivesTheClipboardBack) {
    putOnClipboard(L"eski matn");
    const InsertOutcome outcome = insertText(result(kDictation), InsertMode::Paste, testClipboardOwner());
    EXPECT_TRUE(outcome.inserted);
    EXPECT_EQ(outcome.message, L"");
    EXPECT_EQ(arrived(kDictation), kDictation);
    EXPECT_EQ(clipboardText(), kDictation) << "until the restore";
    std::this_thread::sleep_for(900ms);
    EXPECT_EQ(clipboardText(), L"eski matn");
}

TEST_F(Insert, PasteWithNothingToGiveBackLeavesTheText) {
    putOnClipboard(std::vector<std::pair<UINT, std::string>>{});  // an empty clipboard
    ASSERT_TRUE(insertText(result(L"salom"), InsertMode::Paste, testClipboardOwner()).inserted);
    EXPECT_EQ(arrived(L"salom"), L"salom");
    std::this_thread::sleep_for(900ms);
    EXPECT_EQ(clipboardText(), L"salom");
}

TEST_F(Insert, PasteGivesBackEveryFormatTheClipboardHeld) {
    // Formatted text with its HTML, a copied file and a program's own format.
    const std::string html = "Version:0.9\r\nStartHTML:0\r\n<b>eski</b>";
    const std::wstring path = L"C:\\eski.txt";
    std::string files(sizeof(DROPFILES), '\0');
    DROPFILES header{};
    header.pFiles = sizeof(DROPFILES);
    header.fWide = TRUE;
    std::memcpy(files.data(), &header, sizeof(header));
    files.append(reinterpret_cast<const char*>(path.c_str()), (path.size() + 1) * sizeof(wchar_t));
    files.append(sizeof(wchar_t), '\0');
    const std::vector<std::pair<UINT, std::string>> held = {
        {CF_UNICODETEXT, std::string(reinterpret_cast<const char*>(L"eski"), 5 * sizeof(wchar_t))},
        {RegisterClipboardFormatW(L"HTML Format"), html},
        {CF_HDROP, files},
        {RegisterClipboardFormatW(L"VornikaTestPicture"), std::string(16, '\7')},
    };
    putOnClipboard(held);
    ASSERT_TRUE(insertText(result(L"salom"), InsertMode::Paste, testClipboardOwner()).inserted);
    EXPECT_EQ(arrived(L"salom"), L"salom");
    EXPECT_TRUE(pumpUntil([] { return clipboardText() == L"eski"; })) << toUtf8(clipboardText());
    for (const auto& [format, bytes] : held) EXPECT_EQ(clipboardBytes(format), bytes) << format;
}

TEST_F(Insert, AClipboardThatCannotBeSavedWholeIsLeftAloneAndTheTextTyped) {
    putOnClipboard(L"eski");
    ASSERT_TRUE(OpenClipboard(nullptr));
    // A program's own picture for viewers: a bitmap handle, which no copy is made of.
    ASSERT_NE(SetClipboardData(CF_DSPBITMAP, CreateBitmap(2, 2, 1, 32, nullptr)), nullptr);
    CloseClipboard();
    ASSERT_TRUE(insertText(result(L"salom"), InsertMode::Paste, testClipboardOwner()).inserted);
    EXPECT_EQ(arrived(L"salom"), L"salom");
    EXPECT_EQ(clipboardText(), L"eski");
    EXPECT_TRUE(IsClipboardFormatAvailable(CF_DSPBITMAP));
}

TEST_F(Insert, SomethingCopiedMeanwhileIsNotOverwritten) {
    putOnClipboard(L"eski matn");
    ASSERT_TRUE(insertText(result(L"salom"), InsertMode::Paste, testClipboardOwner()).inserted);
    EXPECT_EQ(arrived(L"salom"), L"salom");
    std::this_thread::sleep_for(200ms);
    putOnClipboard(L"foydalanuvchi nusxalagan");
    std::this_thread::sleep_for(900ms);
    EXPECT_EQ(clipboardText(), L"foydalanuvchi nusxalagan");
}

TEST_F(Insert, BusyClipboardIsReportedAndLeftAlone) {
    putOnClipboard(L"eski matn");
    // Another program holds the clipboard open for longer than the retries last.
    PROCESS_INFORMATION holder{};
    ASSERT_TRUE(holdClipboardInAnotherProcess(holder));
    const InsertOutcome outcome = insertText(result(L"salom"), InsertMode::Paste, testClipboardOwner());
    WaitForSingleObject(holder.hProcess, 5000);
    CloseHandle(holder.hProcess);
    CloseHandle(holder.hThread);
    EXPECT_FALSE(outcome.inserted);
    EXPECT_EQ(outcome.message, L"Clipboard band \u2014 matn qo'yilmadi.\nBir oz kutib qayta urinib ko'ring.");
    EXPECT_EQ(clipboardText(), L"eski matn");
    EXPECT_EQ(arrived(L""), L"");
}

TEST_F(Insert, EmptyTextIsNotInserted) {
    for (InsertMode mode : {InsertMode::Paste, InsertMode::Type}) {
        const InsertOutcome outcome = insertText(result(L""), mode, testClipboardOwner());
        EXPECT_FALSE(outcome.inserted);
        EXPECT_EQ(outcome.message, L"Matn bo'sh");
    }
}

TEST_F(Insert, TypedTextArrivesCharacterForCharacter) {
    ASSERT_TRUE(insertText(result(L"a\r\nb"), InsertMode::Type, testClipboardOwner()).inserted);
    EXPECT_EQ(arrived(L"a\r\nb"), L"a\r\nb") << "CR skipped, LF typed as Shift+Enter";
    const std::wstring more = L" " + kDictation + L" " + std::wstring(100, L'x');
    ASSERT_TRUE(insertText(result(more), InsertMode::Type, testClipboardOwner()).inserted);
    EXPECT_EQ(arrived(L"a\r\nb" + more), L"a\r\nb" + more);
}

namespace {

// Wine's asynchronous key state follows sent input a moment later; how long
// depends on the machine's load.
bool keyStateBecomes(int vk, bool down) {
    const auto limit = Clock::now() + 2s;
    while (((GetAsyncKeyState(vk) & 0x8000) != 0) != down) {
        if (Clock::now() > limit) return false;
        std::this_thread::sleep_for(5ms);
    }
    return true;
}

}  // namespace

TEST_F(Insert, HotkeyModifiersStillHeld) {
    // As the dictation hotkey leaves them: Ctrl and Alt down.
    INPUT press[2] = {};
    press[0].type = press[1].type = INPUT_KEYBOARD;
    press[0].ki.wVk = VK_CONTROL;
    press[1].ki.wVk = VK_LMENU;
    ASSERT_EQ(SendInput(2, press, sizeof(INPUT)), 2u);
    ASSERT_TRUE(keyStateBecomes(VK_CONTROL, true));
    ASSERT_TRUE(keyStateBecomes(VK_LMENU, true));
    ASSERT_TRUE(insertText(result(L"salom"), InsertMode::Paste, testClipboardOwner()).inserted);
    EXPECT_EQ(arrived(L"salom"), L"salom") << "the held Ctrl and the sent V paste";
    EXPECT_TRUE(keyStateBecomes(VK_LMENU, false)) << "Alt released";
    std::this_thread::sleep_for(50ms);
    EXPECT_TRUE(GetAsyncKeyState(VK_CONTROL) & 0x8000) << "Ctrl neither pressed nor released";
    INPUT release{};
    release.type = INPUT_KEYBOARD;
    release.ki.wVk = VK_CONTROL;
    release.ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(1, &release, sizeof(INPUT));
}

// The target is another process of the same user, at the same integrity level.
TEST_F(Insert, AnotherProgramOfTheSameUserIsNotElevated) {
    EXPECT_FALSE(isForegroundElevated());
}

// Not in the fixture: its target reads the clipboard late.
TEST(LateTarget, GetsTheDictationAndTheRestoreFollowsItsRead) {
    TempFolder logs;
    initLogIn(logs.path());
    TargetWindow target(1500);
    ASSERT_EQ(target.problem(), "");
    putOnClipboard(L"eski matn");
    ASSERT_TRUE(insertText({kDictation, L"", 1.0}, InsertMode::Paste, testClipboardOwner()).inserted);
    EXPECT_EQ(target.waitFor(kDictation, 8000), kDictation) << "not the old text, read after 700 ms";
    EXPECT_TRUE(pumpUntil([] { return clipboardText() == L"eski matn"; })) << toUtf8(clipboardText());
    std::wstring line;
    for (const std::wstring& text : loggedTexts())
        if (text.rfind(L"clipboard qaytarildi", 0) == 0) line = text;
    EXPECT_NE(line.find(L"o'qilgandan"), std::wstring::npos) << toUtf8(line);
    std::printf("[ measure ] %s\n", toUtf8(line).c_str());
}

// Not in the fixture: nothing reads the text before its owner goes.
TEST(ClipboardOwner, ATextNobodyReadStaysOnTheClipboardWhenItsWindowGoes) {
    TempFolder logs;
    initLogIn(logs.path());
    putOnClipboard(std::vector<std::pair<UINT, std::string>>{});
    const HWND owner = startClipboardOwner();
    ASSERT_TRUE(insertText({L"qoldi", L"", 1.0}, InsertMode::Paste, owner).inserted);
    std::this_thread::sleep_for(200ms);
    SendMessageW(owner, WM_CLOSE, 0, 0);  // destroyed on its own thread: WM_RENDERALLFORMATS first
    EXPECT_EQ(clipboardText(), L"qoldi");
    const std::vector<std::wstring> log = loggedTexts();
    EXPECT_NE(std::find(log.begin(), log.end(), L"clipboard: o'qilmagan matn dastur oynasi yopilishidan oldin qoldirildi"),
              log.end());
}
