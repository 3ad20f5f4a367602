// What every window of the program shares, under Wine: the settings and
// donation windows answer Tab, Shift+Tab, Enter and Esc typed on the
// keyboard (the settings' pages Ctrl+Tab and Ctrl+Shift+Tab too), and both
// rebuild their fonts and layout when moved to a monitor of another scale.

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "tests/ui/window_driving.h"
// After windows.h, which it needs.
#include <commctrl.h>
#include "ui/donate_window.h"
#include "ui/settings_form.h"
#include "ui/settings_window.h"

using namespace std::chrono_literals;

namespace {

SettingsSurroundings quietSurroundings(std::vector<Settings>& saved) {
    SettingsSurroundings s;
    s.listMicrophones = [] { return std::vector<MicDevice>{}; };
    s.isAutostartEnabled = [] { return false; };
    s.setAutostart = [](bool) { return true; };
    s.saveSettings = [&saved](const Settings& settings) {
        saved.push_back(settings);
        return true;
    };
    s.showMessage = [](HWND, const std::wstring&, const std::wstring&, UINT) {};
    return s;
}

// The window in the foreground, as the user finds it after opening it.
bool inFront(HWND window) {
    SetForegroundWindow(window);
    return pumpUntil([window] { return GetForegroundWindow() == window; }, 3s);
}

// The tab stops a page shows, with the buttons under every page.
std::vector<int> settingsTabStops(int page) {
    std::vector<int> ids;
    for (const SettingsControl& entry : kSettingsControls) {
        // The import's stop button is hidden, so Tab passes it by.
        if (isTabStop(entry.style) && !showsOnlyWhileImporting(entry.style) && showsOnPage(entry, page))
            ids.push_back(entry.id);
    }
    return ids;
}

// The controls that show, by id, in creation order.
std::vector<int> shownControls(HWND window) {
    std::vector<int> ids;
    for (HWND child = GetWindow(window, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        if (IsWindowVisible(child) && GetDlgCtrlID(child) != kLabelId) ids.push_back(GetDlgCtrlID(child));
    }
    return ids;
}

std::vector<int> pageControls(int page) {
    std::vector<int> ids;
    for (const SettingsControl& entry : kSettingsControls) {
        if (showsOnPage(entry, page) && !showsOnlyWhileImporting(entry.style) && entry.id != kLabelId)
            ids.push_back(entry.id);
    }
    return ids;
}

Rect placeInParent(HWND child) {
    RECT place{};
    GetWindowRect(child, &place);
    MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&place), 2);
    return fromRECT(place);
}

int fontHeight(HWND control) {
    const auto font = reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
    LOGFONTW description{};
    if (font == nullptr || GetObjectW(font, sizeof(description), &description) == 0) return 0;
    return description.lfHeight;
}

// The outer size a client area takes at a DPI (a test's display keeps its
// frames at 96 DPI, so the client area itself comes out a little different).
Size frameAround(HWND window, Size client, int dpi) {
    RECT frame{0, 0, client.width, client.height};
    AdjustWindowRectExForDpi(&frame, static_cast<DWORD>(GetWindowLongPtrW(window, GWL_STYLE)), FALSE,
                             static_cast<DWORD>(GetWindowLongPtrW(window, GWL_EXSTYLE)), static_cast<UINT>(dpi));
    return {frame.right - frame.left, frame.bottom - frame.top};
}

Size outerSize(HWND window) {
    const Rect outer = windowRect(window);
    return {outer.width(), outer.height()};
}

// What the system sends when the window lands on a monitor at this DPI.
void moveToScale(HWND window, int dpi) {
    RECT now{};
    GetWindowRect(window, &now);
    RECT suggested{now.left, now.top, now.left + (now.right - now.left) * dpi / 96,
                   now.top + (now.bottom - now.top) * dpi / 96};
    SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
}

class DialogKeys : public ::testing::Test {
protected:
    DialogKeys() : settingsWindow(quietSurroundings(saved)) {}
    void openSettings() {
        Settings current;
        current.useGpu = false;
        settingsWindow.open(GetModuleHandleW(nullptr), current);
        ASSERT_TRUE(inFront(settingsWindow.handle()));
    }
    int focusedId() const { return GetDlgCtrlID(GetFocus()); }

    std::vector<Settings> saved;
    SettingsWindow settingsWindow;
};

}  // namespace

TEST_F(DialogKeys, TabAndShiftTabFollowTheSettingsTableAndWrapAround) {
    openSettings();
    const std::vector<int> order = settingsTabStops(0);
    std::vector<int> forward;
    for (std::size_t i = 0; i <= order.size(); ++i) {
        pressKey(VK_TAB);
        forward.push_back(focusedId());
    }
    std::vector<int> expected = order;
    expected.push_back(order.front());
    EXPECT_EQ(forward, expected);

    std::vector<int> backward;
    for (std::size_t i = 0; i < 2; ++i) {
        pressKey(VK_TAB, true);
        backward.push_back(focusedId());
    }
    EXPECT_EQ(backward, (std::vector<int>{order.back(), order[order.size() - 2]}));
}

// The user goes through the pages with Ctrl+Tab and back with Ctrl+Shift+Tab:
// each page shows its own controls alone, the focus lands on the page, a box
// ticked with the space bar two pages on counts, and Enter saves.
TEST_F(DialogKeys, CtrlTabGoesThroughThePagesAndEnterSavesWhatWasChangedOnAnyOfThem) {
    openSettings();
    const HWND window = settingsWindow.handle();
    const HWND tabs = GetDlgItem(window, kPageTabsId);
    std::vector<int> pages;
    for (int step = 0; step < kPageCount; ++step) {
        const int page = static_cast<int>(SendMessageW(tabs, TCM_GETCURSEL, 0, 0));
        pages.push_back(page);
        EXPECT_EQ(shownControls(window), pageControls(page)) << page;
        if (step > 0) {
            EXPECT_TRUE(IsWindowVisible(GetFocus()) && IsChild(window, GetFocus())) << page;
        }
        pressKeyWith({VK_CONTROL}, VK_TAB);
    }
    EXPECT_EQ(pages, (std::vector<int>{0, 1, 2, 3}));
    EXPECT_EQ(SendMessageW(tabs, TCM_GETCURSEL, 0, 0), 0) << "round the strip";
    pressKeyWith({VK_CONTROL, VK_SHIFT}, VK_TAB);
    pressKeyWith({VK_CONTROL, VK_SHIFT}, VK_TAB);
    ASSERT_EQ(SendMessageW(tabs, TCM_GETCURSEL, 0, 0), 2);
    while (focusedId() != kGpuBoxId && focusedId() != 0) pressKey(VK_TAB);
    ASSERT_EQ(focusedId(), kGpuBoxId);
    pressKey(VK_SPACE);
    pressKey(VK_RETURN);
    ASSERT_EQ(saved.size(), 1u);
    EXPECT_TRUE(saved[0].useGpu);
    EXPECT_FALSE(IsWindowVisible(window));
}

TEST_F(DialogKeys, EnterSavesAndEscCancelsTheSettings) {
    openSettings();
    pressKey(VK_TAB);  // a check box: Enter is not its key
    CheckDlgButton(settingsWindow.handle(), kGpuBoxId, BST_CHECKED);
    pressKey(VK_RETURN);
    ASSERT_EQ(saved.size(), 1u);
    EXPECT_TRUE(saved[0].useGpu);
    EXPECT_FALSE(IsWindowVisible(settingsWindow.handle()));

    openSettings();
    CheckDlgButton(settingsWindow.handle(), kGpuBoxId, BST_CHECKED);
    pressKey(VK_ESCAPE);
    EXPECT_EQ(saved.size(), 1u) << "Esc saves nothing";
    EXPECT_FALSE(IsWindowVisible(settingsWindow.handle()));
}

TEST_F(DialogKeys, TheDonationWindowClosesOnEscAndOnEnterAndTabsThroughItsButtons) {
    DonateWindow donate(DonationDetails{{{
                                            {L"HUMO", L"9860123412341234", {20, 150, 200}},
                                            {L"VISA", L"0000000000000000", {35, 45, 125}},
                                            {L"UZCARD", L"8600555566667777", {30, 150, 100}},
                                        }},
                                        L"Test Egasi"});
    for (const WORD key : {VK_ESCAPE, VK_RETURN}) {
        donate.open(GetModuleHandleW(nullptr), nullptr);
        ASSERT_TRUE(inFront(donate.handle()));
        pressKey(key);
        EXPECT_FALSE(IsWindowVisible(donate.handle())) << key;
    }
    donate.open(GetModuleHandleW(nullptr), nullptr);
    ASSERT_TRUE(inFront(donate.handle()));
    std::vector<int> visited;
    for (int i = 0; i < 4; ++i) {
        pressKey(VK_TAB);
        visited.push_back(GetDlgCtrlID(GetFocus()));
    }
    // The card without a number has a disabled button, which Tab passes by.
    EXPECT_EQ(visited, (std::vector<int>{kFirstCopyButtonId, kFirstCopyButtonId + 2, kCloseButtonId, kFirstCopyButtonId}));
}

TEST_F(DialogKeys, ANewScaleRebuildsTheSettingsFontAndLayout) {
    openSettings();
    moveToScale(settingsWindow.handle(), 144);
    EXPECT_EQ(settingsWindow.dpi(), 144);
    EXPECT_EQ(outerSize(settingsWindow.handle()), frameAround(settingsWindow.handle(), settingsClientSize(144), 144));
    for (const int id : {kHotkeyControlId, kSaveButtonId, kDonateButtonId, kGpuBoxId}) {
        const HWND control = GetDlgItem(settingsWindow.handle(), id);
        EXPECT_EQ(placeInParent(control), scaledControlRect(*std::find_if(kSettingsControls.begin(), kSettingsControls.end(),
                                                                           [id](const SettingsControl& c) { return c.id == id; }),
                                                              144))
            << id;
        EXPECT_EQ(fontHeight(control), -scaled(kSettingsFontSize, 144)) << id;
    }
    moveToScale(settingsWindow.handle(), 96);
    EXPECT_EQ(clientRect(settingsWindow.handle()), (Rect{0, 0, kSettingsClient.width, kSettingsClient.height}));
    EXPECT_EQ(fontHeight(GetDlgItem(settingsWindow.handle(), kSaveButtonId)), -scaled(kSettingsFontSize, 96));
}

TEST_F(DialogKeys, ANewScaleRebuildsTheDonationWindow) {
    DonateWindow donate;
    donate.open(GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(donate.handle(), nullptr);
    moveToScale(donate.handle(), 120);
    const Size client = donateClientSize(120);
    EXPECT_EQ(outerSize(donate.handle()), frameAround(donate.handle(), client, 120));
    for (int row = 0; row < 3; ++row) {
        const HWND button = GetDlgItem(donate.handle(), kFirstCopyButtonId + row);
        EXPECT_EQ(placeInParent(button), donateCopyButtonRect(row, 120)) << row;
        EXPECT_EQ(fontHeight(button), -scaled(13, 120)) << row;
    }
    EXPECT_EQ(placeInParent(GetDlgItem(donate.handle(), kCloseButtonId)), donateCloseButtonRect(120));
}
