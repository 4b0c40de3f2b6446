#include "views/ViewDescription.h"

#include <algorithm>
#include <vector>

namespace {

QString Steps(int count)
{
    return count == 1 ? QString("1 step") : QString("%1 steps").arg(count);
}

} // namespace

PhraseEnding EndingOf(const PhraseData& phrase, const PitchTrack& track)
{
    // The last run of voiced points inside the phrase, at most its last 300 ms
    // (30 points of 10 ms), decides: a change of more than a semitone or so
    // between its first and last thirds is a rise or a fall.
    std::vector<int32_t> run;
    for (const PitchPoint& point : track) {
        if (point.Position < phrase.PhraseStart || point.Position > phrase.PhraseEnd) continue;
        if (point.Value > 0)
            run.push_back(point.Value);
        else if (!run.empty())
            run.clear();
    }
    if (run.empty()) {
        // The phrase may end unvoiced: take the last voiced run before the end.
        std::vector<int32_t> current;
        for (const PitchPoint& point : track) {
            if (point.Position < phrase.PhraseStart || point.Position > phrase.PhraseEnd) continue;
            if (point.Value > 0) {
                current.push_back(point.Value);
                run = current;
            } else {
                current.clear();
            }
        }
    }
    if (run.size() < 3) return PhraseEnding::Unknown;
    if (run.size() > 30) run.erase(run.begin(), run.end() - 30);
    const size_t third = std::max<size_t>(1, run.size() / 3);
    double first = 0;
    double last = 0;
    for (size_t i = 0; i < third; ++i) {
        first += run[i];
        last += run[run.size() - 1 - i];
    }
    const double ratio = last / first;
    if (ratio > 1.06) return PhraseEnding::Rises;
    if (ratio < 1 / 1.06) return PhraseEnding::Falls;
    return PhraseEnding::Level;
}

QString DescribePitchView(const QString& speaker, const PhraseData& phrase, const PitchTrack& track)
{
    QString text = speaker + " intonation: " + Steps(std::max<int>(phrase.StepCount, 0));
    switch (EndingOf(phrase, track)) {
    case PhraseEnding::Rises:
        return text + "; the voice rises at the end.";
    case PhraseEnding::Falls:
        return text + "; the voice falls at the end.";
    case PhraseEnding::Level:
        return text + "; the voice stays level at the end.";
    case PhraseEnding::Unknown:
        break;
    }
    return text + "; no clear pitch at the end.";
}

QString DescribeStressView(const QString& speaker, const PhraseData& phrase)
{
    const int count = std::clamp<int>(phrase.StepCount, 0, MaxSteps);
    if (count == 0) return speaker + " stress: no steps.";
    int strongest = 1;
    for (int i = 2; i <= count; ++i) {
        if (phrase.Steps[i].Height > phrase.Steps[strongest].Height) strongest = i;
    }
    return speaker +
           QString(" stress: %1; the strongest is step %2.").arg(Steps(count)).arg(strongest);
}

QString DescribeSignalView(const QString& speaker, const PhraseData& phrase,
                           const WaveFormat& format)
{
    if (format.SamplesPerSec == 0 || phrase.PhraseEnd <= phrase.PhraseStart)
        return speaker + " waveform.";
    const double seconds =
        double(int64_t(phrase.PhraseEnd) - phrase.PhraseStart + 1) / format.SamplesPerSec;
    return speaker + QString(" waveform: %1 seconds of speech.").arg(seconds, 0, 'f', 1);
}
