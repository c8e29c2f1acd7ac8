#pragma once
// Helpers of the scaled (times Faktor) integer bounds of the Lagrangian methods.

#include <algorithm>
#include <climits>
#include <cstdint>

namespace tesmo {

// Smallest integer not below a / b, for b > 0.
inline std::int64_t ceilDiv(std::int64_t a, std::int64_t b) { return a >= 0 ? (a + b - 1) / b : -((-a) / b); }

// A 64-bit value held in an int, clamped to the int range.
inline int clampToInt(std::int64_t v) { return static_cast<int>(std::clamp<std::int64_t>(v, INT_MIN + 1, INT_MAX)); }

}  // namespace tesmo
