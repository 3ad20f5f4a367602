// Insertion into a real window under Wine: tests/insert/edit_host.cpp is the
// target, in a process of its own; the test reads back what arrived.

#include "insert/insert_text.h"

#include <atomic>
#include <chrono>
#include <cstring>
#include <thread>

#include <gtest/gtest.h>
#include <windows.h>

#include "diag/encoding.h"
#include "tests/insert/target_window.h"
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
    putOnClipboard(L"");
    ASSERT_TRUE(insertText(result(L"salom"), InsertMode::Paste, testClipboardOwner()).inserted);
    EXPECT_EQ(arrived(L"salom"), L"salom");
    std::this_thread::sleep_for(900ms);
    EXPECT_EQ(clipboardText(), L"salom");

    // Something that is not text (a picture, files): neither saved nor restored.
    const UINT picture = RegisterClipboardFormatW(L"VornikaTestPicture");
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    const HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, 16);
    std::memset(GlobalLock(block), 7, 16);
    GlobalUnlock(block);
    SetClipboardData(picture, block);
    CloseClipboard();
    ASSERT_TRUE(insertText(result(L" dunyo"), InsertMode::Paste, testClipboardOwner()).inserted);
    EXPECT_EQ(arrived(L"salom dunyo"), L"salom dunyo");
    std::this_thread::sleep_for(900ms);
    EXPECT_EQ(clipboardText(), L" dunyo");
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
    EXPECT_EQ(arrived(L"a\r\nb"), L"a\r\nb") << "CR skipped, LF typed as Enter";
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
