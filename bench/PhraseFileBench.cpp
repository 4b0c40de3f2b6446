// Reading a long native phrase file against reading the same bytes with one
// plain fread: the reader's walking, checking and copying should cost little
// beyond the read itself.
#include "audio/PhraseFile.h"
#include "audio/RiffFile.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <QtEndian>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

QByteArray Int32s(const std::vector<int32_t>& values)
{
    QByteArray bytes(qsizetype(values.size() * 4), '\0');
    for (size_t i = 0; i < values.size(); ++i)
        qToLittleEndian(values[i], bytes.data() + 4 * i);
    return bytes;
}

// 60 s of 22050 Hz 16-bit mono, 300 steps, 6000 pitch points.
class SixtySecondPhrase
{
public:
    SixtySecondPhrase() : path(dir.filePath("Long.wav"))
    {
        constexpr int32_t sampleCount = 60 * 22050;
        QByteArray samples(sampleCount * 2, '\0');
        for (int32_t i = 0; i < sampleCount; ++i)
            qToLittleEndian(int16_t((i * 97) % 20000 - 10000), samples.data() + 2 * i);
        std::vector<int32_t> steps{0, sampleCount - 1};
        const int32_t stepLength = sampleCount / 300;
        for (int32_t i = 0; i < 300; ++i) {
            const int32_t start = i * stepLength;
            steps.insert(steps.end(), {start, start + stepLength - 1, start + 10,
                                       start + stepLength - 10, 0, 0, 1000 + i});
        }
        steps.resize(MaxStepValues); // the file holds at most 2101 values
        std::vector<int32_t> pitch;
        for (int32_t k = 0; k < 6000; ++k)
            pitch.insert(pitch.end(), {k * (sampleCount / 6000), 1200 + k % 400});

        WaveFormat format;
        RiffWriter writer(path);
        ok = writer.Open() && writer.CreateRiff(FourCC("WAVE")) &&
             writer.WriteChunk(FourCC("fmt "), FormatChunkBytes(format)) &&
             writer.WriteChunk(FourCC("snt "), EncodePhraseText("Sixty seconds of speech")) &&
             writer.WriteChunk(FourCC("stp "), Int32s(steps)) &&
             writer.WriteChunk(FourCC("data"), samples) &&
             writer.WriteChunk(FourCC("ptc "), Int32s(pitch)) && writer.LeaveChunk() &&
             writer.Commit();
    }

    QTemporaryDir dir;
    QString path;
    bool ok = false;
};

const SixtySecondPhrase& Phrase()
{
    static const SixtySecondPhrase phrase;
    return phrase;
}

void BM_ReadPhraseFile(benchmark::State& state)
{
    const SixtySecondPhrase& file = Phrase();
    if (!file.ok) {
        state.SkipWithError("could not write the phrase file");
        return;
    }
    int32_t loaded = 0;
    PhraseData phrase;
    phrase.WaveFile = file.path;
    WaveFormat format;
    WaveHeader samples;
    auto memory = std::make_unique<APIMemory>();
    PitchTrack pitch;
    for (auto _ : state) {
        // Each read frees the block of the one before, as a new phrase does.
        if (ReadPhraseFile(loaded, phrase, format, samples, memory, pitch, 0, 0) != 0) {
            state.SkipWithError("read failed");
            break;
        }
        benchmark::DoNotOptimize(samples.Data);
    }
    if (loaded != 0)
        memory->GFree();
    state.SetBytesProcessed(state.iterations() * QFileInfo(file.path).size());
}

void BM_FreadSameBytes(benchmark::State& state)
{
    const SixtySecondPhrase& file = Phrase();
    const QByteArray name = QFile::encodeName(file.path);
    const long size = long(QFileInfo(file.path).size());
    for (auto _ : state) {
        std::FILE* stream = std::fopen(name.constData(), "rb");
        char* buffer = static_cast<char*>(std::malloc(size_t(size)));
        if (stream == nullptr || buffer == nullptr ||
            std::fread(buffer, 1, size_t(size), stream) != size_t(size)) {
            state.SkipWithError("fread failed");
            break;
        }
        benchmark::DoNotOptimize(buffer);
        std::fclose(stream);
        std::free(buffer);
    }
    state.SetBytesProcessed(state.iterations() * size);
}

} // namespace

BENCHMARK(BM_ReadPhraseFile)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FreadSameBytes)->Unit(benchmark::kMicrosecond);
