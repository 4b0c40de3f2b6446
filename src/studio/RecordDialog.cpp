#include "studio/RecordDialog.h"

#include "engine/RecordingFeedback.h"
#include "studio/TakeRecorder.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

RecordDialog::RecordDialog(const QString& phraseText, TakeRecorder& takeRecorder, QWidget* parent)
    : QDialog(parent), text(phraseText), recorder(takeRecorder)
{
    setObjectName("RecordDialog");
    setWindowTitle("Record a Phrase");
    PhraseLabel = new QLabel(QString("Say: <b>%1</b>").arg(phraseText.toHtmlEscaped()), this);
    PhraseLabel->setWordWrap(true);
    LevelMeter = new QProgressBar(this);
    LevelMeter->setObjectName("LevelMeter");
    LevelMeter->setRange(0, 100);
    LevelMeter->setTextVisible(false);
    LevelMeter->setAccessibleName("Input level");
    StatusLabel = new QLabel("Press Record, wait a moment, then say the phrase.", this);
    StatusLabel->setTextFormat(Qt::PlainText); // it may name files and folders
    StatusLabel->setObjectName("RecordStatus");
    StatusLabel->setWordWrap(true);
    StatusLabel->setAccessibleName("Recording status");
    RecordButton = new QPushButton("&Record", this);
    RecordButton->setObjectName("RecordButton");
    RecordButton->setToolTip("Record the phrase; press again to stop early (R)");
    RecordButton->setShortcut(QKeySequence("R"));
    RecordButton->setDefault(true);
    CancelButton = new QPushButton("Cancel", this);
    CancelButton->setObjectName("CancelButton");

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(RecordButton);
    buttons->addWidget(CancelButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(PhraseLabel);
    layout->addWidget(LevelMeter);
    layout->addWidget(StatusLabel);
    layout->addLayout(buttons);
    resize(420, 180);

    connect(RecordButton, &QPushButton::clicked, this, &RecordDialog::RecordButton_Click);
    connect(CancelButton, &QPushButton::clicked, this, &RecordDialog::reject);
    connect(&recorder, &TakeRecorder::Progress, this, &RecordDialog::ShowProgress);
    connect(&recorder, &TakeRecorder::Analysing, this, [this] {
        LevelMeter->setValue(0);
        RecordButton->setEnabled(false);
        RecordButton->setText("&Record");
        StatusLabel->setText("Analysing...");
    });
    connect(&recorder, &TakeRecorder::Finished, this, &RecordDialog::ShowVerdict);
}

void RecordDialog::RecordButton_Click()
{
    if (recorder.IsRecording()) {
        recorder.Stop();
        return;
    }
    if (!recorder.Start(text.toUtf8())) {
        StatusLabel->setText(recorder.LastProblem());
        return;
    }
    RecordButton->setText("&Stop");
    StatusLabel->setText("Recording...");
}

void RecordDialog::ShowProgress(qint64 elapsedMs, int plannedMs, const InputLevel& level)
{
    LevelMeter->setValue(int(level.Meter * 100));
    StatusLabel->setText("Recording: " + RecordingProgressText(elapsedMs, plannedMs, level));
}

void RecordDialog::ShowVerdict(bool good, const QString& reason)
{
    RecordButton->setEnabled(true);
    RecordButton->setText("&Record");
    if (good) {
        accept();
        return;
    }
    StatusLabel->setText(reason + " The take was not kept.");
}

void RecordDialog::reject()
{
    recorder.Cancel();
    QDialog::reject();
}
