#pragma once
// The command device with a fake output and a phrase sound file of two
// seconds (22050 Hz, 16-bit mono, sample i holding the value i) in a folder
// whose name has blanks.
#include "audio/FakeAudioOutput.h"
#include "audio/MciSubs.h"
#include "audio/SoundFileBuilder.h"
#include "support/QtPrinters.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

class CommandDeviceTest : public ::testing::Test
{
protected:
    static constexpr int SoundSamples = 44100;

    void SetUp() override
    {
        auto fake = std::make_unique<FakeAudioOutput>();
        Output = fake.get();
        InstallAudioOutput(std::move(fake));
        ASSERT_TRUE(QDir(Folder.path()).mkpath("sound files"));
        SoundPath = Folder.filePath("sound files/my phrase.wav");
        ASSERT_TRUE(WriteBytes(SoundPath, SimpleWave(CountingSamples(SoundSamples))));
    }

    void TearDown() override { InstallAudioOutput(nullptr); }

    int16_t Send(const QString& command) { return SendMciCommand(command, Reply); }

    QString OpenCommand(const QString& path) const
    {
        return "open " + path + " type waveaudio alias wavefile";
    }

    int64_t Position()
    {
        EXPECT_EQ(Send("status wavefile position"), MciOk) << Reply.toStdString();
        return Reply.toLongLong();
    }

    // The first sample value handed to the output, which is its index in the file.
    int FirstStartedSample() const
    {
        return Output->StartedSamples.size() < 2
                   ? -1
                   : qFromLittleEndian<uint16_t>(Output->StartedSamples.constData());
    }

    QTemporaryDir Folder;
    QString SoundPath;
    FakeAudioOutput* Output = nullptr;
    QString Reply;
};
