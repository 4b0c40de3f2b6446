#include "course/SilenceTrim.h"
#include "audio/SampleValues.h"

#include <QFile>

#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

constexpr double FrameSeconds = 0.010;
constexpr double SilenceBelowLoudestDb = 40;
constexpr double KeptMarginSeconds = 0.150;
// A recording of more than this is no phrase: refuse before allocating.
constexpr double LongestRecordingSeconds = 600;

struct SoundFile
{
    SNDFILE* Handle = nullptr;
    ~SoundFile()
    {
        if (Handle != nullptr) sf_close(Handle);
    }
};

std::vector<double> FrameLoudness(const std::vector<float>& samples, int channels, int frameLength)
{
    const size_t frames = samples.size() / static_cast<size_t>(channels);
    std::vector<double> loudness;
    for (size_t start = 0; start < frames; start += static_cast<size_t>(frameLength)) {
        const size_t end = std::min(frames, start + static_cast<size_t>(frameLength));
        double sum = 0;
        for (size_t i = start * channels; i < end * channels; ++i)
            sum += double(samples[i]) * samples[i];
        loudness.push_back(std::sqrt(sum / double((end - start) * channels)));
    }
    return loudness;
}

} // namespace

TrimResult TrimSilence(const QString& input, const QString& output)
{
    TrimResult result;
    SF_INFO info{};
    SoundFile in;
    in.Handle = sf_open(QFile::encodeName(input).constData(), SFM_READ, &info);
    if (in.Handle == nullptr) {
        result.Problem = QString("cannot read the recording: %1").arg(sf_strerror(nullptr));
        return result;
    }
    if (info.samplerate <= 0 || info.channels <= 0 || info.frames <= 0 ||
        double(info.frames) / info.samplerate > LongestRecordingSeconds) {
        result.Problem = "the recording holds no samples, or is far too long for a phrase";
        return result;
    }
    std::vector<float> samples(static_cast<size_t>(info.frames) * info.channels);
    const sf_count_t read = sf_readf_float(in.Handle, samples.data(), info.frames);
    samples.resize(static_cast<size_t>(std::max<sf_count_t>(read, 0)) * info.channels);
    MakeSamplesFinite(samples.data(), samples.size());
    result.SecondsBefore = double(read) / info.samplerate;

    const int frameLength = std::max(1, int(std::lround(info.samplerate * FrameSeconds)));
    const std::vector<double> loudness = FrameLoudness(samples, info.channels, frameLength);
    const double loudest =
        loudness.empty() ? 0 : *std::max_element(loudness.begin(), loudness.end());
    if (!(loudest > 0)) {
        result.Problem = "the recording is silent";
        return result;
    }
    const double threshold = loudest * std::pow(10.0, -SilenceBelowLoudestDb / 20.0);
    const auto isSound = [threshold](double value) { return value > threshold; };
    const size_t first = std::find_if(loudness.begin(), loudness.end(), isSound) - loudness.begin();
    const size_t last =
        loudness.size() - 1 -
        (std::find_if(loudness.rbegin(), loudness.rend(), isSound) - loudness.rbegin());
    const sf_count_t margin = std::lround(KeptMarginSeconds * info.samplerate);
    const sf_count_t begin = std::max<sf_count_t>(0, sf_count_t(first) * frameLength - margin);
    const sf_count_t end = std::min<sf_count_t>(read, sf_count_t(last + 1) * frameLength + margin);

    SF_INFO outInfo{};
    outInfo.samplerate = info.samplerate;
    outInfo.channels = info.channels;
    outInfo.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    SoundFile out;
    out.Handle = sf_open(QFile::encodeName(output).constData(), SFM_WRITE, &outInfo);
    if (out.Handle == nullptr) {
        result.Problem = QString("cannot write %1: %2").arg(output, sf_strerror(nullptr));
        return result;
    }
    // Clipping on conversion rather than wrapping: a float sample past full
    // scale becomes full scale.
    sf_command(out.Handle, SFC_SET_CLIPPING, nullptr, SF_TRUE);
    const sf_count_t frames = end - begin;
    if (sf_writef_float(out.Handle, samples.data() + begin * info.channels, frames) != frames) {
        result.Problem = QString("cannot write %1").arg(output);
        return result;
    }
    result.Written = true;
    result.SecondsAfter = double(frames) / info.samplerate;
    return result;
}
