#pragma once
// The interpreter behind SendMciCommand: the small command vocabulary listed
// in MciSubs.h, for the one alias "wavefile", playing through an AudioOutput.
// It keeps the open sound's samples, the time format and the position; while
// a play runs, the position is the play's start plus what the output reports
// as heard, so the follower sees the sound, not what has been queued.
#include "audio/AudioOutput.h"
#include "audio/PhraseData.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <memory>

class WaveCommandInterpreter
{
public:
    explicit WaveCommandInterpreter(std::unique_ptr<AudioOutput> output);

    // Runs one command. Reply gets the reply text (empty for commands that
    // have none) or the error text; returns MciOk or an error code.
    int16_t Execute(const QString& command, QString& reply);

    // Closes the device and plays through `output` from now on.
    void SetOutput(std::unique_ptr<AudioOutput> output);

    bool IsOpen() const { return isOpen; }
    bool IsPlaying();

private:
    enum class TimeFormat { Milliseconds, Samples };

    int16_t Open(const QString& command);
    int16_t Close();
    int16_t Set(const QStringList& words);
    int16_t Seek(const QStringList& words);
    int16_t Play(const QStringList& words);
    int16_t Status(const QStringList& words, QString& reply);

    int16_t ReadPosition(const QString& word, int64_t& sample) const;
    int64_t ToReported(int64_t sample) const;
    int64_t CurrentSample();
    void FollowOutput();
    void StopPlaying();

    std::unique_ptr<AudioOutput> output;
    bool isOpen = false;
    WaveFormat format;
    QByteArray samples;
    int64_t frameBytes = 0;
    int64_t lengthSamples = 0;
    TimeFormat timeFormat = TimeFormat::Milliseconds;
    int64_t position = 0; // samples, while not playing
    bool playing = false;
    int64_t playFrom = 0; // samples
    int64_t playTo = 0;
};
