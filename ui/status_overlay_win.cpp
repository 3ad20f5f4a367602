#include "ui/status_overlay.h"

#include <dwmapi.h>

#include "diag/log.h"

namespace {

constexpr wchar_t kClassName[] = L"VornikaOverlay";

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

StatusOverlay::~StatusOverlay() { window.reset(); }

bool StatusOverlay::create(HINSTANCE moduleInstance) {
    instance = moduleInstance;
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = objectWindowProcedure<StatusOverlay>;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.lpszClassName = kClassName;
    RegisterClassExW(&windowClass);

    window.reset(CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_TRANSPARENT | WS_EX_LAYERED | WS_EX_NOACTIVATE,
                                 kClassName, L"", WS_POPUP, 0, 0, 340, 64, nullptr, nullptr, instance, this));
    if (!window) {
        logLine(L"XATO: overlay oynasi yaratilmadi");
        return false;
    }
    dpi = static_cast<int>(GetDpiForWindow(window.get()));
    if (dpi <= 0) dpi = 96;
    createFonts();
    SetLayeredWindowAttributes(window.get(), 0, kOverlayAlpha, LWA_ALPHA);
    setDwmAttribute(window.get(), kWindowCornerPreference, kCornerRound);
    setDwmAttribute(window.get(), kSystemBackdropType, kTransientWindowBackdrop);
    setDwmAttribute(window.get(), kUseImmersiveDarkMode, 1);
    return true;
}

void StatusOverlay::createFonts() {
    textFont.reset();
    glyphFont.reset();
    textFont = createUiFont(kOverlayTextFontSize, kOverlayTextFontWeight, dpi);
    glyphFont = createUiFont(kOverlayGlyphFontSize, kOverlayGlyphFontWeight, dpi);
}

void StatusOverlay::show(OverlayKind newKind, const std::wstring& newText, int timeoutMilliseconds) {
    if (!window) return;
    kind = newKind;
    text = newText;
    // Screen readers (and tests in other processes) read the message as the title.
    SetWindowTextW(window.get(), text.c_str());
    KillTimer(window.get(), kHideTimer);
    layout();
    InvalidateRect(window.get(), nullptr, TRUE);
    ShowWindow(window.get(), SW_SHOWNOACTIVATE);
    UpdateWindow(window.get());
    if (timeoutMilliseconds > 0) SetTimer(window.get(), kHideTimer, static_cast<UINT>(timeoutMilliseconds), nullptr);
}

void StatusOverlay::hide() {
    if (!window) return;
    KillTimer(window.get(), kHideTimer);
    ShowWindow(window.get(), SW_HIDE);
}

void StatusOverlay::layout() {
    if (!window) return;
    const Rect place = overlayWindowRect(cursorMonitorWorkArea(), dpi);
    SetWindowPos(window.get(), HWND_TOPMOST, place.left, place.top, place.width(), place.height(), SWP_NOACTIVATE);
    const int corner = overlayCornerDiameter(dpi);
    // The system owns the region once it is set.
    SetWindowRgn(window.get(), CreateRoundRectRgn(0, 0, place.width() + 1, place.height() + 1, corner, corner), TRUE);
}

void StatusOverlay::paint(HDC dc) const {
    RECT clientArea{};
    GetClientRect(window.get(), &clientArea);
    const Rect client = fromRECT(clientArea);
    fillRect(dc, client, kOverlayBackground);
    SetBkMode(dc, TRANSPARENT);

    const SelectedObject glyphSelection(dc, glyphFont.get());
    SetTextColor(dc, toColorRef(overlayGlyphColour(kind)));
    RECT glyphArea = toRECT(overlayGlyphRect(client, dpi));
    const std::wstring_view glyph = overlayGlyph(kind);
    DrawTextW(dc, glyph.data(), static_cast<int>(glyph.size()), &glyphArea, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);

    SelectObject(dc, textFont.get());
    SetTextColor(dc, toColorRef(kOverlayTextColour));
    const Rect area = overlayTextArea(client, dpi);
    RECT measured = toRECT(area);
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &measured, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
    RECT textArea = toRECT(centredTextRect(area, measured.bottom - measured.top));
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &textArea, DT_WORDBREAK | DT_NOPREFIX);
}

LRESULT StatusOverlay::handleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT: {
        const PaintScope painting(hwnd);
        paint(painting.context());
        return 0;
    }
    case WM_ERASEBKGND:
        return 1;
    case WM_MOUSEACTIVATE:
        return MA_NOACTIVATE;
    case WM_NCHITTEST:
        return HTTRANSPARENT;
    case WM_TIMER:
        if (wParam == kHideTimer) hide();
        return 0;
    case WM_DPICHANGED:
        dpi = HIWORD(wParam);
        createFonts();
        layout();
        InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    default:
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
}
