#pragma once
// An analyser for the tests of the analysis cycle that answers at once: it
// rewrites the take as an analysed phrase file and leaves the given result,
// or fails to start; and the phrase it leaves.
#include "engine/AnalyserLauncher.h"
#include "support/PhraseFileBytes.h"

#include <QFile>
#include <QFileInfo>
#include <QtEndian>

namespace enginetest {

using namespace testbytes;

// One second at 22050 Hz: two steps, phrase from sample 1000 to 20999.
inline QByteArray OneSecondPhrase()
{
    PhraseChunks chunks;
    chunks.stp = Chunk("stp ", StepData(1000, 20999,
                                        {{1000, 9999, 1200, 9800, 0, 0, 9000},
                                         {10000, 20999, 10200, 20800, 0, 0, 20000}}));
    QByteArray samples(22050 * 2, '\0');
    for (int i = 0; i < 22050; ++i)
        qToLittleEndian(int16_t((i % 100) * 200 - 10000), samples.data() + 2 * i);
    chunks.data = Chunk("data", samples);
    std::vector<std::pair<int32_t, int32_t>> points;
    for (int k = 0; k < 100; ++k)
        points.push_back({110 + 220 * k, 1500 + 10 * k});
    chunks.ptc = Chunk("ptc ", PitchData(points));
    return chunks.File();
}

// Half a second of a buzzing voice at 22050 Hz, 16-bit mono, as a
// microphone would deliver it.
inline QByteArray HalfASecondOfVoice()
{
    QByteArray voice(11025 * 2, '\0');
    for (int i = 0; i < 11025; ++i)
        qToLittleEndian(int16_t((i % 50) * 200 - 5000), voice.data() + 2 * i);
    return voice;
}

// An analyser that answers at once: it rewrites the recording as an analysed
// phrase file and leaves the given result, or fails to start.
class FakeAnalyser final : public AnalyserLauncher
{
public:
    bool Start(const QString& program, const QStringList& arguments) override
    {
        ++Starts;
        Program = program;
        Arguments = arguments;
        if (!Startable) return false;
        if (!Result.isNull()) {
            QFile wave(arguments.value(0));
            if (wave.open(QIODevice::WriteOnly)) wave.write(OneSecondPhrase());
            QFile result(QFileInfo(arguments.value(0)).path() + "/Student.rsl");
            if (result.open(QIODevice::WriteOnly)) result.write(Result);
        }
        return true;
    }
    void StopRunning() override { ++Stops; }

    bool Startable = true;
    QByteArray Result; // null: writes nothing (an analyser that never finishes)
    int Starts = 0;
    int Stops = 0;
    QString Program;
    QStringList Arguments;
};

} // namespace enginetest
