#pragma once
// Reverberant rooms: how fast the room lets sound decay, and a copy of the
// recording with the late reverberation taken out, so that the echoes of a
// vowel that has ended do not read as a voice that goes on.
#include "analyser/PitchTracker.h"

#include <vector>

// The room's decay in dB per second, measured from the steepest falls of
// the 10-ms frame levels over `lagFrames`, or 0 when the recording has too
// few falls from well above its background to tell.
float RoomDecayRate(const std::vector<PitchFrame>& levels, float loudDb, int lagFrames);

// The room's decay as RoomDecayRate measures it over the settings' tail
// delay, when it is slow enough (ReverberantSeconds) for the recording's
// echoes to matter; 0 in a dry one.
float ReverberantDecayRate(const std::vector<PitchFrame>& levels, float loudDb,
                           const PitchSettings& settings);

// Spectral subtraction of the late reverberation (Lebart, Boucher and
// Denbigh 2001): in a room that decays at `decayDbPerSecond`, what is heard
// `delaySeconds` after a sound, less the decay, is echo; each short-time
// spectrum keeps only what exceeds the echo of the spectrum heard that much
// earlier, never less than `floorDb` of it. Returns a signal as long as
// `samples` (at `rate`).
std::vector<float> SuppressLateReverberation(const std::vector<float>& samples, double rate,
                                             float decayDbPerSecond, float delaySeconds,
                                             float floorDb, float echoScale = 1);
