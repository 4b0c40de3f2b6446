#pragma once
// One speaker's phrase with its companions: the exercise screen holds the
// native speaker's and the student's (NativeData, StudentPitchTrack, ... are
// the names of their parts), and the tools, the fuzzer and the tests read
// phrase files into it outside the screen. The sample block is released
// when the object goes.
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
    ~LoadedPhrase() { ReleaseSamples(); }

    // Frees the sample block, if one is held, and forgets its header.
    void ReleaseSamples()
    {
        if (Loaded != 0 && Memory)
            Memory->GFree();
        Loaded = 0;
        Samples = WaveHeader{};
    }

    // Back to an empty speaker: no block, no phrase, no file names.
    void Clear()
    {
        ReleaseSamples();
        Phrase = PhraseData{};
        Format = WaveFormat{};
        Memory = std::make_unique<APIMemory>();
        Pitch.clear();
        Text.clear();
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
