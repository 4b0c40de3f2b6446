#include "widgets/WaveIn.h"

#include "audio/StudentRecording.h"
#include "widgets/SoundServerDevices.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSource>
#include <QIODevice>
#include <QMediaDevices>

#include <algorithm>
#include <cstring>

// Where the audio source writes: the fixed recording block, filled from its
// start, with whatever does not fit dropped.
class BlockWriter final : public QIODevice
{
public:
    BlockWriter(char* block, uint32_t capacity) : block(block), capacity(capacity)
    {
        open(QIODevice::WriteOnly | QIODevice::Unbuffered);
    }

    uint32_t Written() const { return written; }

protected:
    qint64 readData(char*, qint64) override { return -1; }

    qint64 writeData(const char* data, qint64 length) override
    {
        const qint64 count = std::min<qint64>(length, capacity - written);
        if (count > 0) {
            std::memcpy(block + written, data, size_t(count));
            written += uint32_t(count);
        }
        return length; // the rest is dropped, not refused: the source must not stall
    }

private:
    char* block;
    uint32_t capacity;
    uint32_t written = 0;
};

WaveIn::WaveIn() = default;

WaveIn::~WaveIn()
{
    Stop();
}

int32_t WaveIn::Start(const WaveFormat& Format, WaveHeader& Buffer)
{
    Stop();
    stoppedBecause = 0;
    Buffer.BytesRecorded = 0;
    if (Buffer.Data == nullptr || Buffer.BufferLength == 0) return RecordingNoMemory;
    const QAudioDevice device = ChosenAudioInput();
    if (device.isNull()) return RecordingNoInput;

    QAudioFormat qtFormat;
    qtFormat.setSampleRate(int(Format.SamplesPerSec));
    qtFormat.setChannelCount(Format.Channels);
    qtFormat.setSampleFormat(Format.BitsPerSample == 16 ? QAudioFormat::Int16
                                                        : QAudioFormat::Unknown);
    if (!qtFormat.isValid()) return RecordingNotOpened;

    writer = std::make_unique<BlockWriter>(Buffer.Data, Buffer.BufferLength);
    source = std::make_unique<QAudioSource>(device, qtFormat);
    source->start(writer.get());
    if (source->error() != QAudio::NoError || source->state() == QAudio::StoppedState) {
        source.reset();
        writer.reset();
        return QtLostTheSoundServer(device) ? RecordingServerRestarted : RecordingNotOpened;
    }
    buffer = &Buffer;
    deviceId = device.id();
    return 0;
}

void WaveIn::Stop()
{
    if (!source) return;
    StoppedBecause(); // once stopped, the source no longer tells
    source->stop();
    buffer->BytesRecorded = writer->Written();
    source.reset();
    writer.reset();
    buffer = nullptr;
}

bool WaveIn::IsRecording() const
{
    // A source whose server went away stops by itself; what it wrote stays.
    return source && source->state() != QAudio::StoppedState;
}

int32_t WaveIn::StoppedBecause()
{
    if (!source || stoppedBecause != 0) return stoppedBecause;
    if (source->state() == QAudio::StoppedState) {
        stoppedBecause = RecordingInterrupted;
    } else {
        const QList<QAudioDevice> inputs = QMediaDevices::audioInputs();
        const bool listed = std::any_of(inputs.begin(), inputs.end(), [this](const QAudioDevice& d) {
            return d.id() == deviceId;
        });
        if (!listed) {
            stoppedBecause = RecordingInputLost;
            // What the server's fallback source hears is not the take.
            source->stop();
        }
    }
    return stoppedBecause;
}

uint32_t WaveIn::BytesSoFar() const
{
    return writer ? writer->Written() : 0;
}
