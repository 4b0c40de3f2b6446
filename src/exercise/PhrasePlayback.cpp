// Whole-phrase playback on the exercise screen: the sound plays through the
// command device while a 5 ms follower reads the position heard, shades the
// steps heard in the pitch and signal views and turns their bars green, and
// restores the views when the phrase has been heard.
#include "app/CommonVar.h"
#include "audio/MciSubs.h"
#include "audio/PlayAroundPoint.h"
#include "exercise/Stress.h"
#include "views/DrawStress.h"
#include "views/MarkPlayedStep.h"
#include "views/ViewColours.h"
#include "widgets/SoundServerDevices.h"

namespace {

const QString NoSoundOutputNotice = QStringLiteral("No sound output device is available");
const QString SoundSystemRestartedNotice =
    QStringLiteral("The sound system was restarted: close Tonvale Tutor and start it again");

// Why nothing plays. A restarted sound system is not helped by checking the
// speakers.
QString CannotPlayNotice()
{
    return SoundSystemRestartNeeded() ? SoundSystemRestartedNotice : NoSoundOutputNotice;
}

int16_t Send(const QString& command)
{
    QString reply;
    return SendMciCommand(command, reply);
}

} // namespace

void Stress::PlayNativeWave_Click()
{
    PlaySpeaker(Speaker::Native);
}

void Stress::PlayStudentWave_Click()
{
    PlaySpeaker(Speaker::Student);
}

void Stress::PlaySpeaker(Speaker speaker)
{
    const LoadedPhrase& phrase = PhraseOf(speaker);
    PlayWholePhrase(View(speaker, ViewKind::Stress), phrase.Phrase, phrase.Format,
                    View(speaker, ViewKind::Pitch), View(speaker, ViewKind::Signal));
}

void Stress::PlayWholePhrase(PictureBox* stressBox, const PhraseData& phrase,
                             const WaveFormat& format, PictureBox* pitchBox, PictureBox* signalBox)
{
    // Another play closes the device: the phrase playing so far is over,
    // and its bars and shading must go with it.
    if (PlayStepsTimer->isActive()) EndPlayback();
    PlayStressBox = stressBox;
    PlayPhrase = phrase;
    PlayFormat = format;
    PlayPitchBox = pitchBox;
    PlaySignalBox = signalBox;
    follower.Start(phrase.PhraseStart, phrase.PhraseEnd, format.SamplesPerSec);

    Send("close wavefile");
    Send("open " + phrase.WaveFile.trimmed() + " type waveaudio alias wavefile");
    Send("set wavefile time format samples");
    Send("seek wavefile to " + QString::number(phrase.PhraseStart));
    Send("set wavefile time format milliseconds");

    PlayStepsTimer->setInterval(5);
    PlayStepsTimer->start();
    RecordStudentWave->setEnabled(false);
    HideNotice();
    if (Send("play wavefile") == MciCannotPlay) ShowNotice(pitchBox, CannotPlayNotice());
}

void Stress::PlayStepsTimer_Timer()
{
    QString reply;
    SendMciCommand("status wavefile position", reply);
    const PlaybackFollower::Stretch heard =
        follower.Advance(static_cast<double>(ReplyAsNumber(reply)));

    for (PictureBox* box : {PlayPitchBox, PlaySignalBox})
        if (box)
            MarkPlayedStep(box->PictureCanvas(), PlayPhrase, heard.From, heard.To,
                           PlayedShadeColor);
    if (PlayStressBox) {
        const int stepCount = std::clamp<int>(PlayPhrase.StepCount, 0, MaxSteps);
        for (int i = 1; i <= stepCount; ++i) {
            if (PlayPhrase.Steps[i].Start < heard.To)
                DrawStressStep(PlayStressBox->PictureCanvas(), PlayPhrase, static_cast<int16_t>(i),
                               StressStepHighlighted, PlayStressBox->BackColor(),
                               std::span<const int16_t>(LevelBounds), LevelBoundCount);
        }
        PlayStressBox->Refresh();
    }

    // A device that has stopped (the file did not open, the output could
    // not play, the sound ended before PhraseEnd) will never get there:
    // end the playback as at the end of the phrase.
    if (follower.PhraseLeft() && WaveDeviceIsPlaying()) return;
    EndPlayback();
}

void Stress::EndPlayback()
{
    PlayStepsTimer->stop();
    Send("close wavefile");
    // The shading goes: the pitch and signal views of every speaker drawn
    // are drawn afresh.
    for (Speaker speaker : {Speaker::Native, Speaker::Student}) {
        if (speaker == Speaker::Native ? NativeLoaded : StudentAnalysed != 0)
            for (ViewKind kind : {ViewKind::Pitch, ViewKind::Signal})
                DrawSpeakerView(speaker, kind);
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
    if (StudentAnalysed != 0) PlayStudentWave->setEnabled(true);
    if (NativeLoaded) PlayNativeWave->setEnabled(true);
}

bool Stress::StudentTakeToPlay() const
{
    return StudentAnalysed != 0 && engine->IsIdle();
}

void Stress::PlayFromView(Speaker speaker, ViewKind kind, Qt::MouseButton button, double x)
{
    if (speaker == Speaker::Student && !StudentTakeToPlay()) return;
    // As Play, the views are still while a take is made: a piece played
    // into a recording becomes the learner's take, and one played during
    // the analysis is closed again by its next poll.
    if (!engine->IsIdle()) return;
    int mask = 0;
    if (button == Qt::LeftButton)
        mask = 1;
    else if (button == Qt::RightButton)
        mask = 2;
    else if (button == Qt::MiddleButton)
        mask = 4;
    HideNotice();
    // The piece plays in samples, which the whole phrase's follower would
    // read as milliseconds and stop at once.
    if (PlayStepsTimer->isActive()) EndPlayback();
    if (PlayAroundPoint(static_cast<float>(View(speaker, kind)->contentsRect().width()),
                        PhraseOf(speaker).Phrase, mask, static_cast<float>(x)) == MciCannotPlay)
        ShowNotice(View(speaker, ViewKind::Pitch), CannotPlayNotice());
}

void Stress::NativeSignal_MouseDown(Qt::MouseButton button, double x)
{
    PlayFromView(Speaker::Native, ViewKind::Signal, button, x);
}

void Stress::NativePitch_MouseDown(Qt::MouseButton button, double x)
{
    PlayFromView(Speaker::Native, ViewKind::Pitch, button, x);
}

void Stress::NativeStress_MouseDown(Qt::MouseButton button, double x)
{
    PlayFromView(Speaker::Native, ViewKind::Stress, button, x);
}

void Stress::StudentSignal_MouseDown(Qt::MouseButton button, double x)
{
    PlayFromView(Speaker::Student, ViewKind::Signal, button, x);
}

void Stress::StudentPitch_MouseDown(Qt::MouseButton button, double x)
{
    PlayFromView(Speaker::Student, ViewKind::Pitch, button, x);
}

void Stress::StudentStress_MouseDown(Qt::MouseButton button, double x)
{
    PlayFromView(Speaker::Student, ViewKind::Stress, button, x);
}
