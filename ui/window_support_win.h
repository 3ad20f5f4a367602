#pragma once
// What the program's windows share: the font recipe, colours and
// rectangles in Win32 form, and the monitor under the cursor.

#include <windows.h>

#include "diag/scoped_win.h"
#include "ui/geometry.h"

// Segoe UI (or the given face) at size units of 96 DPI, ClearType.
UniqueFont createUiFont(int size, int weight, int dpi, const wchar_t* face = L"Segoe UI", bool fixedPitch = false);

inline COLORREF toColorRef(Colour colour) { return RGB(colour.red, colour.green, colour.blue); }
inline RECT toRECT(const Rect& r) { return {r.left, r.top, r.right, r.bottom}; }
inline Rect fromRECT(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }

void fillRect(HDC dc, const Rect& rect, Colour colour);

// The work area of the monitor that holds the mouse cursor (the primary one
// when the cursor is on none).
Rect cursorMonitorWorkArea();

// The static window procedure of class T: the object passed as the creation
// parameter is kept in the window's user data and gets every later message
// through T::handleMessage. Messages before WM_NCCREATE (and after the
// object let go of its window) get default handling.
template <class T>
LRESULT CALLBACK objectWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* creation = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(creation->lpCreateParams));
    }
    auto* object = reinterpret_cast<T*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (message == WM_NCDESTROY) SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    if (object == nullptr || message == WM_NCCREATE) return DefWindowProcW(window, message, wParam, lParam);
    return object->handleMessage(window, message, wParam, lParam);
}
