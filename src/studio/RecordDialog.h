#pragma once
// Recording a phrase in the teacher's own voice: a level meter while the
// take runs, a warning while it clips or is too quiet, and the analyser's
// verdict; only a Good take closes the window with a take to keep.
#include "engine/RecordingFeedback.h"

#include <QDialog>

class QLabel;
class QProgressBar;
class QPushButton;
class TakeRecorder;

class RecordDialog : public QDialog
{
    Q_OBJECT
public:
    RecordDialog(const QString& phraseText, TakeRecorder& recorder, QWidget* parent = nullptr);

    QLabel* PhraseLabel;
    QProgressBar* LevelMeter;
    QLabel* StatusLabel;
    QPushButton* RecordButton;
    QPushButton* CancelButton;

private:
    void RecordButton_Click();
    void ShowProgress(qint64 elapsedMs, int plannedMs, const InputLevel& level);
    void ShowVerdict(bool good, const QString& reason);
    void reject() override;

    QString text;
    TakeRecorder& recorder;
};
