// What the studio does to a recording a teacher imports and to the
// manifest a course arrives with.
#include "course/CourseManifest.h"
#include "course/CourseTestSupport.h"
#include "course/SilenceTrim.h"

#include <QTemporaryDir>

#include <algorithm>
#include <cmath>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

TEST(SilenceTrim, KeepsThePhraseWithAShortMarginAndLeavesTheOriginalAlone)
{
    QTemporaryDir dir;
    const QString original = dir.filePath("take.flac");
    // Two seconds of silence before the voice, at a rate of its own.
    const std::vector<float> samples =
        SynthesiseVoice({{2.0, 0, 0, 0}, {0.5, 200, 180, 0.5}, {1.0, 0, 0, 0}}, 44100).Samples;
    ASSERT_TRUE(WriteSoundFile(original, SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 44100, 1, samples));
    const QByteArray before = ReadBytes(original);

    const TrimResult result = TrimSilence(original, dir.filePath("trimmed.wav"));
    ASSERT_TRUE(result.Written) << result.Problem.toStdString();
    EXPECT_NEAR(result.SecondsBefore, 3.5, 0.01);
    EXPECT_NEAR(result.SecondsAfter, 0.5 + 2 * 0.15, 0.05);
    EXPECT_EQ(ReadBytes(original), before);

    ASSERT_TRUE(WriteSoundFile(dir.filePath("silent.wav"), SF_FORMAT_WAV | SF_FORMAT_PCM_16, 22050,
                               1, std::vector<float>(22050, 0.0f)));
    EXPECT_FALSE(TrimSilence(dir.filePath("silent.wav"), dir.filePath("out.wav")).Written);
    EXPECT_FALSE(TrimSilence(dir.filePath("missing.wav"), dir.filePath("out.wav")).Written);
}

// What an ordinary microphone adds: room noise 35 or 18 dB under the voice,
// mains hum or a small constant offset, over the whole recording. None of
// it is the phrase, and none may keep twenty seconds of the room on each
// side.
TEST(SilenceTrim, RoomNoiseAndAnOffsetAroundTheVoiceAreTrimmedAsSilence)
{
    QTemporaryDir dir;
    const int rate = 22050;
    const std::vector<float> voice =
        SynthesiseVoice({{0.25, 190, 220, 0.5}, {0.3, 0, 0, 0}, {0.3, 220, 170, 0.5}}, rate)
            .Samples;
    const double voiceSeconds = double(voice.size()) / rate;
    std::vector<float> padded(size_t(20 * rate), 0.0f);
    padded.insert(padded.end(), voice.begin(), voice.end());
    padded.resize(padded.size() + size_t(20 * rate), 0.0f);

    // Low-pass noise, as a room's rumble is, at 0.006 RMS (-44 dBFS).
    std::vector<float> noisy = padded;
    uint32_t seed = 7;
    double low = 0;
    for (float& sample : noisy) {
        seed = seed * 1664525u + 1013904223u;
        low = 0.95 * low + 0.05 * (double(seed >> 8) / double(1u << 24) - 0.5);
        sample += float(low * 0.006 / 0.0462); // the filter leaves 0.0462 RMS
    }
    // A classroom's noise 18 dB under the voice, and mains hum.
    std::vector<float> loud = padded;
    for (size_t k = 0; k < loud.size(); ++k)
        loud[k] += (noisy[k] - padded[k]) * 7.5f;
    std::vector<float> hum = padded;
    for (size_t k = 0; k < hum.size(); ++k)
        hum[k] += float(0.06 * std::sin(2 * M_PI * 60 * double(k) / rate));
    std::vector<float> offset = padded;
    for (float& sample : offset)
        sample += 0.005f;

    for (const auto& [name, samples] : {std::pair{"noisy.wav", noisy}, {"loud.wav", loud},
                                        {"hum.wav", hum}, {"offset.wav", offset}}) {
        const QString original = dir.filePath(name);
        ASSERT_TRUE(WriteSoundFile(original, SF_FORMAT_WAV | SF_FORMAT_PCM_16, rate, 1, samples));
        const TrimResult result = TrimSilence(original, dir.filePath("trimmed.wav"));
        ASSERT_TRUE(result.Written) << name << ": " << result.Problem.toStdString();
        // The voice whole, its pause included, with the margins and no more.
        EXPECT_GT(result.SecondsAfter, voiceSeconds) << name;
        EXPECT_LT(result.SecondsAfter, voiceSeconds + 2 * 0.15 + 0.1) << name;
    }
}

TEST(SilenceTrim, SamplesThatAreNotNumbersBecomeSilenceNotClicks)
{
    QTemporaryDir dir;
    std::vector<float> samples =
        SynthesiseVoice({{0.5, 0, 0, 0}, {0.5, 200, 180, 0.5}, {0.5, 0, 0, 0}}, 22050).Samples;
    // Inside the margin the trim keeps before the voice.
    std::fill(samples.begin() + 10000, samples.begin() + 10100, std::nanf(""));
    const QString original = dir.filePath("take.wav");
    ASSERT_TRUE(WriteSoundFile(original, SF_FORMAT_WAV | SF_FORMAT_FLOAT, 22050, 1, samples));

    const QString trimmed = dir.filePath("trimmed.wav");
    const TrimResult result = TrimSilence(original, trimmed);
    ASSERT_TRUE(result.Written) << result.Problem.toStdString();
    EXPECT_NEAR(result.SecondsAfter, 0.5 + 2 * 0.15, 0.05);
    SF_INFO info{};
    SNDFILE* file = sf_open(QFile::encodeName(trimmed).constData(), SFM_READ, &info);
    ASSERT_NE(file, nullptr);
    std::vector<short> written(size_t(info.frames));
    sf_read_short(file, written.data(), info.frames);
    sf_close(file);
    int loudest = 0;
    for (short value : written)
        loudest = std::max(loudest, std::abs(int(value)));
    EXPECT_LT(loudest, 20000); // the voice peaks at half of full scale
}

TEST(CourseManifest, WhatIsWrittenParsesAndWhatIsHostileIsRefused)
{
    const CourseManifest manifest{"Stress \xc3\xa0 la carte\nwith a break", "Ann\tSmith", "en-GB",
                                  QString(500, 'v')};
    const std::optional<CourseManifest> read = ParseCourseManifest(CourseManifestText(manifest));
    ASSERT_TRUE(read);
    EXPECT_EQ(read->Title, QString::fromUtf8("Stress \xc3\xa0 la carte with a break"));
    EXPECT_EQ(read->Author, "Ann Smith");
    EXPECT_EQ(read->Version.size(), MaxManifestValueChars);

    EXPECT_TRUE(ParseCourseManifest("\xEF\xBB\xBF# shared\r\nFormat=1\r\nTitle=A\r\nLater=1\r\n"));
    EXPECT_FALSE(ParseCourseManifest("Format=1\nTitle=\xff\xfe\n"));
    EXPECT_FALSE(ParseCourseManifest("Format=1\nTitle=A\x07"
                                     "B\n"));
    EXPECT_FALSE(ParseCourseManifest("Format=1\nAuthor=nobody\n"));
    EXPECT_FALSE(ParseCourseManifest("Title=A\n"));
    EXPECT_FALSE(ParseCourseManifest("Format=1\nTitle=" + QByteArray(MaxManifestBytes, 'a')));
}

// A header may claim far more sound than the file holds (FLAC's total is a
// field like any other): trimming reads what is there, a block at a time,
// and never sets aside memory for the claim.
TEST(SilenceTrim, AHeaderClaimingTenMinutesOfEightChannelsNeedsNoMemoryForThem)
{
    QTemporaryDir dir;
    const QString original = dir.filePath("claims.flac");
    const std::vector<float> voice =
        SynthesiseVoice({{0.1, 0, 0, 0}, {0.2, 200, 180, 0.5}, {0.1, 0, 0, 0}}, 192000).Samples;
    std::vector<float> interleaved(voice.size() * 8, 0.0f);
    for (size_t i = 0; i < voice.size(); ++i)
        interleaved[i * 8] = voice[i];
    ASSERT_TRUE(
        WriteSoundFile(original, SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 192000, 8, interleaved));
    // The stream information's 36-bit sample total: 590 s at 192 kHz.
    QByteArray bytes = ReadBytes(original);
    ASSERT_TRUE(bytes.startsWith("fLaC"));
    const quint32 claimed = 590u * 192000u;
    bytes[21] = char(uchar(bytes[21]) & 0xF0);
    for (int i = 0; i < 4; ++i)
        bytes[22 + i] = char((claimed >> (24 - 8 * i)) & 0xFF);
    ASSERT_TRUE(WriteBytes(original, bytes));
    SF_INFO info{};
    SNDFILE* file = sf_open(QFile::encodeName(original).constData(), SFM_READ, &info);
    ASSERT_NE(file, nullptr);
    sf_close(file);
    ASSERT_EQ(info.frames, sf_count_t(claimed)); // 3.6 GB of samples as floats

    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const rlimit limit{1536ul << 20, 1536ul << 20};
        setrlimit(RLIMIT_AS, &limit);
        try {
            const TrimResult result = TrimSilence(original, dir.filePath("trimmed.wav"));
            _exit(result.Written && result.SecondsBefore < 1 ? 0 : 1);
        } catch (...) { // the memory the claim asks for is not there
            _exit(2);
        }
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), 0);
}
