#include "ui/window_support_win.h"

UniqueFont createUiFont(int size, int weight, int dpi, const wchar_t* face, bool fixedPitch) {
    return UniqueFont(CreateFontW(-scaled(size, dpi), 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_TT_PRECIS,
                                  CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, fixedPitch ? FIXED_PITCH : VARIABLE_PITCH, face));
}

void fillRect(HDC dc, const Rect& rect, Colour colour) {
    const UniqueBrush brush(CreateSolidBrush(toColorRef(colour)));
    const RECT area = toRECT(rect);
    FillRect(dc, &area, brush.get());
}

Rect cursorMonitorWorkArea() {
    POINT cursor{};
    GetCursorPos(&cursor);
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    if (!GetMonitorInfoW(MonitorFromPoint(cursor, MONITOR_DEFAULTTOPRIMARY), &info)) {
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &info.rcWork, 0);
    }
    return fromRECT(info.rcWork);
}

std::wstring windowText(HWND window) {
    const int length = GetWindowTextLengthW(window);
    if (length <= 0) return {};
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(window, text.data(), length + 1)));
    return text;
}
