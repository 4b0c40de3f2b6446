#pragma once
// Weights of the prominence score, one per cue of DescribeSyllables, and
// the score's offset. Written by tests/tools/train_prominence.py from the
// labelled corpus (tests/tools/corpus/make_corpus.py); retrain rather than
// edit by hand.
#include "analyser/Prominence.h"

inline constexpr ProminenceFeatures ProminenceWeights = {
    0.00443533f, 0.0f,        0.0985083f,  0.0454396f, -0.116277f,  0.0359326f,
    0.227544f,   -1.31992f,   -0.0598964f, -0.630098f, 0.227852f,   0.0510704f,
    1.19057f,    -0.0679975f, -0.0574735f, 0.0f,       0.00707524f, 0.0f,
    -0.0658616f, 0.609912f,   0.62467f,    0.0f,       0.0543674f,  -0.0183706f,
    0.634957f,   0.0495961f,  -2.32542f,   -0.468627f, 0.0f,        0.0f};
inline constexpr float ProminenceBias = -0.108465f;
