#pragma once
// What the program's windows share: the font recipe, colours and
// rectangles in Win32 form, and the monitor under the cursor.

#include <string>

#include <windows.h>

#include "diag/scoped_win.h"
#include "ui/geometry.h"

// Segoe UI (or the given face) at size units of 96 DPI, ClearType.
UniqueFont createUiFont(int size, int weight, int dpi, const wchar_t* face = L"Segoe UI", bool fixedPitch = false);

inline COLORREF toColorRef(Colour colour) { return RGB(colour.red, colour.green, colour.blue); }
inline RECT toRECT(const Rect& r) { return {r.left, r.top, r.right, r.bottom}; }
inline Rect fromRECT(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }

void fillRect(HDC dc, const Rect& rect, Colour colour);
// A control's whole text (an edit control's, however long).
std::wstring windowText(HWND window);

// The work area of the monitor that holds the mouse cursor (the primary one
// when the cursor is on none).
Rect cursorMonitorWorkArea();
