#include "ui/overlay_layout.h"

std::wstring_view overlayGlyph(OverlayKind kind) {
    switch (kind) {
    case OverlayKind::Recording:
        return L"\u25CF";
    case OverlayKind::Working:
        return L"\u22EF";
    default:
        return L"\u26A0";
    }
}

Colour overlayGlyphColour(OverlayKind kind) {
    switch (kind) {
    case OverlayKind::Recording:
        return {255, 69, 58};
    case OverlayKind::Working:
        return {160, 160, 165};
    default:
        return {255, 189, 46};
    }
}

Rect overlayWindowRect(const Rect& workArea, int dpi) {
    const int width = scaled(340, dpi);
    const int height = scaled(64, dpi);
    const int x = workArea.left + (workArea.width() - width) / 2;
    const int y = workArea.bottom - scaled(120, dpi) - height;
    return {x, y, x + width, y + height};
}

int overlayCornerDiameter(int dpi) { return scaled(14, dpi); }

Rect overlayGlyphRect(const Rect& client, int dpi) {
    const int left = scaled(18, dpi);
    return {left, client.top, left + scaled(28, dpi), client.bottom};
}

Rect overlayTextArea(const Rect& client, int dpi) {
    const int left = scaled(28, dpi) + scaled(18, dpi) + scaled(8, dpi);
    return {left, client.top, client.right - scaled(18, dpi), client.bottom};
}

Rect centredTextRect(const Rect& area, int measuredHeight) {
    Rect text = area;
    const int freeHeight = area.height() - measuredHeight;
    if (freeHeight > 0) {
        text.top += freeHeight / 2;
        text.bottom = text.top + measuredHeight;
    }
    return text;
}
