#pragma once
// Rounding and range checks shared by the views and the pitch processing.
// Fractional values become integers by rounding to the nearest, halves to
// even; a result that does not fit its integer type is reported instead of
// wrapping, so that the caller can stop drawing cleanly.
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>

// Nearest integer, halves to even (the default floating-point rounding).
inline double RoundHalfEven(double value)
{
    return std::nearbyint(value);
}

inline bool FitsInt32(int64_t value)
{
    return value >= std::numeric_limits<int32_t>::min() &&
           value <= std::numeric_limits<int32_t>::max();
}

// value rounded half to even, or nothing when it is not a number or does
// not fit in 32 bits.
inline std::optional<int32_t> RoundToInt32(double value)
{
    const double rounded = RoundHalfEven(value);
    if (!(rounded >= std::numeric_limits<int32_t>::min() &&
          rounded <= std::numeric_limits<int32_t>::max()))
        return std::nullopt;
    return static_cast<int32_t>(rounded);
}

// value rounded half to even and held to the 16-bit range (0 for a value
// that is not a number).
inline int16_t RoundToInt16Saturated(double value)
{
    const double rounded = RoundHalfEven(value);
    if (std::isnan(rounded)) return 0;
    if (rounded < std::numeric_limits<int16_t>::min()) return std::numeric_limits<int16_t>::min();
    if (rounded > std::numeric_limits<int16_t>::max()) return std::numeric_limits<int16_t>::max();
    return static_cast<int16_t>(rounded);
}
