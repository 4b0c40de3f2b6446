#pragma once
// A comparison as one JSON object for other programs, with the keys they
// rely on (stress, ending, score, alignment, steps, advice) and the figures
// of each speaker's steps beyond them. Steps count from 1.
#include "compare/PhraseComparison.h"

#include <string>

// The object, on one line ending in a line break.
std::string ComparisonJson(const Comparison& comparison);

// value with at most `decimals` decimals, trailing zeros dropped, and 0
// for a value that is not finite ("-0" is "0").
std::string FormatFigure(double value, int decimals);
