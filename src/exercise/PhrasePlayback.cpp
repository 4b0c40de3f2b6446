// Whole-phrase playback on the exercise screen: the sound plays through the
// command device while a 5 ms follower reads the position heard, shades the
// steps heard in the pitch and signal views and turns their bars green, and
// restores the views when the phrase has been heard.
#include "app/CommonVar.h"
#include "audio/MciSubs.h"
#include "audio/PlayAroundPoint.h"
#include "exercise/Stress.h"
#include "views/DrawPitch.h"
#include "views/DrawSignal.h"
#include "views/DrawStress.h"
#include "views/MarkPlayedStep.h"
#include "views/ViewColours.h"

#include <cmath>

namespace {

const QString NoSoundOutputNotice = QStringLiteral("No sound output device is available");

int16_t Send(const QString& command)
{
    QString reply;
    return SendMciCommand(command, reply);
}

int32_t SaturatedInt32(double value)
{
    if (!(value > -2147483648.0))
        return INT32_MIN;
    if (!(value < 2147483647.0))
        return INT32_MAX;
    return static_cast<int32_t>(std::nearbyint(value));
}

} // namespace

void Stress::PlayNativeWave_Click()
{
    PlayWholePhrase(NativeStress, NativeData, NativeFormat, NativePitch, NativeSignal);
}

void Stress::PlayStudentWave_Click()
{
    PlayWholePhrase(StudentStress, StudentData, StudentFormat, StudentPitch, StudentSignal);
}

void Stress::PlayWholePhrase(PictureBox* stressBox, const PhraseData& phrase,
                             const WaveFormat& format, PictureBox* pitchBox, PictureBox* signalBox)
{
    PlayStressBox = stressBox;
    PlayPhrase = phrase;
    PlayFormat = format;
    PlayPitchBox = pitchBox;
    PlaySignalBox = signalBox;
    PlayedPosition = phrase.PhraseStart;
    PlayPosition = phrase.PhraseStart;

    Send("close wavefile");
    Send("open " + phrase.WaveFile.trimmed() + " type waveaudio alias wavefile");
    Send("set wavefile time format samples");
    Send("seek wavefile to " + QString::number(phrase.PhraseStart));
    Send("set wavefile time format milliseconds");

    PlayStepsTimer->setInterval(5);
    PlayStepsTimer->start();
    RecordStudentWave->setEnabled(false);
    HideNotice();
    if (Send("play wavefile") == MciCannotPlay) ShowNotice(pitchBox, NoSoundOutputNotice);
}

void Stress::PlayStepsTimer_Timer()
{
    QString reply;
    SendMciCommand("status wavefile position", reply);
    const double milliseconds = static_cast<double>(ReplyAsNumber(reply));
    PlayPosition = SaturatedInt32(milliseconds * PlayFormat.SamplesPerSec / 1000.0);
    if (PlayPosition < PlayedPosition)
        PlayPosition = PlayedPosition; // the follower never moves back

    if (PlayPitchBox)
        MarkPlayedStep(PlayPitchBox->PictureCanvas(), PlayPhrase, PlayedPosition, PlayPosition,
                       PlayedShadeColor);
    if (PlaySignalBox)
        MarkPlayedStep(PlaySignalBox->PictureCanvas(), PlayPhrase, PlayedPosition, PlayPosition,
                       PlayedShadeColor);
    if (PlayStressBox) {
        const int stepCount = std::clamp<int>(PlayPhrase.StepCount, 0, MaxSteps);
        for (int i = 1; i <= stepCount; ++i) {
            if (PlayPhrase.Steps[i].Start < PlayPosition)
                DrawStressStep(PlayStressBox->PictureCanvas(), PlayPhrase, static_cast<int16_t>(i),
                               StressStepHighlighted, PlayStressBox->BackColor(),
                               std::span<const int16_t>(LevelBounds), LevelBoundCount);
        }
        PlayStressBox->Refresh();
    }
    PlayedPosition = PlayPosition;

    const double endMargin = 5.0 * PlayFormat.SamplesPerSec / 1000.0;
    const bool phraseLeft = PlayPhrase.PhraseEnd - endMargin > PlayPosition;
    // A device that has stopped (the file did not open, the output could
    // not play, the sound ended before PhraseEnd) will never get there:
    // end the playback as at the end of the phrase.
    if (phraseLeft && WaveDeviceIsPlaying())
        return;
    EndPlayback();
}

void Stress::EndPlayback()
{
    PlayStepsTimer->stop();
    Send("close wavefile");
    if (NativeLoaded) {
        DrawPitch(NativePitch->PictureCanvas(), NativeData, -1, -1, NativePitchTrack,
                  NativePitch->ForeColor(), NativePitch->BackColor());
        DrawSignal(NativeSignal->PictureCanvas(), NativeData, NativeWave, NativeSignal->ForeColor(),
                   NativeSignal->BackColor());
    }
    if (StudentAnalysed != 0) {
        DrawPitch(StudentPitch->PictureCanvas(), StudentData, -1, -1, StudentPitchTrack,
                  StudentPitch->ForeColor(), StudentPitch->BackColor());
        DrawSignal(StudentSignal->PictureCanvas(), StudentData, StudentWave,
                   StudentSignal->ForeColor(), StudentSignal->BackColor());
    }
    if (PlayStressBox) {
        PlayStressBox->Cls();
        const int stepCount = std::clamp<int>(PlayPhrase.StepCount, 0, MaxSteps);
        for (int i = 1; i <= stepCount; ++i)
            DrawStressStep(PlayStressBox->PictureCanvas(), PlayPhrase, static_cast<int16_t>(i),
                           StressStepNormal, PlayStressBox->BackColor(),
                           std::span<const int16_t>(LevelBounds), LevelBoundCount);
    }
    RecordStudentWave->setEnabled(true);
    if (StudentAnalysed != 0)
        PlayStudentWave->setEnabled(true);
    if (NativeLoaded)
        PlayNativeWave->setEnabled(true);
}

void Stress::PlayFromView(PictureBox* box, const PhraseData& phrase, Qt::MouseButton button,
                          double x)
{
    int mask = 0;
    if (button == Qt::LeftButton)
        mask = 1;
    else if (button == Qt::RightButton)
        mask = 2;
    else if (button == Qt::MiddleButton)
        mask = 4;
    HideNotice();
    PlayAroundPoint(static_cast<float>(box->contentsRect().width()), phrase, mask,
                    static_cast<float>(x));
}

void Stress::NativeSignal_MouseDown(Qt::MouseButton button, double x)
{
    PlayFromView(NativeSignal, NativeData, button, x);
}

void Stress::NativePitch_MouseDown(Qt::MouseButton button, double x)
{
    PlayFromView(NativePitch, NativeData, button, x);
}

void Stress::NativeStress_MouseDown(Qt::MouseButton button, double x)
{
    PlayFromView(NativeStress, NativeData, button, x);
}

// The student's views play only while there is an analysed recording to play.
void Stress::StudentSignal_MouseDown(Qt::MouseButton button, double x)
{
    if (PlayStudentWave->isEnabled())
        PlayFromView(StudentSignal, StudentData, button, x);
}

void Stress::StudentPitch_MouseDown(Qt::MouseButton button, double x)
{
    if (PlayStudentWave->isEnabled())
        PlayFromView(StudentPitch, StudentData, button, x);
}

void Stress::StudentStress_MouseDown(Qt::MouseButton button, double x)
{
    if (PlayStudentWave->isEnabled())
        PlayFromView(StudentStress, StudentData, button, x);
}
