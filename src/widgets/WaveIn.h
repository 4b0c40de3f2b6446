#pragma once
// The real sound input the student records through: Qt Multimedia's audio
// source on the input the system chose (SoundServerDevices.h), writing straight into the caller's
// recording buffer until it is full or stopped. Bytes beyond the buffer are
// dropped; after Stop nothing more is written.
//
// The source stops by itself when the sound server goes away. When the
// device is unplugged the server moves the stream to another source without
// a word, and Qt 6.4 sends no signal either: only the device list, asked
// again, shows that the device has gone.
#include "audio/WaveInput.h"

#include <QByteArray>

#include <memory>

class QAudioSource;
class BlockWriter;

class WaveIn final : public WaveInput
{
public:
    WaveIn();
    ~WaveIn() override; // stops the input

    // 0, RecordingNoInput (no input device or no sound server),
    // RecordingServerRestarted (Qt lost the server, which still offers the
    // device) or RecordingNotOpened (the device refused to open or the format).
    int32_t Start(const WaveFormat& Format, WaveHeader& Buffer) override;
    void Stop() override;
    bool IsRecording() const override;
    int32_t StoppedBecause() override;
    uint32_t BytesSoFar() const override;

private:
    std::unique_ptr<QAudioSource> source;
    std::unique_ptr<BlockWriter> writer;
    WaveHeader* buffer = nullptr;
    QByteArray deviceId; // of the device being recorded
    int32_t stoppedBecause = 0;
};
