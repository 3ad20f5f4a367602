#pragma once
// The translucent strip at the bottom of the screen the mouse is on: it says
// that a take is recording, that recognition is working, or what went wrong.
// It never takes the focus and lets clicks through. GUI thread only.

#include <string>

#include <windows.h>

#include "ui/object_window_win.h"
#include "ui/overlay_layout.h"
#include "ui/window_support_win.h"

class StatusOverlay : public ObjectWindow<StatusOverlay> {
public:
    StatusOverlay() = default;
    ~StatusOverlay();
    StatusOverlay(const StatusOverlay&) = delete;
    StatusOverlay& operator=(const StatusOverlay&) = delete;

    // Creates the hidden window; false (and a log line) when it cannot, after
    // which show and hide do nothing.
    bool create(HINSTANCE instance);
    // Replaces what is shown; a timeout above 0 hides it after that many ms.
    void show(OverlayKind kind, const std::wstring& text, int timeoutMilliseconds);
    void hide();
    // Sizes and places the strip for the current DPI on the cursor's monitor.
    void layout();

    OverlayKind shownKind() const { return kind; }
    const std::wstring& shownText() const { return text; }

    LRESULT handleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    static WindowClassLook windowClassLook();

private:
    friend class ObjectWindow<StatusOverlay>;
    static constexpr UINT_PTR kHideTimer = 1;

    void createFonts();
    void rebuildForDpi();
    void paint(HDC dc) const;

    OverlayKind kind = OverlayKind::Recording;
    std::wstring text;
    UniqueFont textFont;
    UniqueFont glyphFont;
};
