#pragma once
// RIFF sound files assembled chunk by chunk for the audio tests.
#include "audio/PhraseData.h"

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QtEndian>

#include <cstring>

inline QByteArray RiffChunk(const char* id, const QByteArray& payload)
{
    QByteArray chunk(id, 4);
    char size[4];
    qToLittleEndian<uint32_t>(uint32_t(payload.size()), size);
    chunk.append(size, 4).append(payload);
    if (payload.size() % 2 == 1)
        chunk.append('\0');
    return chunk;
}

inline QByteArray FormatChunkPayload(const WaveFormat& format)
{
    QByteArray bytes(16, '\0');
    qToLittleEndian<uint16_t>(format.FormatTag, bytes.data());
    qToLittleEndian<uint16_t>(format.Channels, bytes.data() + 2);
    qToLittleEndian<uint32_t>(format.SamplesPerSec, bytes.data() + 4);
    qToLittleEndian<uint32_t>(format.AvgBytesPerSec, bytes.data() + 8);
    qToLittleEndian<uint16_t>(format.BlockAlign, bytes.data() + 12);
    qToLittleEndian<uint16_t>(format.BitsPerSample, bytes.data() + 14);
    return bytes;
}

inline QByteArray RiffWave(const QByteArray& chunks)
{
    return RiffChunk("RIFF", QByteArray("WAVE") + chunks);
}

// 16-bit mono samples whose bits are the sample's index (below 65536), so a
// test can tell from the bytes which range was handed on.
inline QByteArray CountingSamples(int count)
{
    QByteArray bytes(count * 2, '\0');
    for (int i = 0; i < count; ++i)
        qToLittleEndian<uint16_t>(uint16_t(i), bytes.data() + 2 * i);
    return bytes;
}

inline QByteArray SimpleWave(const QByteArray& samples, const WaveFormat& format = {})
{
    return RiffWave(RiffChunk("fmt ", FormatChunkPayload(format)) + RiffChunk("data", samples));
}

inline bool WriteBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}
