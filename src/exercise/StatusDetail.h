#pragma once
// A small panel under a status picture of the exercise screen: while
// recording, the time passed against the planned time and the live input
// level with its warnings; while analysing, a moving bar that shows work
// going on; after a failed analysis, the reason in the learner's words.
#include <QWidget>

class StatusDetail : public QWidget
{
    Q_OBJECT
public:
    enum class Kind
    {
        Recording,
        Analysing,
        Reason
    };

    StatusDetail(Kind kind, QWidget* parent);

    // Recording: progress 0..1 of the planned time, level 0..1, a warning
    // colour when the input clips or is too quiet, and the line of text.
    void SetRecording(double progress, double level, bool warning, const QString& text);
    // Analysing: advances the moving bar one step.
    void Advance();
    void SetText(const QString& text);

    QString Text() const { return text; }
    double Progress() const { return progress; }
    double Level() const { return level; }
    bool Warning() const { return warning; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Kind kind;
    double progress = 0;
    double level = 0;
    bool warning = false;
    int phase = 0;
    QString text;
};
