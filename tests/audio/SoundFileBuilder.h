#pragma once
// Plain sound files for the playback tests, built with the phrase-file test
// bytes (support/PhraseFileBytes.h).
#include "support/PhraseFileBytes.h"

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QtEndian>

// 16-bit mono samples whose bits are the sample's index (below 65536), so a
// test can tell from the bytes which range was handed on.
inline QByteArray CountingSamples(int count)
{
    QByteArray bytes(count * 2, '\0');
    for (int i = 0; i < count; ++i)
        qToLittleEndian<uint16_t>(uint16_t(i), bytes.data() + 2 * i);
    return bytes;
}

// A RIFF "WAVE" file of just "fmt " and "data".
inline QByteArray SimpleWave(const QByteArray& samples, const WaveFormat& format = {})
{
    using namespace testbytes;
    return Riff(Chunk("fmt ", FormatData(format)) + Chunk("data", samples));
}
