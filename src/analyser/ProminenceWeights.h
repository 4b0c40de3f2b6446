#pragma once
// Weights of the prominence score, one per cue of DescribeSyllables, and
// the score's offset. Written by tests/tools/train_prominence.py from the
// labelled corpus (tests/tools/corpus/make_corpus.py); retrain rather than
// edit by hand.
#include "analyser/Prominence.h"

inline constexpr ProminenceFeatures ProminenceWeights = {
    0.0386438f,  0.0101716f,  0.103518f,   0.0488686f, -0.127734f,  -0.0409462f,  0.266912f,
    -1.256f,     0.00119679f, -0.604732f,  0.219971f,  0.0391308f,  1.08092f,     -0.0632805f,
    -0.0661723f, 0.0f,        0.00225684f, 0.0f,       -0.0377849f, 0.354637f,    0.594163f,
    0.0f,        0.0816572f,  0.00570602f, 0.579295f,  0.0457611f,  -2.02406f,    0.876829f,
    0.0f,        0.0f,        0.152141f,   0.0736943f, 0.225902f,   0.160601f,    -0.0540662f,
    -0.0262886f, 0.0654881f,  0.0217473f,  0.0413919f, -0.0146238f, -0.00878711f, 0.0134054f,
    0.0509518f,  -0.0796688f, -0.0334259f, 0.0132616f, 0.0051502f,  0.0842898f,   0.0922178f,
    0.02825f,    0.0182072f};
inline constexpr float ProminenceBias = -0.347924f;
