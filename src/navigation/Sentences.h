#pragma once
// The phrase screen: lists the phrases of the chosen category, ordered by
// sound-file name. A double click or Enter opens the exercise screen on the
// selected phrase; this screen then hides, and its list's selection stays
// the record of the current phrase. Exit returns to the lesson tree.
#include "navigation/NavigationList.h"

#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QWidget>

class Sentences : public QWidget
{
    Q_OBJECT
public:
    explicit Sentences(const QString& categoryName);
    ~Sentences() override;

    // The phrase screen open now, if any (the exercise screen reads and
    // moves its list's selection).
    static Sentences* Current();

    QLabel* CategoryName;
    QLabel* Instruction;
    NavigationList* ListOfPhrases;
    QPushButton* ExitButton;
    QPushButton* HelpButton;

    void OpenSelectedPhrase();
    // Fills ListOfPhrases from PhraseList, with the horizontal extent of the widest text.
    void FillPhraseList();
    // The learner's marks beside the phrases practised.
    void MarkPractice();

    void Form_Load();
    void Form_Unload();
    void ExitButton_Click();
    void HelpButton_Click();
    void ListOfPhrases_DblClick();
    void ListOfPhrases_KeyDown(int keyCode);

    // Brings the screen back when the exercise screen is left.
    void ReturnFromExercise();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void Form_Resize();

    QSize loadSize;
    bool unloaded = false;
};
