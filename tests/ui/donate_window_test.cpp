// The donation window under Wine: its size, the copy buttons and their
// feedback, and what a build without card numbers offers.

#include "ui/donate_window.h"

#include <gtest/gtest.h>

#include "tests/insert/target_window.h"
#include "tests/ui/window_driving.h"

using namespace std::chrono_literals;

namespace {

DonationDetails testCards() {
    return {{{
                {L"HUMO", L"9860123412341234", {20, 150, 200}},
                {L"VISA", L"4111222233334444", {35, 45, 125}},
                {L"UZCARD", L"8600555566667777", {30, 150, 100}},
            }},
            L"Test Egasi"};
}

class Donate : public ::testing::Test {
protected:
    void open(DonateWindow& window) { window.open(GetModuleHandleW(nullptr), nullptr); }
    static HWND button(DonateWindow& window, int row) { return GetDlgItem(window.handle(), kFirstCopyButtonId + row); }
    static void click(HWND button) { SendMessageW(button, BM_CLICK, 0, 0); }
};

}  // namespace

TEST_F(Donate, OpensWithItsClientAreaAndButtons) {
    DonateWindow window(testCards());
    open(window);
    ASSERT_NE(window.handle(), nullptr);
    EXPECT_TRUE(IsWindowVisible(window.handle()));
    EXPECT_EQ(windowText(window.handle()), L"Donat qilish");
    EXPECT_EQ(clientRect(window.handle()), (Rect{0, 0, 430, 468}));
    for (int row = 0; row < 3; ++row) {
        RECT place{};
        GetWindowRect(button(window, row), &place);
        MapWindowPoints(nullptr, window.handle(), reinterpret_cast<POINT*>(&place), 2);
        EXPECT_EQ((Rect{place.left, place.top, place.right, place.bottom}), donateCopyButtonRect(row, 96));
        EXPECT_EQ(windowText(button(window, row)), L"Nusxalash");
        EXPECT_TRUE(IsWindowEnabled(button(window, row)));
    }
    EXPECT_EQ(windowText(GetDlgItem(window.handle(), kCloseButtonId)), L"Yopish");

    const HWND first = window.handle();
    click(GetDlgItem(window.handle(), kCloseButtonId));
    EXPECT_FALSE(IsWindowVisible(first));
    open(window);
    EXPECT_EQ(window.handle(), first);
    EXPECT_TRUE(IsWindowVisible(first));
    SendMessageW(first, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindowVisible(first));
    EXPECT_TRUE(IsWindow(first));
}

TEST_F(Donate, ACopyButtonPutsTheDigitsOnTheClipboardAndSaysSoForTwoSeconds) {
    DonateWindow window(testCards());
    open(window);
    putOnClipboard(L"oldingi");
    click(button(window, 0));
    EXPECT_EQ(clipboardText(), L"9860123412341234");
    EXPECT_EQ(windowText(button(window, 0)), L"Nusxalandi \u2713");
    EXPECT_EQ(window.copiedRow(), 0);

    // Another card: its button takes the feedback, the first goes back.
    pumpMessagesFor(1000ms);
    click(button(window, 2));
    EXPECT_EQ(clipboardText(), L"8600555566667777");
    EXPECT_EQ(windowText(button(window, 0)), L"Nusxalash");
    EXPECT_EQ(windowText(button(window, 2)), L"Nusxalandi \u2713");
    pumpMessagesFor(1500ms);
    EXPECT_EQ(windowText(button(window, 2)), L"Nusxalandi \u2713") << "the timer restarted with the second copy";
    EXPECT_TRUE(pumpUntil([&] { return windowText(button(window, 2)) == L"Nusxalash"; }, 2s));
    EXPECT_EQ(window.copiedRow(), -1);
}

TEST_F(Donate, ABusyClipboardChangesNothing) {
    DonateWindow window(testCards());
    open(window);
    putOnClipboard(L"band");
    PROCESS_INFORMATION holder{};
    ASSERT_TRUE(holdClipboardInAnotherProcess(holder));
    click(button(window, 1));
    EXPECT_EQ(windowText(button(window, 1)), L"Nusxalash");
    EXPECT_EQ(window.copiedRow(), -1);
    TerminateProcess(holder.hProcess, 0);
    WaitForSingleObject(holder.hProcess, 5000);
    CloseHandle(holder.hProcess);
    CloseHandle(holder.hThread);
    EXPECT_EQ(clipboardText(), L"band");
}

TEST_F(Donate, ABuildWithoutCardNumbersOffersNothingToCopy) {
    DonationDetails missing = testCards();
    missing.cards[0].digits = L"0000000000000000";
    missing.cards[2].digits = L"0000000000000000";
    DonateWindow window(missing);
    open(window);
    EXPECT_FALSE(IsWindowEnabled(button(window, 0)));
    EXPECT_TRUE(IsWindowEnabled(button(window, 1)));
    EXPECT_FALSE(IsWindowEnabled(button(window, 2)));
    putOnClipboard(L"tegilmagan");
    SendMessageW(window.handle(), WM_COMMAND, MAKEWPARAM(kFirstCopyButtonId, BN_CLICKED),
                 reinterpret_cast<LPARAM>(button(window, 0)));
    EXPECT_EQ(clipboardText(), L"tegilmagan");
    EXPECT_EQ(windowText(button(window, 0)), L"Nusxalash");
}
