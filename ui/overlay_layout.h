#pragma once
// What the status strip draws and where it goes, as pure functions: the
// window code only asks the system for the work area and the DPI.

#include <cstdint>
#include <string_view>

#include "ui/geometry.h"

enum class OverlayKind : std::int32_t { Recording = 0, Working = 1, Warning = 3 };

inline constexpr Colour kOverlayBackground{28, 28, 30};
inline constexpr Colour kOverlayTextColour{245, 245, 247};
inline constexpr int kOverlayTextFontSize = 15;
inline constexpr int kOverlayTextFontWeight = 600;
inline constexpr int kOverlayGlyphFontSize = 22;
inline constexpr int kOverlayGlyphFontWeight = 400;
inline constexpr std::uint8_t kOverlayAlpha = 235;

std::wstring_view overlayGlyph(OverlayKind kind);
Colour overlayGlyphColour(OverlayKind kind);

// Centred horizontally in the work area, its bottom 120 units above the
// work area's bottom; 340 x 64 units.
Rect overlayWindowRect(const Rect& workArea, int dpi);
// Width and height of the corner ellipse of the window's rounded region.
int overlayCornerDiameter(int dpi);

// Inside the client area: the glyph's column, and the column the text wraps in.
Rect overlayGlyphRect(const Rect& client, int dpi);
Rect overlayTextArea(const Rect& client, int dpi);
// The text's rectangle once measured: centred vertically when it fits,
// otherwise from the top (and cut off at the bottom).
Rect centredTextRect(const Rect& area, int measuredHeight);
