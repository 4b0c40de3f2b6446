#pragma once
// One entry of the lesson tree in the studio: for a category its phrases
// (added by importing a recording or by recording one, deleted), for the
// phrase chosen its text, syllables and three views with playback, the
// means to record it again or replace its sound, and for both the
// explanation the learner's Explain and Help show.
#include "course/CourseModel.h"

#include <QWidget>

class CourseDocument;
class ExplanationEditor;
class PhraseAuthoringJob;
class PhraseViews;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTemporaryDir;
class TakeRecorder;

// The text Import proposes for a recording: teachers name recordings after
// their phrases.
QString SuggestedPhraseText(const QString& recording);

class PhrasePanel : public QWidget
{
    Q_OBJECT
public:
    PhrasePanel(CourseDocument& document, QWidget* parent = nullptr);
    ~PhrasePanel() override;

    QLabel* EntryTitle;
    QGroupBox* PhrasesBox;
    QListWidget* ListOfPhrases;
    QPushButton* ImportButton;
    QPushButton* RecordButton;
    QPushButton* DeletePhraseButton;
    QGroupBox* PhraseBox;
    QLineEdit* PhraseText;
    QLineEdit* PhraseSyllables;
    PhraseViews* Views;
    QPushButton* RecordAgainButton;
    QPushButton* ReplaceButton;
    QPushButton* PreviewButton;
    ExplanationEditor* Explanation;

    // Shows an entry of the tree (and, for a category, one of its phrases).
    void ShowEntry(const NodePath& node, int phraseIndex = -1);
    // The course changed: show the same entry as it now is.
    void Refresh();
    NodePath Entry() const { return entry; }
    int SelectedPhrase() const;

    // The steps behind the buttons, with what the dialogs would ask given
    // (the tests and the menus call them too). A new phrase's file is
    // authored in the background; Busy tells when.
    bool ImportPhrase(const QString& recording, const QString& text, const QString& syllables);
    bool ReplacePhraseSound(int index, const QString& recording);
    bool AddRecordedPhrase(const QString& takeFile, const QString& text);
    bool Busy() const;
    void WaitUntilIdle();
    // Saves what is being typed in the text, syllable and explanation
    // fields, which are otherwise saved only when they lose the keyboard:
    // closing, a shortcut or a menu leaves them without taking it away.
    // False when the course refused it (the reason is shown).
    bool CommitTyping();

    void ImportButton_Click();
    void RecordButton_Click();
    void DeletePhraseButton_Click();
    void RecordAgainButton_Click();
    void ReplaceButton_Click();
    void PreviewButton_Click();

signals:
    void Problem(const QString& why);
    void Done(const QString& what);

private:
    void FillPhrases();
    void ShowPhrase(int index);
    void EnablePhraseControls(bool shown);
    QString ShownPhraseFile() const;
    int RowOf(const QString& fileName) const;
    // Whether the keyboard is in a field the teacher types a phrase or an
    // explanation into.
    bool Typing() const;
    bool CommitText();
    void CommitExplanation(const QString& html);
    void LoadExplanation();
    // False, with the reason shown, when the course cannot take a phrase
    // now: read-only, or a recording still being analysed.
    bool ReadyForJob();
    bool StartJob(const QString& recording, const QString& fileName, const QString& text,
                  const QString& syllables, bool adding);
    void JobDone(bool written, const QString& problem);
    // select: show the new phrase when it is in the entry on show.
    void FileNewPhrase(bool select);
    void RelabelReplacedPhrase();
    bool RecordTake(const QString& text);
    const CourseNode* Node() const;

    CourseDocument& document;
    NodePath entry;
    std::unique_ptr<QTemporaryDir> scratch;
    PhraseAuthoringJob* job;
    TakeRecorder* recorder;
    // The phrase the running job writes, and whether it is a new one.
    CoursePhrase pending;
    QString pendingCategory; // the code of the category a new phrase goes to
    QString pendingFile;     // where the job writes it, in the course open at its start
    bool pendingIsNew = false;
    // What was on show when the job started; the new phrase replaces it on
    // show only when the teacher has left it so.
    NodePath jobEntry;
    QString jobPhrase;
    bool filling = false;
    // While a job's end shows the course afresh: the fields being typed in
    // keep what they hold.
    bool keepTyping = false;
};
