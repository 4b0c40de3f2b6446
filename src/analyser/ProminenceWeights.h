#pragma once
// Weights of the prominence score, one per cue of DescribeSyllables, and
// the score's offset. Written by tests/tools/train_prominence.py from the
// labelled corpus (tests/tools/corpus/make_corpus.py); retrain rather than
// edit by hand.
#include "analyser/Prominence.h"

inline constexpr ProminenceFeatures ProminenceWeights = {
    0.0364503f,  0.0118615f,  0.101228f,   0.0475091f,  -0.130847f,   0.0294203f, 0.159943f,
    -1.1814f,    0.143229f,   -0.570427f,  0.220103f,   0.0933583f,   1.10468f,   -0.0504175f,
    -0.0223072f, 0.0f,        0.0012059f,  0.0f,        -0.129941f,   0.361324f,  0.530194f,
    0.0f,        0.0643098f,  0.00689508f, 0.0596482f,  0.0555641f,   -2.06168f,  1.76408f,
    0.0f,        0.0f,        0.157128f,   0.0271262f,  0.365586f,    0.33376f,   -0.0305439f,
    -0.0323128f, 0.067123f,   0.0235301f,  0.00187025f, 0.0026096f,   0.0133317f, 0.0068498f,
    0.0469403f,  -0.0879206f, -0.0202896f, 0.0180893f,  -0.00229487f, 0.100154f,  0.0761885f,
    0.0298032f,  0.0412228f};
inline constexpr float ProminenceBias = -0.00946276f;
