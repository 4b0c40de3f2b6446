#pragma once
// Recordings in the containers libsndfile writes, for the tests that feed
// recordings in from outside.
#include <QFile>
#include <QString>

#include <sndfile.h>

#include <vector>

// Writes interleaved samples of the given channels, repeats times over, as
// format (SF_FORMAT_FLAC | SF_FORMAT_PCM_16, ...) at rate. False when the
// file cannot be written whole.
inline bool WriteSoundFile(const QString& path, int format, int rate, int channels,
                           const std::vector<float>& interleaved, int repeats = 1)
{
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = channels;
    info.format = format;
    SNDFILE* file = sf_open(QFile::encodeName(path).constData(), SFM_WRITE, &info);
    if (file == nullptr) return false;
    const sf_count_t frames = sf_count_t(interleaved.size()) / channels;
    bool whole = true;
    for (int r = 0; r < repeats && whole; ++r)
        whole = sf_writef_float(file, interleaved.data(), frames) == frames;
    sf_close(file);
    return whole;
}
