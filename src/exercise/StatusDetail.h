#pragma once
// A small panel at the foot of a view of the exercise screen: while
// recording, the time passed against the planned time and the live input
// level with its warnings; while analysing, a moving bar that shows work
// going on; after a failed take, the reason in the learner's words; and
// one-line notices. Every panel sits in the same place of its view and keeps
// its whole text inside it, whatever the window size and the font: a text
// that does not fit is drawn smaller rather than cut.
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

    // Places the panel across the foot of view (a rectangle of the parent),
    // at most room pixels high, and fits its text.
    void PlaceAtFootOf(const QRect& view, int room);

    QString Text() const { return text; }
    double Progress() const { return progress; }
    double Level() const { return level; }
    bool Warning() const { return warning; }
    // Whether the whole text, wrapped as drawn, lies inside the panel.
    bool TextFitsWhole() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    QFont TextFont(qreal pointSize) const;
    // The panel's height for a width and a text size.
    int HeightFor(int width, qreal pointSize) const;
    QRectF TextArea(const QRectF& inner) const;
    void Refit();

    Kind kind;
    double progress = 0;
    double level = 0;
    bool warning = false;
    int phase = 0;
    QString text;
    QRect view;
    int room = 0;
    qreal textPointSize = 0;
};
