#pragma once
// The History window of the exercise screen: the current phrase's kept
// takes, newest first, with their date, score and the stress and ending
// marks, the chart of the scores over the takes, and the actions on a take:
// Play it, Show it in the learner's views, or forget the phrase's whole
// history. It lists what the history gives and asks the screen to play and
// show; it never touches the working set itself.
#include "history/PracticeHistory.h"
#include "widgets/PictureBox.h"

#include <QLabel>
#include <QMetaType>
#include <QPushButton>
#include <QRect>
#include <QTreeWidget>
#include <QWidget>

#include <vector>

class HistoryPanel : public QWidget
{
    Q_OBJECT
public:
    enum Column { DateColumn, ScoreColumn, StressColumn, EndingColumn, ColumnCount };

    // owner: the window it belongs to (it stays above it and closes with it).
    explicit HistoryPanel(QWidget* owner);

    // Lists the phrase's takes. history null: the history cannot be opened,
    // and unavailable says why.
    void ShowPhrase(PracticeHistory* history, const PhraseKey& key, const QString& phraseText,
                    const QString& unavailable = QString());
    // Lists the same phrase again (after a take, or a forgotten history).
    void Reload();
    // A line at the foot of the window ("No sound output device ...").
    void SetStatus(const QString& text);

    const std::vector<StoredTake>& Takes() const { return takes; }
    // The take of the selected row, or null.
    const StoredTake* SelectedTake() const;
    void SelectRow(int row);
    const PhraseKey& Key() const { return key; }

    QLabel* TitleLabel;
    QTreeWidget* TakeList;
    PictureBox* ScoreChart;
    QPushButton* PlayButton;
    QPushButton* ShowButton;
    QPushButton* ForgetButton;
    QPushButton* CloseButton;
    QLabel* StatusLabel;

    // How a take's date reads in the list, in local time.
    static QString TakeDate(const StoredTake& take);

signals:
    void PlayRequested(const StoredTake& take);
    void ShowRequested(const StoredTake& take);
    // The phrase's history was deleted.
    void Forgotten(const PhraseKey& key);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void FillList();
    void DrawChart();
    void UpdateButtons();
    void Forget_Click();

    PracticeHistory* history = nullptr;
    PhraseKey key;
    QString phraseText;
    std::vector<StoredTake> takes;
    // Every analysed take of the phrase, kept or not: refused takes alone
    // still mark it practised, so they too can be forgotten.
    int attempts = 0;
    bool forgetArmed = false;
};

Q_DECLARE_METATYPE(StoredTake)

// Where the History window goes, as a frame of `size` (screen coordinates):
// beside the exercise where the screen has room; else where it covers none
// of the exercise's buttons and as little of the native speaker's views as
// it can, made smaller (never below `smallest`) when it must; on the screen
// always.
QRect HistoryWindowPlace(const QRect& screenArea, const QRect& exerciseFrame,
                         const QRect& nativeViews, const std::vector<QRect>& buttons,
                         const QSize& size, const QSize& smallest);
