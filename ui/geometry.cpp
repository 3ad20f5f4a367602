#include "ui/geometry.h"

#include <climits>

int mulDiv(int number, int numerator, int denominator) {
    if (denominator == 0) return -1;
    long long a = number;
    long long divisor = denominator;
    if (divisor < 0) {
        a = -a;
        divisor = -divisor;
    }
    const long long product = a * numerator;
    const long long half = divisor / 2;
    const long long result = product >= 0 ? (product + half) / divisor : (product - half) / divisor;
    if (result > INT_MAX || result < -INT_MAX) return -1;
    return static_cast<int>(result);
}

Point centredIn(const Rect& area, int width, int height) {
    return {area.left + (area.width() - width) / 2, area.top + (area.height() - height) / 2};
}
