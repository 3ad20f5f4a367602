// The clipboard module under Wine: bounded reads, the privacy marks on all it
// writes (a dictation and the restored earlier text), and a clipboard that
// another thread holds for a moment.

#include "insert/clipboard_win.h"

#include <atomic>
#include <chrono>
#include <cstring>
#include <thread>

#include <gtest/gtest.h>

#include "insert/insert_text.h"
#include "tests/insert/target_window.h"
#include "tests/ui/window_driving.h"

using namespace std::chrono_literals;

namespace {

// The DWORD a registered format holds, or -1 when the clipboard lacks it.
long long markValue(const wchar_t* formatName) {
    const std::string bytes = clipboardBytes(RegisterClipboardFormatW(formatName));
    if (bytes.size() < sizeof(DWORD)) return -1;
    DWORD held = 0;
    std::memcpy(&held, bytes.data(), sizeof(held));
    return held;
}

void expectMarkedPrivate(const char* what) {
    EXPECT_EQ(markValue(L"CanIncludeInClipboardHistory"), 0) << what;
    EXPECT_EQ(markValue(L"CanUploadToCloudClipboard"), 0) << what;
    EXPECT_GE(markValue(L"ExcludeClipboardContentFromMonitorProcessing"), 0) << what;
}

// Raw bytes as CF_UNICODETEXT, exactly as given (no terminator added).
void putRawText(const void* bytes, std::size_t size) {
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    const HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size);
    std::memcpy(GlobalLock(block), bytes, size);
    GlobalUnlock(block);
    SetClipboardData(CF_UNICODETEXT, block);
    CloseClipboard();
}

// Another thread of this process keeps the clipboard open for a while.
class ClipboardHeldFor {
public:
    explicit ClipboardHeldFor(std::chrono::milliseconds duration) {
        holder = std::thread([this, duration] {
            opened = OpenClipboard(nullptr) != FALSE;
            ready = true;
            std::this_thread::sleep_for(duration);
            if (opened) CloseClipboard();
        });
        while (!ready) std::this_thread::sleep_for(1ms);
    }
    ~ClipboardHeldFor() { holder.join(); }
    bool isHeld() const { return opened; }

private:
    std::atomic<bool> ready{false};
    bool opened = false;
    std::thread holder;
};

}  // namespace

TEST(ClipboardBlock, IsReadUpToItsTerminatorOrItsSize) {
    const wchar_t text[] = {L'a', L'b', L'c', L'\0', L'x'};
    struct Case {
        std::size_t bytes;
        std::wstring expected;
    } cases[] = {
        {sizeof(text), L"abc"},                        // stops at the zero
        {3 * sizeof(wchar_t), L"abc"},                 // no terminator inside the block
        {2 * sizeof(wchar_t) + 1, L"ab"},              // a half character at the end is dropped
        {sizeof(wchar_t) - 1, L""},                    // not even one character
        {0, L""},
    };
    for (const Case& c : cases) EXPECT_EQ(textOfClipboardBlock(text, c.bytes), c.expected) << c.bytes;
    EXPECT_EQ(textOfClipboardBlock(nullptr, 8), L"");
}

TEST(Clipboard, ABlockWithoutTerminatorIsReadOnlyToItsEnd) {
    // Systems differ (Wine writes a terminator over the last character); the
    // read ends inside the block either way.
    const std::wstring unterminated = L"salom";
    putRawText(unterminated.data(), unterminated.size() * sizeof(wchar_t));
    const std::wstring read = readClipboardText(testClipboardOwner());
    EXPECT_GE(read.size(), 4u);
    EXPECT_EQ(unterminated.substr(0, read.size()), read);
}

TEST(Clipboard, WhatItWritesIsKeptOutOfHistoryAndTheCloud) {
    ASSERT_TRUE(writeClipboardText(testClipboardOwner(), L"karta 8600"));
    EXPECT_EQ(clipboardText(), L"karta 8600");
    expectMarkedPrivate("written");

    ASSERT_TRUE(replaceClipboardTextIf(testClipboardOwner(), L"karta 8600", L"eski"));
    EXPECT_EQ(clipboardText(), L"eski");
    expectMarkedPrivate("replaced");
    EXPECT_FALSE(replaceClipboardTextIf(testClipboardOwner(), L"boshqa", L"yangi"));
    EXPECT_EQ(clipboardText(), L"eski");
}

TEST(Clipboard, AClipboardHeldForAMomentIsWaitedFor) {
    putOnClipboard(L"oldingi");
    {
        const ClipboardHeldFor held(80ms);
        ASSERT_TRUE(held.isHeld());
        EXPECT_EQ(readClipboardText(testClipboardOwner()), L"oldingi");
    }
    {
        const ClipboardHeldFor held(80ms);
        EXPECT_TRUE(writeClipboardText(testClipboardOwner(), L"yangi"));
    }
    EXPECT_EQ(clipboardText(), L"yangi");
    {
        // Longer than the ten tries of 20 ms: given up, nothing changed.
        const ClipboardHeldFor held(600ms);
        EXPECT_FALSE(writeClipboardText(testClipboardOwner(), L"kechikdi"));
    }
    EXPECT_EQ(clipboardText(), L"yangi");
}

TEST(Clipboard, ADictationAndTheRestoredTextAreBothMarked) {
    TargetWindow target;
    ASSERT_EQ(target.problem(), "");
    putOnClipboard(L"eski matn");
    ASSERT_TRUE(insertText({L"salom", L"", 1.0}, InsertMode::Paste, testClipboardOwner()).inserted);
    EXPECT_EQ(target.waitFor(L"salom"), L"salom");
    expectMarkedPrivate("dictation");
    std::this_thread::sleep_for(900ms);
    EXPECT_EQ(clipboardText(), L"eski matn");
    expectMarkedPrivate("restored");
}
