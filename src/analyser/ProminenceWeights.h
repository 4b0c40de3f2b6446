#pragma once
// Weights of the prominence score, one per cue of DescribeSyllables, and
// the score's offset. Written by tests/tools/train_prominence.py from the
// labelled corpus (tests/tools/corpus/make_corpus.py); retrain rather than
// edit by hand.
#include "analyser/Prominence.h"

inline constexpr ProminenceFeatures ProminenceWeights = {
    0.0404085f, 0.00831059f, 0.111952f,   0.0523822f, -0.134253f,  -0.0261997f, 0.207644f,
    -1.2637f,   0.0125311f,  -0.57014f,   0.231212f,  0.0514831f,  1.1675f,     -0.0676419f,
    -0.064991f, 0.0f,        0.00310608f, 0.0f,       -0.0110997f, 0.505904f,   0.563485f,
    0.0f,       0.112199f,   -0.0293049f, 0.570374f,  0.0431353f,  -2.21447f,   0.0136295f,
    0.0f,       0.0f,        -0.146996f,  -0.065821f, 0.0853735f,  0.0257878f,  0.131424f,
    0.104415f,  0.0250898f,  0.0305294f,  0.0572337f};
inline constexpr float ProminenceBias = -0.259769f;
