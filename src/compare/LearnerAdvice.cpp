#include "compare/LearnerAdvice.h"

#include "compare/PhraseComparison.h"

#include <cmath>

namespace {

// Below these the difference is not worth a learner's attention.
constexpr double NotablePitchSemitones = 4;
constexpr double NotableRhythmDifference = 15; // pairwise variability points

QString NameOf(const Comparison& comparison, int modelStep)
{
    const int index = modelStep - 1;
    if (index >= 0 && index < int(comparison.ModelNames.size()) &&
        !comparison.ModelNames[index].isEmpty())
        return comparison.ModelNames[index].toUpper();
    return {};
}

// The model's step that the learner's step answers (the first, when it
// answers several).
int ModelStepFor(const Comparison& comparison, int learnerStep)
{
    for (const StepPair& pair : comparison.StressAlignment) {
        if (pair.Learner == learnerStep) return pair.Model;
    }
    return learnerStep;
}

QString StressSentence(const Comparison& comparison)
{
    const int model = comparison.ModelStress;
    const int learner = ModelStepFor(comparison, comparison.LearnerStress);
    const QString modelName = NameOf(comparison, model);
    const QString learnerName = NameOf(comparison, learner);
    const bool named = !modelName.isEmpty() && !learnerName.isEmpty() && modelName != learnerName;
    if (comparison.StressMatch && !comparison.SameStressedStep)
        return QStringLiteral("Your stresses follow the model's.");
    if (comparison.StressMatch) {
        return !modelName.isEmpty()
                   ? QStringLiteral("You stress %1, as the model does.").arg(modelName)
                   : QStringLiteral("You stress the same beat as the model.");
    }
    // Both peaks in one step of the model's, which holds two of the
    // learner's syllables: say which way the learner's lies.
    if (learner == model) {
        const QString modelStress =
            modelName.isEmpty() ? QStringLiteral("the %1 beat").arg(Ordinal(model)) : modelName;
        return QStringLiteral("The model stresses %1; your stress comes %2.")
            .arg(modelStress,
                 comparison.StressOffset < 0 ? QStringLiteral("earlier") : QStringLiteral("later"));
    }
    if (named)
        return QStringLiteral("The model stresses %1; you stressed %2.")
            .arg(modelName, learnerName);
    return QStringLiteral("The model stresses the %1 beat; you stressed the %2.")
        .arg(Ordinal(model), Ordinal(learner));
}

QString Movement(Ending ending)
{
    switch (ending) {
    case Ending::Rise:
        return QStringLiteral("rises");
    case Ending::Fall:
        return QStringLiteral("falls");
    case Ending::Level:
        break;
    }
    return QStringLiteral("stays level");
}

QString EndingSentence(const Comparison& comparison)
{
    if (comparison.EndingMatch)
        return QStringLiteral("Your voice %1 at the end, as the model's does.")
            .arg(Movement(comparison.LearnerEnding.Kind));
    return QStringLiteral("The model's voice %1 at the end; yours %2.")
        .arg(Movement(comparison.ModelEnding.Kind), Movement(comparison.LearnerEnding.Kind));
}

// The step whose pitch is furthest from the model's, when it is far.
QString PitchSentence(const Comparison& comparison)
{
    const StepComparison* furthest = nullptr;
    for (const StepComparison& step : comparison.Steps) {
        const bool voiced = comparison.Model.Steps[step.ModelStep - 1].Voiced &&
                            comparison.Learner.Steps[step.LearnerStep - 1].Voiced;
        if (voiced && std::abs(step.PitchSemitones) >= NotablePitchSemitones &&
            (furthest == nullptr ||
             std::abs(step.PitchSemitones) > std::abs(furthest->PitchSemitones)))
            furthest = &step;
    }
    if (furthest == nullptr) return {};
    const QString name = NameOf(comparison, furthest->ModelStep);
    const QString where =
        name.isEmpty() ? QStringLiteral("the %1 beat").arg(Ordinal(furthest->ModelStep)) : name;
    return QStringLiteral("Your voice is too %1 on %2.")
        .arg(furthest->PitchSemitones > 0 ? QStringLiteral("high") : QStringLiteral("low"), where);
}

QString RhythmSentence(const Comparison& comparison)
{
    const double difference = comparison.LearnerRhythm - comparison.ModelRhythm;
    if (difference <= -NotableRhythmDifference)
        return QStringLiteral("Your beats are more even than the model's.");
    if (difference >= NotableRhythmDifference)
        return QStringLiteral("Your beats are less even than the model's.");
    return QStringLiteral("Your rhythm is close to the model's.");
}

} // namespace

QString Ordinal(int number)
{
    const int lastTwo = std::abs(number) % 100;
    const int last = std::abs(number) % 10;
    const char* suffix = "th";
    if (lastTwo < 11 || lastTwo > 13) {
        if (last == 1) suffix = "st";
        if (last == 2) suffix = "nd";
        if (last == 3) suffix = "rd";
    }
    return QString::number(number) + QLatin1String(suffix);
}

QStringList AdviseLearner(const Comparison& comparison)
{
    QStringList differences;
    QStringList agreements;
    (comparison.StressMatch ? agreements : differences) << StressSentence(comparison);
    (comparison.EndingMatch ? agreements : differences) << EndingSentence(comparison);
    if (const QString pitch = PitchSentence(comparison); !pitch.isEmpty()) differences << pitch;
    const QString rhythm = RhythmSentence(comparison);
    (std::abs(comparison.LearnerRhythm - comparison.ModelRhythm) < NotableRhythmDifference
         ? agreements
         : differences)
        << rhythm;
    QStringList advice = differences + agreements;
    while (advice.size() > MaxAdviceSentences)
        advice.removeLast();
    return advice;
}
