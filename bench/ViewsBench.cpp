// Drawing the six views of the exercise screen, maximised on a 1920 x 1080
// display, into the picture boxes' images: a 6 s phrase (30 steps, 600 pitch
// points) beside a 60 s one (300 steps, 6000 points), so the cost per sample
// and per point shows. The screen's target is a whole redraw within one
// frame (16 ms) for the 6 s phrase.
#include "exercise/StressLayout.h"
#include "views/DrawPitch.h"
#include "views/DrawSignal.h"
#include "views/DrawStress.h"
#include "views/ImageCanvas.h"
#include "views/PitchProcessing.h"
#include "views/ViewColours.h"

#include <benchmark/benchmark.h>

#include <QByteArray>

#include <cmath>
#include <cstdint>
#include <random>

namespace {

constexpr int SamplesPerSecond = 22050;
constexpr int PictureFrame = 2; // border of a picture box on each side

// A phrase as the analyser leaves it: steps with small gaps (some touching),
// pitch windows over their voiced middle, a falling contour with jitter, and
// a voiced waveform under each step.
struct Speaker
{
    PhraseData read;   // as the phrase file gives it
    PhraseData phrase; // trimmed, as the views draw it
    PitchTrack track;
    QByteArray bytes;
    WaveHeader samples;
};

Speaker MakeSpeaker(int seconds, int steps, int pitchPoints, unsigned seed)
{
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> jitter(-25, 25);
    std::uniform_int_distribution<int> height(3000, 30000);
    Speaker speaker;
    const int32_t sampleCount = seconds * SamplesPerSecond;
    PhraseData& phrase = speaker.phrase;
    phrase.PhraseStart = 2000;
    phrase.PhraseEnd = sampleCount - 2000;
    const int32_t stepSpan = (phrase.PhraseEnd - phrase.PhraseStart) / steps;
    int32_t highest = 0;
    for (int i = 1; i <= steps; ++i) {
        StepRecord& step = phrase.Steps[i];
        step.Start = phrase.PhraseStart + (i - 1) * stepSpan;
        step.Length = stepSpan - (i % 3 == 0 ? 5 : 400);
        step.PitchStart = step.Start + stepSpan / 8;
        step.PitchEnd = step.Start + step.Length - stepSpan / 8;
        step.Height = height(random);
        highest = std::max(highest, step.Height);
        phrase.TotalLength += step.Length;
    }
    phrase.StepCount = int16_t(steps);
    phrase.MaxHeight = int16_t(std::min(highest, 32767));

    // Voiced inside the pitch windows only, as the analyser marks it.
    const double hop = double(sampleCount) / pitchPoints;
    for (int i = 0, step = 1; i < pitchPoints; ++i) {
        const int32_t position = int32_t(std::lround(i * hop));
        while (step < steps && position > phrase.Steps[step].PitchEnd)
            ++step;
        const bool voiced =
            position > phrase.Steps[step].PitchStart && position <= phrase.Steps[step].PitchEnd;
        const double t = double(i) / pitchPoints;
        const int32_t value = int32_t(2200 - 800 * t + 150 * std::sin(t * 40)) + jitter(random);
        speaker.track.push_back(PitchPoint{position, voiced ? value : 0});
    }

    std::normal_distribution<double> noise(0.0, 300.0);
    speaker.bytes.resize(sampleCount * 2);
    for (int32_t n = 0; n < sampleCount; ++n) {
        const int step = std::clamp((n - phrase.PhraseStart) / std::max(stepSpan, 1) + 1, 1, steps);
        const double within = double(n - phrase.Steps[step].Start) / stepSpan;
        const double envelope = within > 0 && within < 1 ? std::sin(M_PI * within) : 0.0;
        const double value =
            12000 * envelope * std::sin(2 * M_PI * 180 * n / SamplesPerSecond) + noise(random);
        const int16_t sample = int16_t(std::clamp(value, -32768.0, 32767.0));
        speaker.bytes[2 * n] = char(uint16_t(sample) & 0xFF);
        speaker.bytes[2 * n + 1] = char(uint16_t(sample) >> 8);
    }
    speaker.samples.Data = speaker.bytes.data();
    speaker.samples.BufferLength = uint32_t(speaker.bytes.size());
    speaker.read = speaker.phrase;
    TrimPitchWindows(speaker.phrase, speaker.track);
    return speaker;
}

const Speaker& Phrase(int seconds)
{
    static const Speaker short6 = MakeSpeaker(6, 30, 600, 6);
    static const Speaker long60 = MakeSpeaker(60, 300, 6000, 60);
    return seconds == 6 ? short6 : long60;
}

// The inner sizes of the six picture boxes after the layout of a screen
// maximised to 1920 x 1080 (inner area 1920 x 1050 under the title bar).
struct ViewSizes
{
    QSize pitch, stress, signal;
};

QSize InnerSize(const StressLayout& layout, StressControl control)
{
    const std::array<int, 4> rect = layout.PixelRect(control);
    return QSize(rect[2] - 2 * PictureFrame, rect[3] - 2 * PictureFrame);
}

ViewSizes MaximisedSizes(StressControl pitch, StressControl stress, StressControl signal)
{
    StressLayout layout;
    layout.Capture(540, 382, (433 - 2 * PictureFrame) * TwipsPerPixel);
    layout.Resize(WindowNormal, 540, 382);
    layout.Resize(WindowMaximised, 1920, 1050);
    return ViewSizes{InnerSize(layout, pitch), InnerSize(layout, stress),
                     InnerSize(layout, signal)};
}

struct SpeakerBoxes
{
    ImageCanvas pitch;
    ImageCanvas stress;
    ImageCanvas signal;
    QColor pitchBack, stressBack, signalBack;

    SpeakerBoxes(const ViewSizes& sizes, QColor pitchBack, QColor stressBack, QColor signalBack)
        : pitch(sizes.pitch.width(), sizes.pitch.height(), pitchBack),
          stress(sizes.stress.width(), sizes.stress.height(), stressBack),
          signal(sizes.signal.width(), sizes.signal.height(), signalBack), pitchBack(pitchBack),
          stressBack(stressBack), signalBack(signalBack)
    {
    }

    // The redraw after a layout: pitch, stress, signal, then the pictures
    // as the boxes paint them.
    void Redraw(const Speaker& speaker)
    {
        DrawPitch(pitch, speaker.phrase, -1, -1, speaker.track, ViewForeColor, pitchBack);
        DrawStress(stress, speaker.phrase, stressBack, StandardLevelBounds,
                   StandardLevelBoundCount);
        DrawSignal(signal, speaker.phrase, speaker.samples, ViewForeColor, signalBack);
        benchmark::DoNotOptimize(pitch.Image().constBits());
        benchmark::DoNotOptimize(stress.Image().constBits());
        benchmark::DoNotOptimize(signal.Image().constBits());
    }
};

SpeakerBoxes NativeBoxes()
{
    return SpeakerBoxes(MaximisedSizes(StressControl::NativePitch, StressControl::NativeStress,
                                       StressControl::NativeSignal),
                        NativePitchBackColor, NativeStressBackColor, NativeSignalBackColor);
}

SpeakerBoxes StudentBoxes()
{
    return SpeakerBoxes(MaximisedSizes(StressControl::StudentPitch, StressControl::StudentStress,
                                       StressControl::StudentSignal),
                        StudentPitchBackColor, StudentStressBackColor, StudentSignalBackColor);
}

void SetLabel(benchmark::State& state, const ImageCanvas& box)
{
    state.SetLabel(std::to_string(state.range(0)) + " s phrase, box " +
                   std::to_string(box.Width()) + "x" + std::to_string(box.Height()));
}

void BM_SixViewsMaximised(benchmark::State& state)
{
    const Speaker& speaker = Phrase(int(state.range(0)));
    SpeakerBoxes native = NativeBoxes();
    SpeakerBoxes student = StudentBoxes();
    for (auto _ : state) {
        native.Redraw(speaker);
        student.Redraw(speaker);
    }
    SetLabel(state, native.pitch);
}
BENCHMARK(BM_SixViewsMaximised)->Arg(6)->Arg(60)->Unit(benchmark::kMillisecond);

void BM_PitchView(benchmark::State& state)
{
    const Speaker& speaker = Phrase(int(state.range(0)));
    SpeakerBoxes native = NativeBoxes();
    for (auto _ : state) {
        DrawPitch(native.pitch, speaker.phrase, -1, -1, speaker.track, ViewForeColor,
                  native.pitchBack);
        benchmark::DoNotOptimize(native.pitch.Image().constBits());
    }
    state.SetItemsProcessed(state.iterations() * int64_t(speaker.track.size()));
    SetLabel(state, native.pitch);
}
BENCHMARK(BM_PitchView)->Arg(6)->Arg(60)->Unit(benchmark::kMicrosecond);

void BM_StressView(benchmark::State& state)
{
    const Speaker& speaker = Phrase(int(state.range(0)));
    SpeakerBoxes native = NativeBoxes();
    for (auto _ : state) {
        DrawStress(native.stress, speaker.phrase, native.stressBack, StandardLevelBounds,
                   StandardLevelBoundCount);
        benchmark::DoNotOptimize(native.stress.Image().constBits());
    }
    state.SetItemsProcessed(state.iterations() * speaker.phrase.StepCount);
    SetLabel(state, native.stress);
}
BENCHMARK(BM_StressView)->Arg(6)->Arg(60)->Unit(benchmark::kMicrosecond);

void BM_SignalView(benchmark::State& state)
{
    const Speaker& speaker = Phrase(int(state.range(0)));
    SpeakerBoxes native = NativeBoxes();
    for (auto _ : state) {
        DrawSignal(native.signal, speaker.phrase, speaker.samples, ViewForeColor,
                   native.signalBack);
        benchmark::DoNotOptimize(native.signal.Image().constBits());
    }
    state.SetItemsProcessed(state.iterations() * int64_t(speaker.samples.BufferLength / 2));
    SetLabel(state, native.signal);
}
BENCHMARK(BM_SignalView)->Arg(6)->Arg(60)->Unit(benchmark::kMicrosecond);

// Once per read of a phrase file, not per redraw.
void BM_TrimPitchWindows(benchmark::State& state)
{
    const Speaker& speaker = Phrase(int(state.range(0)));
    for (auto _ : state) {
        PhraseData phrase = speaker.read;
        TrimPitchWindows(phrase, speaker.track);
        benchmark::DoNotOptimize(phrase.StepCount);
    }
    state.SetItemsProcessed(state.iterations() * int64_t(speaker.track.size()));
    state.SetLabel(std::to_string(state.range(0)) + " s phrase");
}
BENCHMARK(BM_TrimPitchWindows)->Arg(6)->Arg(60)->Unit(benchmark::kMicrosecond);

} // namespace
