#include "authoring/PhraseAuthoring.h"

#include "analyser/PcmSamples.h"
#include "analyser/PhraseAnalysis.h"
#include "analyser/PitchTracker.h"
#include "audio/PhraseFile.h"
#include "audio/RiffFile.h"
#include "audio/SampleValues.h"

#include <QFile>
#include <QScopeGuard>

#include <sndfile.h>
#include <soxr.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>
#include <vector>

namespace {

// The most frames of a recording at rate that can make a phrase: the
// analyser takes at most MaxPitchPoints pitch frames at the native rate, and
// a tenth of a second more leaves the last word on that to the analysis.
sf_count_t LongestRecording(int rate)
{
    const double seconds = double(MaxPitchPoints) * PitchHop(NativeRate) / NativeRate + 0.1;
    return static_cast<sf_count_t>(std::ceil(seconds * rate));
}

// Reads the recording a block at a time and mixes its channels down as it
// goes, refusing one too long to be a phrase from its header or, when the
// header does not say, as soon as it has read that much: a whole lesson
// picked by mistake must neither fill the memory nor keep the author waiting.
// Channels that cancel in the mix (one microphone wired the wrong way round,
// the two halves of some laptops' microphone arrays) would leave an audible
// recording silent: then the loudest channel is taken alone.
bool ReadMono(const QString& path, std::vector<float>& mono, int& rate, std::string& problem)
{
    SF_INFO info{};
    SNDFILE* file = sf_open(QFile::encodeName(path).constData(), SFM_READ, &info);
    if (file == nullptr) {
        problem = std::string("cannot read the recording: ") + sf_strerror(nullptr);
        return false;
    }
    const auto closer = qScopeGuard([file] { sf_close(file); });
    if (info.channels <= 0 || info.samplerate <= 0) {
        problem = "the recording holds no samples";
        return false;
    }
    const sf_count_t longest = LongestRecording(info.samplerate);
    // A stream whose length the header leaves open says SF_COUNT_MAX.
    const bool lengthKnown = info.frames >= 0 && info.frames != SF_COUNT_MAX;
    const size_t channels = static_cast<size_t>(info.channels);
    std::vector<double> channelEnergy(channels, 0.0);
    // Reads the whole recording into mono: the channels' mean, or the one
    // channel only. False when it is longer than a phrase can be.
    const auto readAll = [&](std::optional<size_t> only) {
        constexpr sf_count_t blockFrames = 16384;
        std::vector<float> block(static_cast<size_t>(blockFrames) * channels);
        mono.clear();
        if (lengthKnown) mono.reserve(static_cast<size_t>(info.frames));
        sf_count_t got = 0;
        while ((got = sf_readf_float(file, block.data(), blockFrames)) > 0) {
            if (static_cast<sf_count_t>(mono.size()) + got > longest) return false;
            MakeSamplesFinite(block.data(), static_cast<size_t>(got) * channels);
            for (sf_count_t i = 0; i < got; ++i) {
                const float* frame = block.data() + static_cast<size_t>(i) * channels;
                if (only) {
                    mono.push_back(frame[*only]);
                    continue;
                }
                float sum = 0;
                for (size_t c = 0; c < channels; ++c) {
                    sum += frame[c];
                    channelEnergy[c] += double(frame[c]) * frame[c];
                }
                mono.push_back(sum / static_cast<float>(channels));
            }
        }
        return true;
    };
    const auto tooLong = [&problem] {
        problem = std::string("the analysis is not good: ") + ReasonTooLong;
        return false;
    };
    if ((lengthKnown && info.frames > longest) || !readAll(std::nullopt)) return tooLong();
    if (mono.empty()) {
        problem = "the recording holds no samples";
        return false;
    }
    double mixEnergy = 0;
    for (float sample : mono)
        mixEnergy += double(sample) * sample;
    const auto loudest = std::max_element(channelEnergy.begin(), channelEnergy.end());
    if (channels > 1 && MixCancels(mixEnergy, *loudest)) {
        if (sf_seek(file, 0, SEEK_SET) != 0 || !readAll(size_t(loudest - channelEnergy.begin()))) {
            problem = "cannot read the recording again";
            return false;
        }
    }
    rate = info.samplerate;
    return true;
}

bool Resample(std::vector<float>& samples, int rate, std::string& problem)
{
    if (rate == NativeRate) return true;
    const double ratio = static_cast<double>(NativeRate) / rate;
    std::vector<float> out(static_cast<size_t>(std::ceil(samples.size() * ratio)) + 16);
    size_t done = 0;
    const soxr_io_spec_t io = soxr_io_spec(SOXR_FLOAT32_I, SOXR_FLOAT32_I);
    const soxr_quality_spec_t quality = soxr_quality_spec(SOXR_HQ, 0);
    const soxr_error_t error =
        soxr_oneshot(rate, NativeRate, 1, samples.data(), samples.size(), nullptr, out.data(),
                     out.size(), &done, &io, &quality, nullptr);
    if (error != nullptr) {
        problem = std::string("cannot resample: ") + error;
        return false;
    }
    out.resize(done);
    samples = std::move(out);
    return true;
}

QByteArray ToSixteenBit(const std::vector<float>& samples)
{
    QByteArray bytes(static_cast<qsizetype>(samples.size() * 2), '\0');
    for (size_t i = 0; i < samples.size(); ++i) {
        const long value = std::clamp(std::lround(samples[i] * 32768.0f), -32768L, 32767L);
        bytes[static_cast<qsizetype>(2 * i)] = static_cast<char>(value & 0xFF);
        bytes[static_cast<qsizetype>(2 * i + 1)] = static_cast<char>((value >> 8) & 0xFF);
    }
    return bytes;
}

QByteArray ToBytes(const std::vector<char>& bytes)
{
    return QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

// What a step left without a syllable, or one holding a syllable more,
// costs against the syllables' times, in seconds: a syllable moves to a
// neighbouring step when it lies less than twice this outside it.
constexpr double UnevenStepSeconds = 0.08;

// The speech synthesiser's syllables, in order, shared out among the steps
// in order: step j takes syllables firsts[j] to firsts[j + 1] - 1. Each
// syllable lies as near its step as can be (its middle inside the step
// costs nothing, else its distance to it), every syllable has a step, and
// as few steps as can be are left empty or given two.
std::vector<size_t> GroupTimedSyllables(const std::vector<TimedSyllable>& timed,
                                        const PhraseSteps& steps)
{
    const size_t n = timed.size();
    const size_t m = steps.Steps.size();
    std::vector<size_t> firsts(m + 1, 0);
    if (m == 0) return firsts;
    const auto distance = [&](size_t k, size_t j) {
        const double sample = timed[k].Seconds * NativeRate;
        const StepRecord& step = steps.Steps[j];
        const double end = double(step.Start) + step.Length;
        return std::max({0.0, step.Start - sample, sample - end}) / NativeRate;
    };
    // cost[j][i]: the first i syllables on the first j steps; from[j][i]:
    // the first syllable of step j - 1 on that best way.
    constexpr double none = std::numeric_limits<double>::infinity();
    std::vector<std::vector<double>> cost(m + 1, std::vector<double>(n + 1, none));
    std::vector<std::vector<size_t>> from(m + 1, std::vector<size_t>(n + 1, 0));
    cost[0][0] = 0;
    for (size_t j = 1; j <= m; ++j) {
        for (size_t i = 0; i <= n; ++i) {
            double held = 0; // the distances of syllables k..i-1 to step j - 1
            for (size_t k = i + 1; k-- > 0;) {
                if (k < i) held += distance(k, j - 1);
                if (cost[j - 1][k] == none) continue;
                const size_t count = i - k;
                const double uneven =
                    UnevenStepSeconds * (count == 0 ? 1.0 : double(count - 1));
                const double total = cost[j - 1][k] + held + uneven;
                if (total < cost[j][i]) {
                    cost[j][i] = total;
                    from[j][i] = k;
                }
            }
        }
    }
    firsts[m] = n;
    for (size_t j = m; j > 0; --j)
        firsts[j - 1] = from[j][firsts[j]];
    return firsts;
}

// The entries of the "syl " chunk: placed on their steps' first samples.
SyllableList PlaceSyllables(const AuthoringSyllables& syllables, const PhraseSteps& steps)
{
    SyllableList placed;
    if (!syllables.Spelled.empty()) {
        if (syllables.Spelled.size() != steps.Steps.size()) return syllables.Spelled;
        placed = syllables.Spelled;
        for (size_t i = 0; i < placed.size(); ++i)
            placed[i].Start = steps.Steps[i].Start;
        return placed;
    }
    const std::vector<size_t> firsts = GroupTimedSyllables(syllables.Timed, steps);
    for (size_t j = 0; j < steps.Steps.size(); ++j) {
        Syllable entry;
        entry.Start = steps.Steps[j].Start;
        for (size_t k = firsts[j]; k < firsts[j + 1]; ++k) {
            const TimedSyllable& syllable = syllables.Timed[k];
            if (!entry.Text.isEmpty() && syllable.StartsWord) entry.Text += ' ';
            entry.Text += syllable.Text;
            entry.Stressed = entry.Stressed || syllable.Stressed;
        }
        if (!entry.Text.isEmpty()) placed.push_back(entry);
    }
    return placed;
}

int NamedStepCount(const SyllableList& entries, const PhraseSteps& steps)
{
    int named = 0;
    for (const StepRecord& step : steps.Steps) {
        const bool placed = std::any_of(entries.begin(), entries.end(),
                                        [&](const Syllable& s) { return s.Start == step.Start; });
        named += placed ? 1 : 0;
    }
    return named;
}

} // namespace

QByteArray FitPhraseText(QByteArray text)
{
    constexpr qsizetype limit = MaxPhraseTextBytes - 1;
    if (text.size() <= limit) return text;
    qsizetype cut = limit;
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80)
        --cut;
    return text.left(cut);
}

AuthoringResult AuthorPhraseFile(const QString& inputPath, const QString& outputPath,
                                 const QByteArray& text, const AuthoringSyllables& syllables)
{
    AuthoringResult result;
    std::vector<float> mono;
    int rate = 0;
    if (!ReadMono(inputPath, mono, rate, result.Problem) || !Resample(mono, rate, result.Problem))
        return result;

    // Analyse the 16-bit samples as they will be stored, so the steps and the
    // pitch track are what the analyser would find in the written file.
    const QByteArray samples = ToSixteenBit(mono);
    WaveFormat format;
    format.FormatTag = WaveFormatPcm;
    format.Channels = 1;
    format.SamplesPerSec = NativeRate;
    format.AvgBytesPerSec = NativeRate * 2;
    format.BlockAlign = 2;
    format.BitsPerSample = 16;
    PcmSamples pcm;
    if (!DecodePcm(format, samples.constData(), static_cast<size_t>(samples.size()), pcm,
                   result.Problem))
        return result;
    const PhraseAnalysis analysis = AnalysePhrase(pcm);
    if (!analysis.Good) {
        result.Problem = "the analysis is not good: " + analysis.Reason;
        return result;
    }

    // The syllables go last: readers that do not know the chunk never meet
    // it on their way to the chunks they look for.
    const SyllableList entries = PlaceSyllables(syllables, analysis.Steps);
    RiffWriter writer(outputPath);
    const bool written =
        writer.Open() && writer.CreateRiff(FourCC("WAVE")) &&
        writer.WriteChunk(FourCC("fmt "), FormatChunkBytes(format)) &&
        writer.WriteChunk(FourCC("snt "), EncodePhraseText(FitPhraseText(text))) &&
        writer.WriteChunk(FourCC("stp "), ToBytes(StepChunkBytes(analysis.Steps))) &&
        writer.WriteChunk(FourCC("data"), samples) &&
        writer.WriteChunk(FourCC("ptc "), ToBytes(PitchChunkBytes(analysis.Pitch))) &&
        (entries.empty() || writer.WriteChunk(FourCC("syl "), SyllableChunkData(entries))) &&
        writer.LeaveChunk() && writer.Commit();
    if (!written) {
        result.Problem = "cannot write " + QFile::encodeName(outputPath).toStdString();
        return result;
    }
    result.Written = true;
    result.Steps = static_cast<int>(analysis.Steps.Steps.size());
    result.VoicedPoints =
        static_cast<int>(std::count_if(analysis.Pitch.begin(), analysis.Pitch.end(),
                                       [](const PitchPoint& p) { return p.Value > 0; }));
    result.Seconds = static_cast<double>(mono.size()) / NativeRate;
    result.NamedSteps = NamedStepCount(entries, analysis.Steps);
    return result;
}
