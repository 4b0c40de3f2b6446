#pragma once
// The spectral envelope of a vowel, for telling full vowels from reduced
// ones: mel-frequency cepstral coefficients (Davis and Mermelstein 1980) of
// a short window around a syllable's nucleus.
#include <array>
#include <cstdint>
#include <vector>

inline constexpr int VowelCepstrumSize = 8;
using VowelCepstrum = std::array<float, VowelCepstrumSize>;

// Coefficients 1 to 8 (the level, coefficient 0, left out) of a window of
// about 23 ms centred on each position (samples of `samples`, at `rate`).
std::vector<VowelCepstrum> VowelCepstra(const std::vector<float>& samples, int rate,
                                        const std::vector<int32_t>& positions);
