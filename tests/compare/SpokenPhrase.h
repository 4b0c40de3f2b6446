#pragma once
// Phrases built step by step for the comparison's tests: each step a
// stretch of voice gliding between two pitches (a sine at that pitch, so the
// samples have the level the step asks for), with pauses between steps
// where wanted, and the pitch track and steps the analyser would write.
#include "audio/PhraseData.h"
#include "compare/PhraseComparison.h"
#include "support/PhraseFileBytes.h"

#include <QByteArray>

#include <cmath>
#include <vector>

struct SpokenStep
{
    double Seconds = 0.2;
    double StartHz = 150;
    double EndHz = 150;  // 0 for a pause: no step, no voice
    double Level = 0.25; // peak of the sine, full scale 1
};

inline SpokenStep Pause(double seconds)
{
    return SpokenStep{seconds, 0, 0, 0};
}

struct SpokenPhrase
{
    PhraseData Phrase;
    PitchTrack Pitch;
    QByteArray SampleBytes;
    WaveHeader Samples;
    WaveFormat Format;

    SpokenPhrase() = default;
    SpokenPhrase(const SpokenPhrase& other) { *this = other; }
    SpokenPhrase& operator=(const SpokenPhrase& other)
    {
        Phrase = other.Phrase;
        Pitch = other.Pitch;
        SampleBytes = other.SampleBytes;
        Format = other.Format;
        Samples.Data = SampleBytes.data();
        Samples.BufferLength = uint32_t(SampleBytes.size());
        return *this;
    }

    SpeakerPhrase Speaker() const { return SpeakerPhrase{Phrase, Pitch, Samples, Format}; }

    // The phrase sound file as the analyser leaves it, with any further
    // chunks (whole, with their headers) after "ptc ".
    QByteArray FileBytes(const QByteArray& text = "abc", const QByteArray& extra = {}) const
    {
        using namespace testbytes;
        std::vector<Step> steps;
        for (int i = 1; i <= Phrase.StepCount; ++i) {
            const StepRecord& s = Phrase.Steps[i];
            steps.push_back({s.Start, s.Start + s.Length - 1, s.PitchStart, s.PitchEnd, s.Reserved1,
                             s.Reserved2, s.Height});
        }
        std::vector<std::pair<int32_t, int32_t>> points;
        for (const PitchPoint& p : Pitch)
            points.push_back({p.Position, p.Value});
        return Riff(Chunk("fmt ", FormatData(Format)) + Chunk("snt ", EncodePhraseText(text)) +
                    Chunk("stp ", StepData(Phrase.PhraseStart, Phrase.PhraseEnd, steps)) +
                    Chunk("data", SampleBytes) + Chunk("ptc ", PitchData(points)) + extra);
    }
};

// leadSeconds of silence before the first step and after the last.
inline SpokenPhrase Speak(const std::vector<SpokenStep>& steps, double leadSeconds = 0.1)
{
    constexpr int rate = 22050;
    constexpr int hop = 220;
    SpokenPhrase spoken;
    std::vector<double> hz; // the true pitch at every sample
    std::vector<int16_t> samples;
    auto silence = [&](double seconds) {
        for (int k = 0; k < int(seconds * rate); ++k) {
            hz.push_back(0);
            samples.push_back(0);
        }
    };
    silence(leadSeconds);
    double phase = 0;
    for (const SpokenStep& step : steps) {
        if (step.EndHz <= 0) {
            silence(step.Seconds);
            continue;
        }
        const int length = int(step.Seconds * rate);
        StepRecord& record = spoken.Phrase.Steps[++spoken.Phrase.StepCount];
        record.Start = int32_t(hz.size());
        record.Length = length;
        record.PitchStart = record.Start - 1;
        record.PitchEnd = record.Start + length - 1;
        record.Height = 10000;
        for (int k = 0; k < length; ++k) {
            const double f = step.StartHz * std::pow(step.EndHz / step.StartHz, double(k) / length);
            phase += 2 * M_PI * f / rate;
            hz.push_back(f);
            samples.push_back(int16_t(std::lround(32767 * step.Level * std::sin(phase))));
        }
    }
    silence(leadSeconds);
    PhraseData& phrase = spoken.Phrase;
    phrase.PhraseStart = phrase.Steps[1].Start;
    phrase.PhraseEnd =
        phrase.Steps[phrase.StepCount].Start + phrase.Steps[phrase.StepCount].Length - 1;
    for (int i = 1; i <= phrase.StepCount; ++i) {
        phrase.TotalLength += phrase.Steps[i].Length;
        phrase.MaxHeight = int16_t(std::max<int32_t>(phrase.MaxHeight, phrase.Steps[i].Height));
    }
    for (size_t position = 0; position < hz.size(); position += hop)
        spoken.Pitch.push_back({int32_t(position), int32_t(std::lround(hz[position] * 10))});
    spoken.SampleBytes =
        QByteArray(reinterpret_cast<const char*>(samples.data()), qsizetype(samples.size() * 2));
    spoken = SpokenPhrase(spoken); // points the header at the bytes
    return spoken;
}
