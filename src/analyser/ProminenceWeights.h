#pragma once
// Weights of the prominence score, one per cue of DescribeSyllables, and
// the score's offset. Written by tests/tools/train_prominence.py from the
// labelled corpus (tests/tools/corpus/make_corpus.py); retrain rather than
// edit by hand.
#include "analyser/Prominence.h"

inline constexpr ProminenceFeatures ProminenceWeights = {
    0.0364503f,  0.0118615f,  0.101228f,   0.0475091f,  -0.130847f,   0.0294203f, 0.159943f,
    -1.1814f,    0.143229f,   -0.570428f,  0.220103f,   0.0933584f,   1.10468f,   -0.0504175f,
    -0.0223072f, 0.0f,        0.0012059f,  0.0f,        -0.129941f,   0.361324f,  0.530194f,
    0.0f,        0.0643099f,  0.0068951f,  0.0596482f,  0.0555642f,   -2.06168f,  1.76408f,
    0.0f,        0.0f,        0.157128f,   0.0271261f,  0.365586f,    0.33376f,   -0.0305438f,
    -0.0323128f, 0.067123f,   0.02353f,    0.00187033f, 0.00260966f,  0.0133318f, 0.00684955f,
    0.0469404f,  -0.0879207f, -0.0202896f, 0.0180893f,  -0.00229476f, 0.100154f,  0.0761884f,
    0.0298031f,  0.041223f};
inline constexpr float ProminenceBias = -0.00946314f;
