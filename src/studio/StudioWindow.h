#pragma once
// The course studio's main window: the lesson tree on the left, the entry
// chosen (a category's phrases, a phrase with its views, the explanations)
// in the middle, the content check below. The menus start and open
// courses, edit the tree, try the course in the tutor and share it.
#include "course/CourseDocument.h"

#include <QMainWindow>

#include <memory>

class CheckPanel;
class LessonTreeEditor;
class PhrasePanel;
class QAction;
class QLabel;

class StudioWindow : public QMainWindow
{
    Q_OBJECT
public:
    StudioWindow();
    ~StudioWindow() override;

    CourseDocument& Document() { return document; }
    LessonTreeEditor* Tree;
    PhrasePanel* Panel;
    CheckPanel* Check;
    QLabel* StartHint;
    // The last edit refused and why; it stays until the next edit is done.
    QLabel* ProblemBar;

    QAction* NewAction;
    QAction* OpenAction;
    QAction* SaveCopyAction;
    QAction* DetailsAction;
    QAction* ExportAction;
    QAction* InstallAction;
    QAction* TryAction;
    QAction* QuitAction;
    QAction* UndoAction;
    QAction* RedoAction;

    // The tutor whose own installation installs a course for this user; the
    // tests put a stand-in here.
    QString Tutor;

    // The steps behind the menus, with what the dialogs would ask given.
    bool CreateCourse(const QString& folder, const QString& title);
    bool OpenCourse(const QString& folder);
    bool ExportCourse(const QString& archive);
    // Starts the tutor's installation beside the window; its end is shown
    // when it comes. False when it could not be started.
    bool InstallForThisUser();
    bool Installing() const { return installer != nullptr; }

    void NewAction_Triggered();
    void OpenAction_Triggered();
    void SaveCopyAction_Triggered();
    void DetailsAction_Triggered();
    void ExportAction_Triggered();
    void InstallAction_Triggered();
    void TryAction_Triggered();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void CreateMenus();
    void CourseChanged();
    void ShowProblem(const QString& why);
    void ShowDone(const QString& what);
    void UpdateTitle();
    bool ConfirmDespiteErrors(const QString& action);
    // After a failed save: true when the edits are saved now or the teacher
    // lets action ("Close", "Open another course") drop them.
    bool MayLeaveUnsavedEdits(const QString& action);
    // After a failed save that fails again: shows why outcome happened
    // ("The course was not exported") and returns true.
    bool RefusedWhileUnsaved(const QString& outcome);
    bool RefusedWhileAnalysing(const QString& action);
    void InstallEnded();

    CourseDocument document;
    class QStackedWidget* pages;
    class QProcess* installer = nullptr;
    // Holds the archive the tutor installs from until it ends.
    std::unique_ptr<class QTemporaryDir> installScratch;
};
