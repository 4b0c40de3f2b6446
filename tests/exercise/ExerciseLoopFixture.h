#pragma once
// The exercise screen with a sound output and input the test drives by hand
// and an analyser of its own that answers at once.
#include "audio/FakeAudioOutput.h"
#include "audio/FakeWaveInput.h"
#include "audio/MciSubs.h"
#include "audio/StudentRecording.h"
#include "engine/FakeAnalyser.h"
#include "support/ExerciseFixture.h"
#include "widgets/AnalyserProcess.h"

#include <QFile>
#include <QFileInfo>
#include <QTest>
#include <QtEndian>

namespace exerciseloop {

using namespace testbytes;
using enginetest::FakeAnalyser;
using enginetest::OneSecondPhrase;

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
            input->WatchedHandle = &RecordHandle;
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
