#pragma once
// The sound input the student records through: it fills one caller-owned
// buffer from the default input, and after Stop tells how many bytes it
// wrote. The tutor uses the Qt Multimedia input (platform/WaveIn.h); tests
// use a fake. Every call comes from the user-interface thread.
#include "audio/PhraseData.h"

#include <cstdint>

class WaveInput
{
public:
    virtual ~WaveInput() = default;

    // Starts filling Buffer.Data, at most Buffer.BufferLength bytes, with
    // samples in Format; returns 0, or a positive code when the input cannot
    // record (see StudentRecording.h). Buffer must stay valid until Stop.
    virtual int32_t Start(const WaveFormat& Format, WaveHeader& Buffer) = 0;

    // Stops the input and sets Buffer.BytesRecorded. Once it returns nothing
    // is written into the buffer any more. Harmless when not recording.
    virtual void Stop() = 0;

    virtual bool IsRecording() const = 0;
    // Why the input stopped by itself during the take last started: 0 while
    // it records as asked (and after a take it recorded to its Stop), or
    // RecordingInterrupted, RecordingInputLost (StudentRecording.h). Such a
    // take holds only part of what was said, or what another device heard.
    virtual int32_t StoppedBecause() { return 0; }
    // Bytes written into the buffer so far while recording (for the live
    // level shown during a recording); 0 when the input cannot tell.
    virtual uint32_t BytesSoFar() const { return 0; }
};
