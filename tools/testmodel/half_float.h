#pragma once
// IEEE 754 binary16 from float, rounding to nearest even (as the model files store weights).

#include <cstdint>
#include <cstring>

inline std::uint16_t toHalf(float value) {
    std::uint32_t x;
    std::memcpy(&x, &value, sizeof x);
    const std::uint32_t sign = (x >> 16) & 0x8000u;
    const std::uint32_t absBits = x & 0x7FFFFFFFu;
    if (absBits >= 0x7F800000u) return static_cast<std::uint16_t>(sign | 0x7C00u | (absBits > 0x7F800000u ? 0x200u : 0u));
    if (absBits >= 0x477FF000u) return static_cast<std::uint16_t>(sign | 0x7C00u);  // overflows to infinity
    if (absBits < 0x38800000u) {  // subnormal or zero in half precision
        if (absBits < 0x33000000u) return static_cast<std::uint16_t>(sign);
        const std::uint32_t mantissa = (absBits & 0x007FFFFFu) | 0x00800000u;
        const int shift = 126 - static_cast<int>(absBits >> 23);  // 14..24
        std::uint32_t half = mantissa >> shift;
        const std::uint32_t rest = mantissa & ((1u << shift) - 1);
        const std::uint32_t halfway = 1u << (shift - 1);
        if (rest > halfway || (rest == halfway && (half & 1u))) ++half;
        return static_cast<std::uint16_t>(sign | half);
    }
    std::uint32_t half = ((absBits - 0x38000000u) >> 13);
    const std::uint32_t rest = absBits & 0x1FFFu;
    if (rest > 0x1000u || (rest == 0x1000u && (half & 1u))) ++half;
    return static_cast<std::uint16_t>(sign | half);
}
