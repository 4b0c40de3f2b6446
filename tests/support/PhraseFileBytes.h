#pragma once
// Phrase sound files assembled chunk by chunk, and one speaker's companions
// to read them into. Tests build exactly the bytes a case needs.
#include "audio/LoadedPhrase.h"
#include "audio/PhraseFile.h"
#include "support/RiffBytes.h"

#include <QBuffer>
#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>

#include <initializer_list>
#include <utility>
#include <vector>

namespace testbytes {

struct Step
{
    int32_t start, end, pitchStart, pitchEnd, reserved1, reserved2, height;
};

inline QByteArray StepData(int32_t phraseStart, int32_t phraseEnd, const std::vector<Step>& steps)
{
    std::vector<int32_t> values{phraseStart, phraseEnd};
    for (const Step& s : steps)
        values.insert(values.end(),
                      {s.start, s.end, s.pitchStart, s.pitchEnd, s.reserved1, s.reserved2, s.height});
    return Int32s(values);
}

inline QByteArray PitchData(const std::vector<std::pair<int32_t, int32_t>>& points)
{
    std::vector<int32_t> values;
    for (const auto& [position, value] : points)
        values.insert(values.end(), {position, value});
    return Int32s(values);
}

// n 16-bit samples counting up from 1, so a misplaced byte shows.
inline QByteArray SampleData(int count)
{
    QByteArray bytes(count * 2, '\0');
    for (int i = 0; i < count; ++i)
        qToLittleEndian(int16_t(i + 1), bytes.data() + 2 * i);
    return bytes;
}

// The chunks of an ordinary native file, each with its header.
struct PhraseChunks
{
    QByteArray fmt = Chunk("fmt ", FormatData());
    QByteArray snt = Chunk("snt ", EncodePhraseText("abc"));
    QByteArray stp = Chunk("stp ", StepData(10, 99, {{10, 49, 12, 45, 7, 8, 900},
                                                     {50, 99, 52, 97, 0, 0, 1200}}));
    QByteArray data = Chunk("data", SampleData(100));
    QByteArray ptc = Chunk("ptc ", PitchData({{20, 1500}, {40, 1520}, {60, 0}, {80, 1300}}));

    QByteArray File() const { return Riff(fmt + snt + stp + data + ptc); }
};

// One speaker's record and companions, read from a file or from bytes.
struct Speaker : LoadedPhrase
{
    // The same read from bytes in memory.
    int32_t ReadBytes(const QByteArray& bytes, int16_t skipText = 0)
    {
        QBuffer buffer;
        buffer.setData(bytes);
        buffer.open(QIODevice::ReadOnly);
        return ReadPhraseFromDevice(buffer, Loaded, Phrase, Format, Samples, Memory, Pitch, 0,
                                    skipText, &Text);
    }

    QByteArray SampleBytes() const
    {
        return Samples.Data == nullptr ? QByteArray()
                                       : QByteArray(Samples.Data, qsizetype(Samples.BufferLength));
    }
};

// A scratch folder that files are written into.
class Scratch
{
public:
    QString Write(const QByteArray& bytes, const QString& name = "phrase.wav")
    {
        const QString path = dir.filePath(name);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
            file.write(bytes) != bytes.size())
            return QString();
        return path;
    }
    QString Path(const QString& name) const { return dir.filePath(name); }
    QString Folder() const { return dir.path(); }

private:
    QTemporaryDir dir;
};

} // namespace testbytes
