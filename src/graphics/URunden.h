#pragma once
// Rounding of the graphics library: to the nearest integer, halves to the even
// neighbour (2.5 -> 2, 3.5 -> 4, -2.5 -> -2). Conversions to int saturate, so
// that no coordinate, however absurd, leads to an undefined conversion.
#include <cmath>
#include <cstdint>
#include <limits>

// Coordinates a figure may store: magnitudes from this on are refused.
inline constexpr double CoordinateLimit = 100000.0;

inline bool StorableCoordinate(double v) { return std::fabs(v) < CoordinateLimit; }

// Halves to even, whatever rounding mode the process may have set.
inline double RoundEven(double v) {
    double r = std::round(v);  // halves away from zero
    if (std::fabs(r - v) == 0.5 && std::fmod(r, 2.0) != 0.0) r -= (r > v) ? 1.0 : -1.0;
    return r;
}

// Clamps into [lo, hi]; NaN gives 0 (or lo when 0 lies outside).
inline std::int64_t SaturateToInt64(double v, std::int64_t lo, std::int64_t hi) {
    if (std::isnan(v)) return (lo <= 0 && 0 <= hi) ? 0 : lo;
    if (v <= static_cast<double>(lo)) return lo;
    if (v >= static_cast<double>(hi)) return hi;
    return static_cast<std::int64_t>(v);
}

inline std::int32_t SaturateInt32(std::int64_t v) {
    if (v < std::numeric_limits<std::int32_t>::min()) return std::numeric_limits<std::int32_t>::min();
    if (v > std::numeric_limits<std::int32_t>::max()) return std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(v);
}

// round() into a 32-bit integer attribute value.
inline std::int32_t RoundInt(double v) {
    return static_cast<std::int32_t>(SaturateToInt64(RoundEven(v), std::numeric_limits<std::int32_t>::min(),
                                                     std::numeric_limits<std::int32_t>::max()));
}
