// tvtool author: a plain recording in, a native phrase sound file out.
#include "audio/LoadedPhrase.h"
#include "audio/PhraseFile.h"
#include "audio/RiffFile.h"
#include "compare/Syllables.h"
#include "support/RiffBytes.h"
#include "support/SoundFiles.h"
#include "support/SyntheticVoice.h"
#include "support/ToolRun.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <sndfile.h>

#include <algorithm>
#include <cmath>

namespace {

// A stereo recording in a container libsndfile writes, at another rate.
bool WriteRecording(const QString& path, int format, int rate, const std::vector<float>& mono)
{
    std::vector<float> stereo;
    for (float s : mono) {
        stereo.push_back(s);
        stereo.push_back(s * 0.5f);
    }
    return WriteSoundFile(path, format, rate, 2, stereo);
}

std::vector<float> Voice(int rate)
{
    return SynthesiseVoice({{0.25, 0, 0, 0},
                            {0.22, 190, 220, 0.5},
                            {0.08, 0, 0, 0},
                            {0.25, 220, 170, 0.6},
                            {0.25, 0, 0, 0}},
                           rate)
        .Samples;
}

QByteArrayList ChunkIds(const QString& path)
{
    QByteArrayList ids;
    RiffReader reader(path);
    RiffChunk outer;
    std::vector<RiffChunk> chunks;
    if (reader.Open() && ListRiffChunks(reader, outer, chunks)) {
        for (const RiffChunk& chunk : chunks)
            ids << FourCCText(chunk.Id);
    }
    return ids;
}

} // namespace

TEST(TvtoolAuthor, MakesANativePhraseFileOfAnyRecording)
{
    QTemporaryDir folder;
    for (int format : {SF_FORMAT_FLAC | SF_FORMAT_PCM_16, SF_FORMAT_WAV | SF_FORMAT_FLOAT}) {
        const QString in = folder.filePath("take");
        ASSERT_TRUE(WriteRecording(in, format, 44100, Voice(44100)));
        const QString out = folder.filePath("15_01.wav");
        const ToolRun run =
            RunTvtool({"author", in, out, "--text", "Where do you live?", "--no-trim"});
        ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
        EXPECT_EQ(ChunkIds(out), (QByteArrayList{"fmt ", "snt ", "stp ", "data", "ptc "}));

        int32_t loaded = 0;
        PhraseData phrase;
        phrase.WaveFile = out;
        WaveFormat waveFormat;
        WaveHeader samples;
        std::unique_ptr<APIMemory> memory;
        PitchTrack pitch;
        QByteArray text;
        ASSERT_EQ(ReadPhraseFile(loaded, phrase, waveFormat, samples, memory, pitch, 0, 0, &text),
                  PhraseFileOk);
        EXPECT_EQ(text, "Where do you live?");
        EXPECT_EQ(waveFormat.Channels, 1);
        EXPECT_EQ(waveFormat.SamplesPerSec, 22050u);
        EXPECT_EQ(waveFormat.BitsPerSample, 16);
        EXPECT_NEAR(samples.BufferLength / 2.0, 1.05 * 22050, 40);
        EXPECT_EQ(phrase.StepCount, 2);
        ASSERT_FALSE(pitch.empty());
        EXPECT_EQ(pitch[1].Position, 221);
        // The pitch found is the voice's, not the resampling's.
        const PitchPoint& middle = pitch[(22050 * 35 / 100) / 221];
        EXPECT_NEAR(middle.Value, 2040, 150);
    }
}

TEST(TvtoolAuthor, RefusesARecordingWhoseAnalysisIsNotGood)
{
    QTemporaryDir folder;
    const QString in = folder.filePath("silence.wav");
    ASSERT_TRUE(WriteRecording(in, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 22050,
                               std::vector<float>(22050, 0.0f)));
    const QString out = folder.filePath("out.wav");
    const ToolRun run = RunTvtool({"author", in, out, "--text", "Hello"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains("silence or too quiet")) << run.err.toStdString();
    EXPECT_FALSE(QFile::exists(out));
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files), QStringList{"silence.wav"});

    const ToolRun unreadable =
        RunTvtool({"author", folder.filePath("none.flac"), out, "--text", "Hello"});
    EXPECT_EQ(unreadable.exitCode, 1);
    EXPECT_FALSE(unreadable.err.isEmpty());
    EXPECT_EQ(RunTvtool({"author", in, out}).exitCode, 2);
    EXPECT_EQ(RunTvtool({"author", "--help"}).exitCode, 0);
    // 80 characters, 240 bytes: more than a phrase file keeps.
    const ToolRun tooLong = RunTvtool({"author", in, out, "--text", QString("声調").repeated(40)});
    EXPECT_EQ(tooLong.exitCode, 2);
    EXPECT_TRUE(tooLong.err.contains("240 bytes")) << tooLong.err.toStdString();
    EXPECT_FALSE(QFile::exists(out));
}

// A recorder left running for twenty seconds on either side: the phrase is
// made of the voice, as the studio's import makes it, not refused as quiet.
TEST(TvtoolAuthor, TrimsTheSilenceAroundThePhraseUnlessToldNotTo)
{
    QTemporaryDir folder;
    std::vector<float> recording(size_t(20 * 44100), 0.0f);
    const std::vector<float> voice = Voice(44100);
    recording.insert(recording.end(), voice.begin(), voice.end());
    recording.resize(recording.size() + size_t(20 * 44100), 0.0f);
    const QString in = folder.filePath("take.wav");
    ASSERT_TRUE(WriteRecording(in, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 44100, recording));
    const QString out = folder.filePath("15_01.wav");
    const ToolRun run = RunTvtool({"author", in, out, "--text", "Where do you live?"});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    LoadedPhrase phrase;
    ASSERT_EQ(phrase.Read(out), PhraseFileOk);
    EXPECT_EQ(phrase.Phrase.StepCount, 2);
    // The voice's 0.55 s with 0.15 s on either side.
    EXPECT_NEAR(phrase.Samples.BufferLength / 2.0 / 22050, 0.85, 0.05);

    const ToolRun whole = RunTvtool({"author", in, out, "--text", "x", "--no-trim"});
    EXPECT_EQ(whole.exitCode, 1) << "the voice fills too little of it to be analysed";
    EXPECT_TRUE(whole.err.contains("silence or too quiet")) << whole.err.toStdString();
}

// A float recording can hold values that are no sound at all. They must
// not reach the learner's ears as full-scale clicks in the native phrase.
TEST(TvtoolAuthor, SamplesThatAreNotNumbersBecomeSilenceNotClicks)
{
    QTemporaryDir folder;
    std::vector<float> voice = Voice(44100);
    // A burst in the opening pause, as a broken decoder leaves one.
    std::fill(voice.begin() + 2000, voice.begin() + 2100, std::nanf(""));
    const QString in = folder.filePath("take.wav");
    ASSERT_TRUE(WriteRecording(in, SF_FORMAT_WAV | SF_FORMAT_FLOAT, 44100, voice));
    const QString out = folder.filePath("15_01.wav");
    // Kept whole: trimmed, the burst would be cut away before it is read.
    const ToolRun run =
        RunTvtool({"author", in, out, "--text", "Where do you live?", "--no-trim"});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();

    RiffReader reader(out);
    RiffChunk outer;
    std::vector<RiffChunk> chunks;
    ASSERT_TRUE(reader.Open() && ListRiffChunks(reader, outer, chunks));
    const QByteArray bytes = ReadBytes(out);
    int loudest = 0;
    for (const RiffChunk& chunk : chunks) {
        if (FourCCText(chunk.Id) != "data") continue;
        for (qint64 i = 0; i + 1 < qint64(chunk.Size); i += 2) {
            const int16_t value = int16_t(uint8_t(bytes[chunk.DataOffset + i]) |
                                          uint8_t(bytes[chunk.DataOffset + i + 1]) << 8);
            loudest = std::max(loudest, std::abs(int(value)));
        }
    }
    // The voice peaks at 0.6 of full scale.
    EXPECT_GT(loudest, 10000);
    EXPECT_LT(loudest, 24000);
}

// One channel wired the wrong way round cancels the other in the mix: the
// recording must not be taken for silence.
TEST(TvtoolAuthor, ChannelsThatCancelInTheMixAreNotTakenForSilence)
{
    QTemporaryDir folder;
    std::vector<float> stereo;
    for (float s : Voice(44100)) {
        stereo.push_back(s);
        stereo.push_back(-s);
    }
    const QString in = folder.filePath("take.wav");
    ASSERT_TRUE(WriteSoundFile(in, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 44100, 2, stereo));
    const ToolRun run =
        RunTvtool({"author", in, folder.filePath("15_01.wav"), "--text", "Where do you live?"});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.contains(", 2 steps,")) << run.out.toStdString();
}

// A whole lesson picked by mistake is refused from its header, never read
// whole: it neither fills the memory nor keeps the author waiting.
TEST(TvtoolAuthor, RefusesARecordingTooLongForAPhraseWithoutReadingItWhole)
{
    QTemporaryDir folder;
    const QString in = folder.filePath("lesson.flac");
    // An hour at 8 kHz: read whole and resampled it needs over 400 MB.
    ASSERT_TRUE(WriteSoundFile(in, SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 8000, 1,
                               std::vector<float>(8000, 0.0f), 3600));

    const QString out = folder.filePath("out.wav");
    QProcess process;
    process.start("/bin/sh", {"-c", "ulimit -v 300000; exec \"$0\" author \"$1\" \"$2\" --text Hi",
                              TONVALE_BINARY_DIR "/src/tvtool", in, out});
    ASSERT_TRUE(process.waitForFinished(60000));
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process.exitCode(), 1);
    EXPECT_TRUE(process.readAllStandardError().contains("too long"));
    EXPECT_FALSE(QFile::exists(out));
}

TEST(TvtoolAuthor, KeepsTheAuthorsSyllablesOnTheStepsAfterTheChunksTheTutorReads)
{
    QTemporaryDir folder;
    const QString in = folder.filePath("take.wav");
    ASSERT_TRUE(WriteRecording(in, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 22050, Voice(22050)));
    const QString out = folder.filePath("21_01.wav");
    const ToolRun run =
        RunTvtool({"author", in, out, "--text", "record", "--syllables", "re|CORD"});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(run.err.isEmpty()) << run.err.toStdString();
    EXPECT_EQ(ChunkIds(out), (QByteArrayList{"fmt ", "snt ", "stp ", "data", "ptc ", "syl "}));

    LoadedPhrase phrase;
    ASSERT_EQ(phrase.Read(out), PhraseFileOk);
    ASSERT_EQ(phrase.Phrase.StepCount, 2);
    const SyllableList syllables = ReadSyllables(out);
    ASSERT_EQ(syllables.size(), 2u);
    EXPECT_TRUE(syllables[1].Stressed);
    EXPECT_EQ(NameSteps(phrase.Phrase, syllables), (std::vector<QString>{"re", "CORD"}));

    // Three syllables for two steps: kept, but said to name no step.
    const ToolRun uneven =
        RunTvtool({"author", in, out, "--text", "record", "--syllables", "re|COR|ded"});
    ASSERT_EQ(uneven.exitCode, 0);
    EXPECT_TRUE(uneven.err.contains("3 syllables for 2 steps")) << uneven.err.toStdString();
    EXPECT_EQ(RunTvtool({"author", in, out, "--text", "x", "--syllables", "|"}).exitCode, 2);
}
