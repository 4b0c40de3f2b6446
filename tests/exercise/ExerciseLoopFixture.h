#pragma once
// The exercise screen with a sound output and input the test drives by hand
// and an analyser of its own that answers at once.
#include "audio/FakeAudioOutput.h"
#include "audio/FakeWaveInput.h"
#include "audio/MciSubs.h"
#include "audio/StudentRecording.h"
#include "platform/AnalyserProcess.h"
#include "support/ExerciseFixture.h"

#include <QFile>
#include <QFileInfo>
#include <QTest>
#include <QtEndian>

namespace exerciseloop {

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

class ExerciseLoop : public ExerciseFixture
{
protected:
    void SetUp() override
    {
        ExerciseFixture::SetUp();
        WriteFile("content/Sounds/11_01.wav", OneSecondPhrase());
        auto output = std::make_unique<FakeAudioOutput>();
        sound = output.get();
        InstallAudioOutput(std::move(output));
        Stress::SetWaveInputFactory([this] {
            auto input = std::make_unique<FakeWaveInput>();
            microphone = input.get();
            return std::unique_ptr<WaveInput>(std::move(input));
        });
        auto launcher = std::make_unique<FakeAnalyser>();
        analyser = launcher.get();
        InstallAnalyserLauncher(std::move(launcher));
    }

    void TearDown() override
    {
        ExerciseFixture::TearDown();
        InstallAudioOutput(std::make_unique<FakeAudioOutput>());
        InstallAnalyserLauncher(nullptr);
        Stress::SetWaveInputFactory(nullptr);
    }

    // The screen opened on category 11, active, so that its keys work.
    Stress* OpenActive(int position)
    {
        Stress* exercise = Open("11", position);
        if (exercise) {
            exercise->activateWindow();
            EXPECT_TRUE(QTest::qWaitForWindowActive(exercise));
        }
        return exercise;
    }

    // Records a second of sound and ends the recording as the timer does.
    void Record(Stress* exercise)
    {
        exercise->RecordStudentWave_Click();
        ASSERT_NE(microphone, nullptr);
        QByteArray voice(22050 * 2, '\0');
        for (int i = 0; i < 22050; ++i)
            qToLittleEndian(int16_t((i % 50) * 100 - 2500), voice.data() + 2 * i);
        microphone->Deliver(voice);
        exercise->RecordTimer_Timer();
    }

    FakeAudioOutput* sound = nullptr;
    FakeWaveInput* microphone = nullptr;
    FakeAnalyser* analyser = nullptr;
};

} // namespace exerciseloop

using exerciseloop::ExerciseLoop;
using exerciseloop::FakeAnalyser;
using exerciseloop::OneSecondPhrase;
