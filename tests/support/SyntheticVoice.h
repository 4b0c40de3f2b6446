#pragma once
// Test signals with known answers for the analyser: a vowel-like voice of a
// given pitch contour (a pulse train through two formant resonators),
// silences and noise, and their samples as PCM bytes for the sound files
// built chunk by chunk (support/RiffBytes.h).
#include "support/RiffBytes.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <vector>

struct VoiceSegment
{
    double Seconds = 0;
    double StartHz = 0;   // pitch at the start and the end, gliding between in log
    double EndHz = 0;     // frequency; 0 for a stretch without voice
    double Amplitude = 0; // peak of the voice, or RMS of the noise, full scale 1
    bool Noise = false;   // white noise instead of voice (pitch ignored)
};

struct SyntheticVoice
{
    std::vector<float> Samples;
    // The true pitch at every sample, 0 where there is no voice.
    std::vector<float> TrueHz;
};

SyntheticVoice SynthesiseVoice(const std::vector<VoiceSegment>& segments, int rate,
                               unsigned seed = 1);

// White noise of the given RMS.
std::vector<float> WhiteNoise(size_t count, double rms, unsigned seed);

// The samples as heard in a living room: echoes that decay by 60 dB in
// 0.8 s, mixed at twice the direct sound's gain, as from a speaker beyond
// the critical distance.
std::vector<float> InALivingRoom(const std::vector<float>& dry, int rate);

// Samples in [-1, 1] as little-endian PCM of 8 (unsigned), 16, 24 or 32 bits,
// the same value in every channel.
QByteArray PcmBytes(const std::vector<float>& samples, int bits, int channels);
