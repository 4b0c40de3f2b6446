#pragma once
// Weights of the prominence score, one per cue of DescribeSyllables, and
// the score's offset. Written by tests/tools/train_prominence.py from the
// labelled corpus (tests/tools/corpus/make_corpus.py); retrain rather than
// edit by hand.
#include "analyser/Prominence.h"

inline constexpr ProminenceFeatures ProminenceWeights = {
    0.0304805f,  0.0204911f,  0.101708f,   0.0512074f,  -0.114762f,    -0.00455568f, 0.113679f,
    -1.15758f,   0.101421f,   -0.568681f,  0.222072f,   0.095202f,     1.07589f,     -0.0464934f,
    -0.0108592f, 0.0f,        0.00148806f, 0.0f,        -0.106173f,    0.403693f,    0.539556f,
    0.0f,        0.06982f,    0.00328137f, 0.0622014f,  0.0477684f,    -2.12117f,    1.32059f,
    0.0f,        0.0f,        0.148976f,   0.0161098f,  0.255646f,     0.330338f,    -0.0268484f,
    -0.0367792f, 0.0692299f,  0.0241305f,  0.00349762f, 0.00503077f,   0.00926903f,  0.0193344f,
    0.0501992f,  -0.0945814f, -0.0151538f, 0.0159464f,  -7.08154e-05f, 0.0989805f,   0.0732816f,
    0.0332296f,  0.0331542f};
inline constexpr float ProminenceBias = -0.01793f;
