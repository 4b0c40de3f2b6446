#include "course/SilenceTrim.h"
#include "audio/SampleValues.h"

#include <QFile>

#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

namespace {

constexpr double FrameSeconds = 0.010;
constexpr double SilenceBelowLoudestDb = 40;
// A room's steady noise is silence too: frames within this much of the
// recording's quietest tenth are not the phrase, though a frame louder than
// halfway (in decibels) from that floor to the loudest frame always is.
constexpr double SoundAboveFloorDb = 10;
// A click or a burst of noise shorter than this does not start the phrase.
constexpr int ShortestSoundFrames = 5;
// The loudness is measured above this, with two second-order high-pass
// sections, so that a sound card's constant offset, mains hum and a room's
// rumble do not count as sound; a low voice's fundamental loses little.
constexpr double HighPassHz = 90;

// One second-order Butterworth high-pass section (direct form I).
struct HighPass
{
    double b0 = 1, b1 = 0, b2 = 0, a1 = 0, a2 = 0;
    double x1 = 0, x2 = 0, y1 = 0, y2 = 0;

    HighPass(double cornerHz, int rate)
    {
        const double w = 2 * M_PI * cornerHz / rate;
        const double alpha = std::sin(w) / std::sqrt(2.0);
        const double a0 = 1 + alpha;
        b0 = (1 + std::cos(w)) / 2 / a0;
        b1 = -(1 + std::cos(w)) / a0;
        b2 = b0;
        a1 = -2 * std::cos(w) / a0;
        a2 = (1 - alpha) / a0;
    }

    double operator()(double x)
    {
        const double y = b0 * x + b1 * x1 + b2 * x2 - a1 * y1 - a2 * y2;
        x2 = x1;
        x1 = x;
        y2 = y1;
        y1 = y;
        return y;
    }
};
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

constexpr sf_count_t BlockFrames = 16384;

bool Open(const QString& path, SoundFile& file, SF_INFO& info)
{
    info = SF_INFO{};
    file.Handle = sf_open(QFile::encodeName(path).constData(), SFM_READ, &info);
    return file.Handle != nullptr;
}

// The loudness (RMS over every channel) of each frameLength frames, read a
// block at a time: a header may claim far more sound than memory holds.
// read receives the frames there were, at most mostFrames.
std::vector<double> FrameLoudness(SNDFILE* file, int channels, int rate, int frameLength,
                                  sf_count_t mostFrames, sf_count_t& read)
{
    std::vector<float> block(static_cast<size_t>(BlockFrames) * channels);
    std::vector<HighPass> first(size_t(channels), HighPass(HighPassHz, rate));
    std::vector<HighPass> second = first;
    std::vector<double> loudness;
    double sum = 0;
    int inFrame = 0;
    read = 0;
    sf_count_t got = 0;
    while (read < mostFrames &&
           (got = sf_readf_float(file, block.data(), std::min(BlockFrames, mostFrames - read))) >
               0) {
        MakeSamplesFinite(block.data(), static_cast<size_t>(got) * channels);
        for (sf_count_t i = 0; i < got; ++i) {
            for (int c = 0; c < channels; ++c) {
                const double value =
                    second[size_t(c)](first[size_t(c)](block[static_cast<size_t>(i) * channels + c]));
                sum += value * value;
            }
            if (++inFrame == frameLength) {
                loudness.push_back(std::sqrt(sum / double(inFrame * channels)));
                sum = 0;
                inFrame = 0;
            }
        }
        read += got;
    }
    if (inFrame > 0) loudness.push_back(std::sqrt(sum / double(inFrame * channels)));
    return loudness;
}

double Decibels(double dB)
{
    return std::pow(10.0, dB / 20.0);
}

// Silence is what lies 40 dB under the loudest frame or within 10 dB of the
// recording's steady floor, whichever is louder, though never more than
// halfway from the floor to the loudest frame: a recording without pauses,
// whose quietest tenth is quiet speech, keeps its speech.
double SilenceThreshold(const std::vector<double>& loudness, double loudest)
{
    std::vector<double> sorted = loudness;
    const auto tenth = sorted.begin() + std::ptrdiff_t(sorted.size() / 10);
    std::nth_element(sorted.begin(), tenth, sorted.end());
    const double floor = *tenth;
    return std::max(loudest * Decibels(-SilenceBelowLoudestDb),
                    std::min(floor * Decibels(SoundAboveFloorDb), std::sqrt(floor * loudest)));
}

// The first and the last frame of the sound: runs of loud frames long
// enough to be speech, or the loudest frame when no run is.
std::pair<size_t, size_t> SoundSpan(const std::vector<double>& loudness, double threshold)
{
    size_t first = loudness.size();
    size_t last = 0;
    size_t runStart = 0;
    for (size_t k = 0; k <= loudness.size(); ++k) {
        if (k < loudness.size() && loudness[k] > threshold) continue;
        if (k - runStart >= size_t(ShortestSoundFrames)) {
            first = std::min(first, runStart);
            last = k - 1;
        }
        runStart = k + 1;
    }
    if (first == loudness.size()) {
        first = last = size_t(std::max_element(loudness.begin(), loudness.end()) -
                              loudness.begin());
    }
    return {first, last};
}

} // namespace

TrimResult TrimSilence(const QString& input, const QString& output)
{
    TrimResult result;
    SF_INFO info{};
    SoundFile in;
    if (!Open(input, in, info)) {
        result.Problem = QString("cannot read the recording: %1").arg(sf_strerror(nullptr));
        return result;
    }
    if (info.samplerate <= 0 || info.channels <= 0 || info.frames <= 0 ||
        double(info.frames) / info.samplerate > LongestRecordingSeconds) {
        result.Problem = "the recording holds no samples, or is far too long for a phrase";
        return result;
    }
    const int frameLength = std::max(1, int(std::lround(info.samplerate * FrameSeconds)));
    sf_count_t read = 0;
    const std::vector<double> loudness =
        FrameLoudness(in.Handle, info.channels, info.samplerate, frameLength, info.frames, read);
    result.SecondsBefore = double(read) / info.samplerate;
    const double loudest =
        loudness.empty() ? 0 : *std::max_element(loudness.begin(), loudness.end());
    if (!(loudest > 0)) {
        result.Problem = "the recording is silent";
        return result;
    }
    const double threshold = SilenceThreshold(loudness, loudest);
    const auto [first, last] = SoundSpan(loudness, threshold);
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
    // The kept stretch, read again from the start: not every format seeks.
    SoundFile again;
    SF_INFO againInfo{};
    if (!Open(input, again, againInfo) || againInfo.channels != info.channels) {
        result.Problem = "cannot read the recording again";
        return result;
    }
    std::vector<float> block(static_cast<size_t>(BlockFrames) * info.channels);
    sf_count_t position = 0;
    while (position < end) {
        const sf_count_t want = std::min(BlockFrames, end - position);
        const sf_count_t got = sf_readf_float(again.Handle, block.data(), want);
        if (got <= 0) break;
        const sf_count_t from = std::max<sf_count_t>(begin - position, 0);
        if (from < got) {
            MakeSamplesFinite(block.data() + from * info.channels,
                              static_cast<size_t>(got - from) * info.channels);
            if (sf_writef_float(out.Handle, block.data() + from * info.channels, got - from) !=
                got - from) {
                result.Problem = QString("cannot write %1").arg(output);
                return result;
            }
        }
        position += got;
    }
    const sf_count_t frames = std::min(position, end) - begin;
    if (frames <= 0) {
        result.Problem = "cannot read the recording again";
        return result;
    }
    result.Written = true;
    result.SecondsAfter = double(frames) / info.samplerate;
    return result;
}
