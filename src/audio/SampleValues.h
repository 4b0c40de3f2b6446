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

// Whether channels mixed down to mono cancel (one microphone wired the
// wrong way round, the two halves of some laptops' microphone arrays): the
// mix keeps less than a hundredth of the loudest channel's power. Even
// unrelated channels keep a quarter of it in a mix of two.
inline bool MixCancels(double mixEnergy, double loudestChannelEnergy)
{
    return mixEnergy < 0.01 * loudestChannelEnergy;
}
