#include "studio/PhraseViews.h"

#include "audio/MciSubs.h"
#include "views/DrawPitch.h"
#include "views/DrawSignal.h"
#include "views/DrawStress.h"
#include "views/MarkPlayedStep.h"
#include "views/PitchProcessing.h"
#include "views/ViewColours.h"
#include "widgets/PictureBox.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include <algorithm>
#include <cmath>

namespace {

int16_t Send(const QString& command)
{
    QString reply;
    return SendMciCommand(command, reply);
}

PictureBox* MakeView(const QString& name, const QString& accessibleName, QColor back,
                     QWidget* parent)
{
    auto* box = new PictureBox(parent);
    box->setObjectName(name);
    box->setAccessibleName(accessibleName);
    box->SetBackColor(back);
    box->SetForeColor(ViewForeColor);
    box->setMinimumSize(240, 90);
    return box;
}

} // namespace

PhraseViews::PhraseViews(QWidget* parent) : QWidget(parent)
{
    NativePitch = MakeView("NativePitch", "Intonation", NativePitchBackColor, this);
    NativeStress = MakeView("NativeStress", "Intensity/Rhythm", NativeStressBackColor, this);
    NativeSignal = MakeView("NativeSignal", "Waveform", NativeSignalBackColor, this);
    PlayButton = new QPushButton("&Play", this);
    PlayButton->setObjectName("PlayPhrase");
    PlayButton->setToolTip("Play the phrase as the learner hears it (P)");
    PlayButton->setAccessibleDescription("Plays the phrase; the steps heard are marked");
    PlayButton->setEnabled(false);
    followTimer = new QTimer(this);
    followTimer->setInterval(5);

    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    int row = 0;
    for (PictureBox* box : {NativePitch, NativeStress, NativeSignal}) {
        auto* label = new QLabel(box->accessibleName(), this);
        label->setBuddy(box);
        layout->addWidget(label, row, 0, Qt::AlignTop);
        layout->addWidget(box, row, 1);
        layout->setRowStretch(row, 1);
        ++row;
    }
    layout->addWidget(PlayButton, row, 1, Qt::AlignLeft);
    layout->setColumnStretch(1, 1);

    connect(PlayButton, &QPushButton::clicked, this, &PhraseViews::Play);
    connect(followTimer, &QTimer::timeout, this, &PhraseViews::Follow);
}

PhraseViews::~PhraseViews()
{
    StopPlaying();
}

int32_t PhraseViews::ShowPhrase(const QString& waveFile)
{
    StopPlaying();
    phrase = std::make_unique<LoadedPhrase>();
    int32_t result = PhraseFileNotOpened;
    if (!waveFile.isEmpty()) {
        result = phrase->Read(waveFile);
        if (result == PhraseFileOk) TrimPitchWindows(phrase->Phrase, phrase->Pitch);
    }
    if (result != PhraseFileOk) phrase.reset();
    PlayButton->setEnabled(HasPhrase());
    Draw();
    return result;
}

void PhraseViews::Draw()
{
    if (!HasPhrase()) {
        for (PictureBox* box : {NativePitch, NativeStress, NativeSignal}) {
            box->Cls();
            box->update();
        }
        return;
    }
    DrawPitch(NativePitch->PictureCanvas(), phrase->Phrase, -1, -1, phrase->Pitch,
              NativePitch->ForeColor(), NativePitch->BackColor());
    DrawStress(NativeStress->PictureCanvas(), phrase->Phrase, NativeStress->BackColor(),
               std::span<const int16_t>(StandardLevelBounds), StandardLevelBoundCount);
    DrawSignal(NativeSignal->PictureCanvas(), phrase->Phrase, phrase->Samples,
               NativeSignal->ForeColor(), NativeSignal->BackColor());
    for (PictureBox* box : {NativePitch, NativeStress, NativeSignal})
        box->update();
}

void PhraseViews::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (!IsPlaying()) Draw();
}

bool PhraseViews::IsPlaying() const
{
    return followTimer->isActive();
}

void PhraseViews::Play()
{
    if (!HasPhrase()) return;
    StopPlaying();
    const PhraseData& data = phrase->Phrase;
    Send("close wavefile");
    Send("open " + data.WaveFile.trimmed() + " type waveaudio alias wavefile");
    Send("set wavefile time format samples");
    Send("seek wavefile to " + QString::number(data.PhraseStart));
    Send("set wavefile time format milliseconds");
    followed = data.PhraseStart;
    followTimer->start();
    Send("play wavefile");
}

void PhraseViews::Follow()
{
    // The same marking as the exercise screen's follower: the position
    // heard, never moving back, shades the steps in the pitch and signal
    // views and turns the bars reached green.
    const PhraseData& data = phrase->Phrase;
    QString reply;
    SendMciCommand("status wavefile position", reply);
    const double samples = double(ReplyAsNumber(reply)) * phrase->Format.SamplesPerSec / 1000.0;
    const int32_t position = std::max(followed, int32_t(std::clamp(samples, 0.0, 2147483647.0)));
    MarkPlayedStep(NativePitch->PictureCanvas(), data, followed, position, PlayedShadeColor);
    MarkPlayedStep(NativeSignal->PictureCanvas(), data, followed, position, PlayedShadeColor);
    const int stepCount = std::clamp<int>(data.StepCount, 0, MaxSteps);
    for (int i = 1; i <= stepCount; ++i) {
        if (data.Steps[i].Start < position)
            DrawStressStep(NativeStress->PictureCanvas(), data, int16_t(i), StressStepHighlighted,
                           NativeStress->BackColor(), std::span<const int16_t>(StandardLevelBounds),
                           StandardLevelBoundCount);
    }
    for (PictureBox* box : {NativePitch, NativeStress, NativeSignal})
        box->update();
    followed = position;
    const double endMargin = 5.0 * phrase->Format.SamplesPerSec / 1000.0;
    if (data.PhraseEnd - endMargin > position && WaveDeviceIsPlaying()) return;
    StopPlaying();
}

void PhraseViews::StopPlaying()
{
    if (!followTimer->isActive()) return;
    followTimer->stop();
    Send("close wavefile");
    Draw();
}
