#pragma once
// Float samples from outside (a float recording, a decoder) as a sound can
// hold them. Left as they are, NaN and infinity reach a conversion to whole
// numbers that has no value for them, and came out as full-scale clicks.
#include <cmath>
#include <cstddef>

// NaN carries no sound; an infinite value is as loud as the scale goes.
inline float FiniteSample(float value)
{
    if (std::isnan(value)) return 0.0f;
    if (std::isinf(value)) return std::copysign(1.0f, value);
    return value;
}

inline void MakeSamplesFinite(float* samples, size_t count)
{
    for (size_t i = 0; i < count; ++i)
        samples[i] = FiniteSample(samples[i]);
}
