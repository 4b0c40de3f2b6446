#include "compare/PhraseComparison.h"

#include "compare/LearnerAdvice.h"

#include <algorithm>
#include <cmath>

namespace {

// Half the stress points go to stressing the model's step; the other half
// to how prominent each speaker makes the step the other one stresses, so a
// near miss between two almost equal accents costs little.
constexpr double StressPoints = 20;
constexpr double StressAgreementPoints = 20;
constexpr double EndingPoints = 30;
constexpr double PartEndingPoints = 12; // one speaker level, the other moving
constexpr double PitchPoints = 15;
constexpr double DurationPoints = 15;
// The learner's stress peak must lie within half a mean step of the
// model's: a step of one speaker may hold two syllables of the other.
constexpr double StressDistanceSteps = 0.5;
// A learner whose step at the model's stress is within half a semitone of
// pitch peak (or its worth in voicing and loudness) of their strongest step
// has not stressed elsewhere: listeners do not hear so small a difference
// as more prominence, and the model's own voice, taken through a
// microphone, moves the measure by about as much.
constexpr double StressTieStrength = 0.5;
// A phrase of this many steps carries several accents, and which of them
// comes out highest varies from speaker to speaker; there the learner also
// stresses as the model does when the prominences of the aligned steps
// follow the model's this closely (correlation).
constexpr int SeveralAccentsSteps = 5;
constexpr double FollowingPattern = 0.6;
// The pitch part falls to 1/e of its points at this root mean square
// difference of the aligned steps' pitch; the length part at this mean
// |ln ratio| of their shares.
constexpr double PitchFalloffSemitones = 4;
constexpr double DurationFalloff = 0.5;

QString ProblemOf(const SpeakerProsody& speaker, const char* whose)
{
    if (speaker.Steps.empty()) return QStringLiteral("the %1 phrase has no steps").arg(whose);
    if (speaker.Contour.Points.empty())
        return QStringLiteral("the %1 phrase has no voiced pitch").arg(whose);
    return {};
}

bool PathHolds(const std::vector<StepPair>& path, int model, int learner)
{
    return std::any_of(path.begin(), path.end(), [&](const StepPair& pair) {
        return pair.Model == model && pair.Learner == learner;
    });
}

// Of the learner's steps aligned with the model's stressed step, the
// strongest, when it is as strong as the learner's strongest but for a
// tie's width; -1 otherwise.
int TiedWithModelStress(const SpeakerProsody& model, const SpeakerProsody& learner,
                        const std::vector<StepPair>& path)
{
    int best = -1;
    for (const StepPair& pair : path) {
        if (pair.Model != model.StressedStep) continue;
        if (best < 0 || learner.Steps[pair.Learner].Strength > learner.Steps[best].Strength)
            best = pair.Learner;
    }
    if (best < 0) return -1;
    const double strongest = learner.Steps[learner.StressedStep].Strength;
    return learner.Steps[best].Strength >= strongest - StressTieStrength ? best : -1;
}

// The learner's stress peak laid onto the model's time, less the model's
// stress peak, in the model's mean step lengths.
double StressOffset(const SpeakerProsody& model, const SpeakerProsody& learner,
                    const std::vector<StepPair>& path)
{
    const StepProsody& modelPeak = model.Steps[model.StressedStep];
    const StepProsody& learnerPeak = learner.Steps[learner.StressedStep];
    double warped = modelPeak.PeakSeconds;
    WarpToModel(WarpSegments(model.Steps, learner.Steps, path), learnerPeak.PeakSeconds, warped);
    double speaking = 0;
    for (const StepProsody& step : model.Steps)
        speaking += step.EndSeconds - step.StartSeconds;
    const double meanStep = speaking / double(model.Steps.size());
    return meanStep > 0 ? (warped - modelPeak.PeakSeconds) / meanStep : 0;
}

// The correlation of the prominences of the aligned steps (0 when either
// speaker's are all equal).
double ProminencePattern(const SpeakerProsody& model, const SpeakerProsody& learner,
                         const std::vector<StepPair>& path)
{
    double sumModel = 0, sumLearner = 0;
    for (const StepPair& pair : path) {
        sumModel += model.Steps[pair.Model].Prominence;
        sumLearner += learner.Steps[pair.Learner].Prominence;
    }
    const double n = double(path.size());
    double covariance = 0, varModel = 0, varLearner = 0;
    for (const StepPair& pair : path) {
        const double a = model.Steps[pair.Model].Prominence - sumModel / n;
        const double b = learner.Steps[pair.Learner].Prominence - sumLearner / n;
        covariance += a * b;
        varModel += a * a;
        varLearner += b * b;
    }
    return varModel > 0 && varLearner > 0 ? covariance / std::sqrt(varModel * varLearner) : 0;
}

StepComparison CompareSteps(const StepProsody& model, const StepProsody& learner,
                            const StepPair& pair)
{
    StepComparison step;
    step.ModelStep = pair.Model + 1;
    step.LearnerStep = pair.Learner + 1;
    step.PitchSemitones = model.Voiced && learner.Voiced ? learner.Pitch - model.Pitch : 0;
    step.DurationRatio = model.DurationShare > 0 ? learner.DurationShare / model.DurationShare : 1;
    step.Prominence = learner.Bar - model.Bar;
    return step;
}

// How prominent each speaker makes the step the other one stresses (1 when
// the stresses match): the smaller of the two.
double StressAgreement(const Comparison& comparison)
{
    if (comparison.StressMatch) return 1;
    double learnerThere = 0;
    double modelThere = 0;
    for (const StepPair& pair : comparison.StressAlignment) {
        const StepProsody& model = comparison.Model.Steps[pair.Model - 1];
        const StepProsody& learner = comparison.Learner.Steps[pair.Learner - 1];
        if (pair.Model == comparison.ModelStress)
            learnerThere = std::max(learnerThere, learner.Prominence);
        if (pair.Learner == comparison.LearnerStress)
            modelThere = std::max(modelThere, model.Prominence);
    }
    return std::min(learnerThere, modelThere);
}

} // namespace

int ScoreComparison(const Comparison& comparison)
{
    double score = (comparison.StressMatch ? StressPoints : 0) +
                   StressAgreementPoints * StressAgreement(comparison);
    if (comparison.EndingMatch)
        score += EndingPoints;
    else if (comparison.ModelEnding.Kind == Ending::Level ||
             comparison.LearnerEnding.Kind == Ending::Level)
        score += PartEndingPoints;

    double pitchSquares = 0;
    int voicedPairs = 0;
    double durationSum = 0;
    for (const StepComparison& step : comparison.Steps) {
        const bool voiced = comparison.Model.Steps[step.ModelStep - 1].Voiced &&
                            comparison.Learner.Steps[step.LearnerStep - 1].Voiced;
        if (voiced) {
            pitchSquares += step.PitchSemitones * step.PitchSemitones;
            ++voicedPairs;
        }
        durationSum += std::abs(std::log(std::max(step.DurationRatio, 1e-3)));
    }
    if (voicedPairs > 0)
        score +=
            PitchPoints * std::exp(-std::sqrt(pitchSquares / voicedPairs) / PitchFalloffSemitones);
    if (!comparison.Steps.empty())
        score += DurationPoints *
                 std::exp(-durationSum / double(comparison.Steps.size()) / DurationFalloff);
    return std::clamp(int(std::lround(score)), 0, 100);
}

Comparison ComparePhrases(const SpeakerPhrase& model, const SpeakerPhrase& learner,
                          const SyllableList& syllables)
{
    Comparison comparison;
    SpeakerProsody modelProsody =
        DescribeSpeaker(model.Phrase, model.Pitch, model.Samples, model.Format);
    SpeakerProsody learnerProsody =
        DescribeSpeaker(learner.Phrase, learner.Pitch, learner.Samples, learner.Format);
    comparison.Problem = ProblemOf(modelProsody, "model's");
    if (comparison.Problem.isEmpty()) comparison.Problem = ProblemOf(learnerProsody, "learner's");
    if (!comparison.Problem.isEmpty()) return comparison;

    const std::vector<StepPair> path = AlignSteps(modelProsody.Steps, learnerProsody.Steps);
    const std::vector<StepPair> inTime =
        AlignSteps(modelProsody.Steps, learnerProsody.Steps, AlignmentCues::Timing);
    const int tied = TiedWithModelStress(modelProsody, learnerProsody, inTime);
    if (tied >= 0) learnerProsody.StressedStep = tied;
    comparison.StressOffset = StressOffset(modelProsody, learnerProsody, inTime);
    comparison.StressPattern = ProminencePattern(modelProsody, learnerProsody, inTime);
    comparison.SameStressedStep =
        PathHolds(inTime, modelProsody.StressedStep, learnerProsody.StressedStep) &&
        std::abs(comparison.StressOffset) < StressDistanceSteps;
    comparison.StressMatch =
        comparison.SameStressedStep || (int(modelProsody.Steps.size()) >= SeveralAccentsSteps &&
                                        comparison.StressPattern >= FollowingPattern);
    comparison.ModelStress = modelProsody.StressedStep + 1;
    comparison.LearnerStress = learnerProsody.StressedStep + 1;
    comparison.ModelEnding = modelProsody.Ending;
    comparison.LearnerEnding = learnerProsody.Ending;
    comparison.EndingMatch = modelProsody.Ending.Kind == learnerProsody.Ending.Kind;
    comparison.ModelRhythm = modelProsody.Rhythm;
    comparison.LearnerRhythm = learnerProsody.Rhythm;
    for (const StepPair& pair : inTime)
        comparison.StressAlignment.push_back({pair.Model + 1, pair.Learner + 1});
    for (const StepPair& pair : path) {
        comparison.Alignment.push_back({pair.Model + 1, pair.Learner + 1});
        comparison.Steps.push_back(
            CompareSteps(modelProsody.Steps[pair.Model], learnerProsody.Steps[pair.Learner], pair));
    }
    comparison.Model = std::move(modelProsody);
    comparison.Learner = std::move(learnerProsody);
    comparison.ModelNames = NameSteps(model.Phrase, syllables);
    comparison.Score = ScoreComparison(comparison);
    comparison.Advice = AdviseLearner(comparison);
    return comparison;
}

Comparison ComparePhrases(const LoadedPhrase& model, const LoadedPhrase& learner,
                          const SyllableList& syllables)
{
    return ComparePhrases(
        SpeakerPhrase{model.Phrase, model.Pitch, model.Samples, model.Format},
        SpeakerPhrase{learner.Phrase, learner.Pitch, learner.Samples, learner.Format}, syllables);
}
