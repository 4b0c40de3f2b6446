#pragma once
// What the comparison of a take with the native speaker's phrase says about
// it, as the practice history keeps it. Every field is optional: a take
// stored before the comparison ran, or without one, has none of them.
#include <optional>

inline constexpr int LowestScore = 0;
inline constexpr int HighestScore = 100;

struct TakeMarks
{
    std::optional<int> Score;        // LowestScore..HighestScore; higher is closer to the model
    std::optional<bool> StressMatch; // the most prominent steps of both speakers align
    std::optional<bool> EndingMatch; // the phrase ends with the same movement (rise, fall, level)

    friend bool operator==(const TakeMarks&, const TakeMarks&) = default;
};

// The one place where a comparison's outcome becomes a take's marks: the
// comparison reports its score as a real number, which is kept as a whole
// number within the score range (a score that is not a number is left out
// rather than stored as a false 0).
TakeMarks MarksFromComparison(double score, bool stressMatch, bool endingMatch);
