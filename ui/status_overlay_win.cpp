#include "ui/status_overlay.h"

#include <dwmapi.h>

#include "diag/log.h"
#include "ui/interface_script.h"

namespace {

// Newer than the SDK headers we build with; unknown to older systems, which
// keep their defaults.
constexpr DWORD kUseImmersiveDarkMode = 20;
constexpr DWORD kWindowCornerPreference = 33;
constexpr DWORD kSystemBackdropType = 38;
constexpr int kCornerRound = 2;
constexpr int kTransientWindowBackdrop = 3;

void setDwmAttribute(HWND window, DWORD attribute, int value) {
    DwmSetWindowAttribute(window, attribute, &value, sizeof(value));
}

}  // namespace

StatusOverlay::~StatusOverlay() { destroyWindow(); }

WindowClassLook StatusOverlay::windowClassLook() { return {L"VornikaOverlay", L"XATO: overlay oynasi yaratilmadi"}; }

bool StatusOverlay::create(HINSTANCE instance) {
    constexpr DWORD kExStyle = WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_TRANSPARENT | WS_EX_LAYERED | WS_EX_NOACTIVATE;
    if (!createObjectWindow(instance, kExStyle, L"", WS_POPUP, 0, 0, 340, 64, nullptr)) return false;
    createFonts();
    SetLayeredWindowAttributes(handle(), 0, kOverlayAlpha, LWA_ALPHA);
    setDwmAttribute(handle(), kWindowCornerPreference, kCornerRound);
    setDwmAttribute(handle(), kSystemBackdropType, kTransientWindowBackdrop);
    setDwmAttribute(handle(), kUseImmersiveDarkMode, 1);
    return true;
}

void StatusOverlay::rebuildForDpi() {
    createFonts();
    layout();
}

void StatusOverlay::createFonts() {
    textFont.reset();
    glyphFont.reset();
    textFont = createUiFont(kOverlayTextFontSize, kOverlayTextFontWeight, dpi());
    glyphFont = createUiFont(kOverlayGlyphFontSize, kOverlayGlyphFontWeight, dpi());
}

void StatusOverlay::show(OverlayKind newKind, const std::wstring& newText, int timeoutMilliseconds) {
    if (handle() == nullptr) return;
    kind = newKind;
    text = shown(newText);
    // Screen readers (and tests in other processes) read the message as the title.
    SetWindowTextW(handle(), text.c_str());
    KillTimer(handle(), kHideTimer);
    layout();
    InvalidateRect(handle(), nullptr, TRUE);
    ShowWindow(handle(), SW_SHOWNOACTIVATE);
    UpdateWindow(handle());
    if (timeoutMilliseconds > 0) SetTimer(handle(), kHideTimer, static_cast<UINT>(timeoutMilliseconds), nullptr);
}

void StatusOverlay::hide() {
    if (handle() == nullptr) return;
    KillTimer(handle(), kHideTimer);
    ShowWindow(handle(), SW_HIDE);
}

void StatusOverlay::layout() {
    if (handle() == nullptr) return;
    const Rect place = overlayWindowRect(cursorMonitorWorkArea(), dpi());
    SetWindowPos(handle(), HWND_TOPMOST, place.left, place.top, place.width(), place.height(), SWP_NOACTIVATE);
    // A move onto a monitor of another scale sends WM_DPICHANGED from inside
    // SetWindowPos, and the strip is laid out again at the new scale there:
    // the region follows the size the window has now, not the one above.
    RECT now{};
    GetWindowRect(handle(), &now);
    const int corner = overlayCornerDiameter(dpi());
    // The system owns the region once it is set.
    SetWindowRgn(handle(), CreateRoundRectRgn(0, 0, now.right - now.left + 1, now.bottom - now.top + 1, corner, corner),
                 TRUE);
}

void StatusOverlay::paint(HDC dc) const {
    RECT clientArea{};
    GetClientRect(handle(), &clientArea);
    const Rect client = fromRECT(clientArea);
    fillRect(dc, client, kOverlayBackground);
    SetBkMode(dc, TRANSPARENT);

    const SelectedObject glyphSelection(dc, glyphFont.get());
    SetTextColor(dc, toColorRef(overlayGlyphColour(kind)));
    RECT glyphArea = toRECT(overlayGlyphRect(client, dpi()));
    const std::wstring_view glyph = overlayGlyph(kind);
    DrawTextW(dc, glyph.data(), static_cast<int>(glyph.size()), &glyphArea, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);

    SelectObject(dc, textFont.get());
    SetTextColor(dc, toColorRef(kOverlayTextColour));
    const Rect area = overlayTextArea(client, dpi());
    RECT measured = toRECT(area);
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &measured, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
    RECT textArea = toRECT(centredTextRect(area, measured.bottom - measured.top));
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &textArea, DT_WORDBREAK | DT_NOPREFIX);
}

LRESULT StatusOverlay::handleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_MOUSEACTIVATE:
        return MA_NOACTIVATE;
    case WM_NCHITTEST:
        return HTTRANSPARENT;
    case WM_TIMER:
        if (wParam == kHideTimer) hide();
        return 0;
    default:
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
}
