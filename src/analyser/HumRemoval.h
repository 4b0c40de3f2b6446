#pragma once
// Steady disturbances that are not the voice: a DC offset, mains hum (50 or
// 60 Hz and its harmonics) and low rumble (wind, traffic, a desk knocked),
// which lie inside the range of voice pitches and would otherwise read as a
// low, never-ending voice or drown the voice's own periodicity.
#include <vector>

// A first-order high-pass at about 20 Hz, in place.
void RemoveDcOffset(std::vector<float>& samples, int rate);

// Mains frequencies whose harmonics stand out as narrow, steady lines in
// the long-term spectrum of `low` (a copy of the recording at lowRate).
// Empty when there is no hum.
std::vector<double> FindHumLines(const std::vector<float>& low, double lowRate);

// Narrow notches (3 Hz wide, zero phase) at the given frequencies, in place.
void RemoveLines(std::vector<float>& samples, int rate, const std::vector<double>& lines);

// Whether the pauses of the recording (the 10-ms frames of `low`, at
// lowRate, whose vowel band lies 30 dB or more below its loud frames) hold
// noise under 100 Hz within RumbleLevelDb of those loud frames.
inline constexpr float RumbleLevelDb = -30;
bool FindRumble(const std::vector<float>& low, double lowRate);

// A fourth-order Butterworth high-pass at RumbleCutoffHz, in place. Under
// a low voice it takes the fundamental too; the harmonics above it still
// repeat at the voice's period.
inline constexpr double RumbleCutoffHz = 150;
void RemoveRumble(std::vector<float>& samples, int rate);
