#pragma once
// RIFF files assembled chunk by chunk for the tests of every reader of
// sound files (the phrase file, the command device, the analyser), and
// whole files written and read back.
#include "audio/PhraseData.h"

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QtEndian>

#include <cstdint>
#include <vector>

namespace testbytes {

inline QByteArray Int32s(const std::vector<int32_t>& values)
{
    QByteArray bytes(qsizetype(values.size() * 4), '\0');
    for (size_t i = 0; i < values.size(); ++i)
        qToLittleEndian(values[i], bytes.data() + 4 * i);
    return bytes;
}

inline QByteArray UInt32(uint32_t value)
{
    QByteArray bytes(4, '\0');
    qToLittleEndian(value, bytes.data());
    return bytes;
}

// A chunk with its header and, after odd data, the pad byte.
inline QByteArray Chunk(const QByteArray& id, const QByteArray& data, bool pad = true)
{
    QByteArray bytes = id + UInt32(uint32_t(data.size())) + data;
    if (pad && (data.size() & 1)) bytes.append('\0');
    return bytes;
}

// A chunk header that claims size bytes, whatever follows it.
inline QByteArray ChunkHeader(const QByteArray& id, uint32_t size)
{
    return id + UInt32(size);
}

inline QByteArray Riff(const QByteArray& subChunks, const QByteArray& form = "WAVE")
{
    return "RIFF" + UInt32(uint32_t(subChunks.size() + 4)) + form + subChunks;
}

inline QByteArray FormatData(const WaveFormat& format = WaveFormat{})
{
    QByteArray bytes(16, '\0');
    qToLittleEndian(format.FormatTag, bytes.data());
    qToLittleEndian(format.Channels, bytes.data() + 2);
    qToLittleEndian(format.SamplesPerSec, bytes.data() + 4);
    qToLittleEndian(format.AvgBytesPerSec, bytes.data() + 8);
    qToLittleEndian(format.BlockAlign, bytes.data() + 12);
    qToLittleEndian(format.BitsPerSample, bytes.data() + 14);
    return bytes;
}

// The "fmt " payload of a PCM-like format given by its parts; the block
// alignment and the bytes per second follow from them.
inline QByteArray FormatData(uint16_t tag, uint16_t channels, uint32_t rate, uint16_t bits)
{
    const uint16_t align = static_cast<uint16_t>(channels * bits / 8);
    return FormatData(WaveFormat{tag, channels, rate, rate * align, align, bits});
}

} // namespace testbytes

inline bool WriteBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

inline QByteArray ReadBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
