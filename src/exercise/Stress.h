#pragma once
// The exercise screen. For now it shows the chosen phrase and its native
// sound file, and returns to the phrase list when it is closed.
#include <QLabel>
#include <QWidget>

class Stress : public QWidget
{
    Q_OBJECT
public:
    Stress();

    // Opens the screen on the phrase selected in the phrase list, in the
    // window state the last exercise screen was left in.
    void OpenFromPhraseList(int16_t windowState);

    QLabel* PhraseLabel;
    QLabel* FileNames;

protected:
    void closeEvent(QCloseEvent* event) override;
};
