// The status strip as a real window under Wine, on a display of its own.

#include "ui/status_overlay.h"

#include <gtest/gtest.h>

#include "insert/insert_text.h"
#include "tests/insert/target_window.h"
#include "tests/ui/window_driving.h"

using namespace std::chrono_literals;

namespace {

class Overlay : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(overlay.create(GetModuleHandleW(nullptr)));
        // On the display's only monitor, away from where the strip goes.
        SetCursorPos(200, 200);
    }
    bool visible() const { return IsWindowVisible(overlay.handle()) != FALSE; }

    StatusOverlay overlay;
};

Rect regionBox(HWND window) {
    const HRGN region = CreateRectRgn(0, 0, 0, 0);
    RECT box{};
    if (GetWindowRgn(window, region) != ERROR) GetRgnBox(region, &box);
    DeleteObject(region);
    return {box.left, box.top, box.right, box.bottom};
}

}  // namespace

TEST_F(Overlay, IsCreatedHiddenAsANonActivatingClickThroughToolWindow) {
    const HWND window = overlay.handle();
    EXPECT_FALSE(visible());
    const auto extended = static_cast<DWORD>(GetWindowLongPtrW(window, GWL_EXSTYLE));
    for (const DWORD style : std::initializer_list<DWORD>{WS_EX_TOPMOST, WS_EX_TOOLWINDOW, WS_EX_TRANSPARENT, WS_EX_LAYERED, WS_EX_NOACTIVATE}) {
        EXPECT_EQ(extended & style, style) << std::hex << style;
    }
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongPtrW(window, GWL_STYLE)) & WS_POPUP, static_cast<DWORD>(WS_POPUP));
    BYTE alpha = 0;
    DWORD flags = 0;
    ASSERT_TRUE(GetLayeredWindowAttributes(window, nullptr, &alpha, &flags));
    EXPECT_EQ(alpha, 235);
    EXPECT_EQ(flags, static_cast<DWORD>(LWA_ALPHA));
    EXPECT_EQ(SendMessageW(window, WM_NCHITTEST, 0, MAKELPARAM(10, 10)), HTTRANSPARENT);
    EXPECT_EQ(SendMessageW(window, WM_MOUSEACTIVATE, 0, 0), MA_NOACTIVATE);

    // A second strip in the same process shares the class and still works.
    StatusOverlay second;
    EXPECT_TRUE(second.create(GetModuleHandleW(nullptr)));
}

TEST_F(Overlay, ShowPlacesTheStripAboveTheBottomOfTheCursorsWorkArea) {
    overlay.show(OverlayKind::Recording, L"Yozilmoqda\u2026", 0);
    ASSERT_TRUE(visible());
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    const Rect expected = overlayWindowRect({work.left, work.top, work.right, work.bottom}, 96);
    EXPECT_EQ(windowRect(overlay.handle()), expected);
    EXPECT_EQ(expected.width(), 340);
    EXPECT_EQ(work.bottom - expected.bottom, 120);
    // Rounded: the region spans the window, its corners cut.
    EXPECT_EQ(regionBox(overlay.handle()), (Rect{0, 0, 340, 64}));

    overlay.hide();
    EXPECT_FALSE(visible());
    overlay.hide();
    EXPECT_FALSE(visible());
}

TEST_F(Overlay, ALaterMessageWithoutTimeoutCancelsTheEarlierTimeout) {
    overlay.show(OverlayKind::Warning, L"Juda qisqa", 300);
    ASSERT_TRUE(visible());
    overlay.show(OverlayKind::Working, L"Matnga o'girilmoqda\u2026", 0);
    pumpMessagesFor(700ms);
    EXPECT_TRUE(visible());
    EXPECT_EQ(overlay.shownKind(), OverlayKind::Working);

    overlay.show(OverlayKind::Warning, L"Ovoz eshitilmadi", 300);
    EXPECT_TRUE(pumpUntil([&] { return !visible(); }, 2s)) << "a timed message hides itself";
    overlay.show(OverlayKind::Warning, L"birinchi", 300);
    pumpMessagesFor(200ms);
    overlay.show(OverlayKind::Warning, L"ikkinchi", 400);
    pumpMessagesFor(200ms);
    EXPECT_TRUE(visible()) << "the second show restarted the timeout";
    EXPECT_TRUE(pumpUntil([&] { return !visible(); }, 2s));
}

TEST_F(Overlay, NeverTakesTheFocusFromTheWindowBeingDictatedInto) {
    TargetWindow target;
    ASSERT_EQ(target.problem(), "");
    const HWND foreground = GetForegroundWindow();
    overlay.show(OverlayKind::Recording, L"Yozilmoqda\u2026", 0);
    pumpMessagesFor(100ms);
    EXPECT_EQ(GetForegroundWindow(), foreground);
    overlay.show(OverlayKind::Warning, L"Ogohlantirish", 2000);
    EXPECT_EQ(GetForegroundWindow(), foreground);

    ASSERT_TRUE(insertText({L"salom dunyo", L"", 1.0}, InsertMode::Type, testClipboardOwner()).inserted);
    EXPECT_EQ(target.waitFor(L"salom dunyo"), L"salom dunyo");
    EXPECT_TRUE(visible());
}

TEST_F(Overlay, TheScreenShowsTheBackgroundAndEachKindsGlyphColour) {
    for (const OverlayKind kind : {OverlayKind::Recording, OverlayKind::Working, OverlayKind::Warning}) {
        overlay.show(kind, L"Matn & belgi", 0);
        pumpMessagesFor(150ms);
        const Rect strip = windowRect(overlay.handle());
        const ScreenShot shot(strip);
        // Left of the glyph, clear of the rounded corner.
        EXPECT_EQ(shot.at(strip.left + 10, strip.top + 32), kOverlayBackground);
        EXPECT_EQ(shot.at(strip.right - 10, strip.top + 32), kOverlayBackground);
        const Rect glyph = overlayGlyphRect({0, 0, 340, 64}, 96);
        const Rect glyphOnScreen{strip.left + glyph.left, strip.top, strip.left + glyph.right, strip.bottom};
        // Smoothed edges blend into the background; the strokes keep the colour.
        EXPECT_GT(shot.count(glyphOnScreen, overlayGlyphColour(kind), 50), 4) << static_cast<int>(kind);
        for (const OverlayKind other : {OverlayKind::Recording, OverlayKind::Working, OverlayKind::Warning}) {
            if (other != kind) {
                EXPECT_EQ(shot.count(glyphOnScreen, overlayGlyphColour(other), 50), 0) << static_cast<int>(other);
            }
        }
        const Rect text = overlayTextArea({0, 0, 340, 64}, 96);
        EXPECT_GT(shot.count({strip.left + text.left, strip.top, strip.left + text.right, strip.bottom},
                             kOverlayTextColour, 40),
                  10);
    }
}

TEST(Scaling, AgreesWithTheSystemsMulDiv) {
    for (int number = -400; number <= 400; number += 7) {
        for (const int numerator : {96, 120, 144, 168, 192, -120, 0}) {
            for (const int denominator : {96, 2, 7, -96, 0}) {
                EXPECT_EQ(mulDiv(number, numerator, denominator), MulDiv(number, numerator, denominator))
                    << number << " " << numerator << " " << denominator;
            }
        }
    }
    EXPECT_EQ(mulDiv(1 << 30, 4, 2), MulDiv(1 << 30, 4, 2));
    EXPECT_EQ(mulDiv(-(1 << 30), 4, 2), MulDiv(-(1 << 30), 4, 2));
}
