#pragma once
// One speaker's phrase with its companions, as the exercise screen holds
// the native speaker's and the student's: for the tools, the fuzzer and the
// tests that read phrase files outside the screen. The sample block is
// released when the object goes.
#include "audio/APIMemory.h"
#include "audio/PhraseData.h"
#include "audio/PhraseFile.h"

#include <QByteArray>
#include <QString>

#include <memory>

struct LoadedPhrase
{
    int32_t Loaded = 0;
    PhraseData Phrase;
    WaveFormat Format;
    WaveHeader Samples;
    std::unique_ptr<APIMemory> Memory = std::make_unique<APIMemory>();
    PitchTrack Pitch;
    QByteArray Text;

    LoadedPhrase() = default;
    LoadedPhrase(const LoadedPhrase&) = delete;
    LoadedPhrase& operator=(const LoadedPhrase&) = delete;
    ~LoadedPhrase()
    {
        if (Loaded != 0 && Memory)
            Memory->GFree();
    }

    int32_t Read(const QString& path, int16_t skipText = 0, int16_t textOnly = 0)
    {
        Phrase.WaveFile = path;
        return ReadPhraseFile(Loaded, Phrase, Format, Samples, Memory, Pitch, textOnly, skipText,
                              &Text);
    }

    // The same read from an open, seekable device (a file opened by its
    // native path, bytes in memory).
    int32_t ReadFrom(QIODevice& device, int16_t skipText = 0, int16_t textOnly = 0)
    {
        return ReadPhraseFromDevice(device, Loaded, Phrase, Format, Samples, Memory, Pitch,
                                    textOnly, skipText, &Text);
    }
};
