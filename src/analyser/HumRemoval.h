#pragma once
// Steady disturbances that are not the voice: a DC offset, and mains hum
// (50 or 60 Hz and its harmonics), which lies inside the range of voice
// pitches and would otherwise read as a low, never-ending voice.
#include <vector>

// A first-order high-pass at about 20 Hz, in place.
void RemoveDcOffset(std::vector<float>& samples, int rate);

// Mains frequencies whose harmonics stand out as narrow, steady lines in
// the long-term spectrum of `low` (a copy of the recording at lowRate).
// Empty when there is no hum.
std::vector<double> FindHumLines(const std::vector<float>& low, double lowRate);

// Narrow notches (3 Hz wide, zero phase) at the given frequencies, in place.
void RemoveLines(std::vector<float>& samples, int rate, const std::vector<double>& lines);
