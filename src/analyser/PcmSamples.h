#pragma once
// The samples of a wave file's "data" chunk as the analyser works on them:
// one channel of floats in [-1, 1], whatever the stored format was.
#include "audio/PhraseData.h"

#include <cstddef>
#include <string>
#include <vector>

struct PcmSamples
{
    std::vector<float> Mono; // channels averaged; one value per sample frame
    int Rate = 0;            // sample frames per second
    double ClippedShare = 0; // share of stored values at either end of the scale
};

// Why DecodePcm cannot read this format ("not PCM", ...), or empty when it
// can. Decided from the header alone.
std::string PcmFormatProblem(const WaveFormat& format);

// Bytes of one sample frame (all channels) of a format DecodePcm reads.
size_t PcmFrameBytes(const WaveFormat& format);

// Decodes integer PCM of 8 (unsigned), 16, 24 or 32 bits and 32-bit float,
// any number of channels, little-endian. A trailing partial frame is
// ignored. False, with the reason in `problem`, for formats it cannot read.
bool DecodePcm(const WaveFormat& format, const char* data, size_t size, PcmSamples& samples,
               std::string& problem);

inline constexpr uint16_t WaveFormatPcm = 1;
inline constexpr uint16_t WaveFormatFloat = 3;
