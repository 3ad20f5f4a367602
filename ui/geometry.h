#pragma once
// Rectangles, colours and DPI scaling as plain values, so window layouts are
// computed (and tested) without a window. Sizes in the windows are given in
// units at 96 DPI and scaled one number at a time.

#include <cstdint>

struct Rect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int width() const { return right - left; }
    int height() const { return bottom - top; }
    bool operator==(const Rect&) const = default;
};

struct Point {
    int x = 0;
    int y = 0;
    bool operator==(const Point&) const = default;
};

struct Size {
    int width = 0;
    int height = 0;
    bool operator==(const Size&) const = default;
};

struct Colour {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    bool operator==(const Colour&) const = default;
};

// number * numerator / denominator rounded to the nearest integer, halves
// away from zero, as Windows' MulDiv does; -1 for a zero denominator or a
// result outside the 32-bit range.
int mulDiv(int number, int numerator, int denominator);

// A distance in units at 96 DPI, in pixels at dpi.
inline int scaled(int units, int dpi) { return mulDiv(units, dpi, 96); }

// Where a width x height box goes to be centred in area (divisions truncate).
Point centredIn(const Rect& area, int width, int height);
