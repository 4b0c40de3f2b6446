#include "studio/StudioWindow.h"

#include "course/CourseArchive.h"
#include "studio/CheckPanel.h"
#include "studio/LearnerTrial.h"
#include "studio/LessonTreeEditor.h"
#include "studio/PhrasePanel.h"
#include "studio/PhraseViews.h"
#include "studio/StudioPrograms.h"
#include "widgets/UntrustedText.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QDockWidget>
#include <QFileDialog>
#include <QFormLayout>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QProcess>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QVBoxLayout>

#include <utility>

namespace {

QAction* MakeAction(QMenu* menu, const QString& text, const QKeySequence& keys, const QString& name)
{
    QAction* action = menu->addAction(text);
    action->setObjectName(name);
    if (!keys.isEmpty()) action->setShortcut(keys);
    return action;
}

// The manifest's fields in a small form; false when cancelled.
bool EditManifest(QWidget* parent, CourseManifest& manifest)
{
    QDialog dialog(parent);
    dialog.setWindowTitle("Course Details");
    auto* title = new QLineEdit(manifest.Title, &dialog);
    auto* author = new QLineEdit(manifest.Author, &dialog);
    auto* language = new QLineEdit(manifest.Language, &dialog);
    auto* version = new QLineEdit(manifest.Version, &dialog);
    language->setPlaceholderText("en-GB");
    for (QLineEdit* field : {title, author, language, version})
        field->setMaxLength(MaxManifestValueChars);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    auto* form = new QFormLayout(&dialog);
    form->addRow("&Title:", title);
    form->addRow("&Author:", author);
    form->addRow("&Language:", language);
    form->addRow("&Version:", version);
    form->addRow(buttons);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    if (dialog.exec() != QDialog::Accepted) return false;
    // Only what the dialog shows: the course's identity and retired names stay.
    manifest.Title = title->text();
    manifest.Author = author->text();
    manifest.Language = language->text();
    manifest.Version = version->text();
    return true;
}

} // namespace

StudioWindow::StudioWindow() : Tutor(TutorProgram())
{
    setObjectName("StudioWindow");
    Tree = new LessonTreeEditor(document, this);
    Panel = new PhrasePanel(document, this);
    Check = new CheckPanel(this);
    StartHint = new QLabel("Start a new course with File > New Course (Ctrl+N), or open a "
                           "course folder with File > Open Course (Ctrl+O).",
                           this);
    StartHint->setObjectName("StartHint");
    StartHint->setAlignment(Qt::AlignCenter);
    StartHint->setWordWrap(true);

    ProblemBar = new QLabel(this);
    ProblemBar->setObjectName("ProblemBar");
    ProblemBar->setAccessibleName("Problem");
    ProblemBar->setTextFormat(Qt::PlainText); // it quotes the course's texts and names
    ProblemBar->setWordWrap(true);
    ProblemBar->setStyleSheet("QLabel { background: rgb(255, 236, 179); color: black;"
                              " padding: 6px; border: 1px solid rgb(200, 160, 60); }");
    ProblemBar->hide();
    pages = new QStackedWidget(this);
    pages->addWidget(StartHint);
    pages->addWidget(Panel);
    auto* centre = new QWidget(this);
    auto* centreLayout = new QVBoxLayout(centre);
    centreLayout->setContentsMargins(0, 0, 0, 0);
    centreLayout->addWidget(ProblemBar);
    centreLayout->addWidget(pages, 1);
    setCentralWidget(centre);

    auto* treeDock = new QDockWidget("Lesson Tree", this);
    treeDock->setObjectName("LessonTreeDock");
    treeDock->setWidget(Tree);
    treeDock->setFeatures(QDockWidget::NoDockWidgetFeatures);
    addDockWidget(Qt::LeftDockWidgetArea, treeDock);
    auto* checkDock = new QDockWidget("Check", this);
    checkDock->setObjectName("CheckDock");
    checkDock->setWidget(Check);
    checkDock->setFeatures(QDockWidget::NoDockWidgetFeatures);
    addDockWidget(Qt::BottomDockWidgetArea, checkDock);
    resizeDocks({treeDock}, {300}, Qt::Horizontal);
    resizeDocks({checkDock}, {110}, Qt::Vertical);

    CreateMenus();
    connect(&document, &CourseDocument::Changed, this, &StudioWindow::CourseChanged);
    connect(&document, &CourseDocument::SaveFailed, this, [this](const QString& why) {
        ShowProblem(QString("The course could not be saved: %1").arg(why));
    });
    // The tree is built again after every change; only a new entry chosen
    // moves the panel (which keeps its phrase otherwise).
    connect(Tree, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
        if (item != nullptr && LessonTreeEditor::PathOf(item) != Panel->Entry())
            Panel->ShowEntry(LessonTreeEditor::PathOf(item));
    });
    connect(Tree, &LessonTreeEditor::Problem, this, &StudioWindow::ShowProblem);
    connect(Tree, &LessonTreeEditor::Done, this, &StudioWindow::ShowDone);
    connect(Panel, &PhrasePanel::Problem, this, &StudioWindow::ShowProblem);
    connect(Panel, &PhrasePanel::Done, this, &StudioWindow::ShowDone);
    connect(Check, &CheckPanel::ShowEntry, this, [this](const NodePath& node, int phrase) {
        Tree->SelectPath(node);
        Panel->ShowEntry(node, phrase);
    });
    resize(1000, 720);
    CourseChanged();
}

StudioWindow::~StudioWindow() = default;

void StudioWindow::CreateMenus()
{
    QMenu* file = menuBar()->addMenu("&File");
    NewAction = MakeAction(file, "&New Course...", QKeySequence::New, "NewAction");
    OpenAction = MakeAction(file, "&Open Course...", QKeySequence::Open, "OpenAction");
    SaveCopyAction = MakeAction(file, "Save a &Copy...", {}, "SaveCopyAction");
    DetailsAction = MakeAction(file, "Course &Details...", {}, "DetailsAction");
    file->addSeparator();
    TryAction = MakeAction(file, "&Try as a Learner", QKeySequence("F5"), "TryAction");
    ExportAction = MakeAction(file, "&Export Course...", QKeySequence("Ctrl+E"), "ExportAction");
    InstallAction = MakeAction(file, "&Install for This User", {}, "InstallAction");
    file->addSeparator();
    QuitAction = MakeAction(file, "&Quit", QKeySequence::Quit, "QuitAction");

    QMenu* edit = menuBar()->addMenu("&Edit");
    UndoAction = document.UndoStack().createUndoAction(this, "&Undo");
    UndoAction->setShortcut(QKeySequence::Undo);
    RedoAction = document.UndoStack().createRedoAction(this, "&Redo");
    RedoAction->setShortcut(QKeySequence::Redo);
    edit->addAction(UndoAction);
    edit->addAction(RedoAction);
    edit->addSeparator();
    // The tree handles these keys itself; the menu names them.
    const auto treeAction = [this, edit](const QString& text, auto slot) {
        connect(edit->addAction(text), &QAction::triggered, Tree, slot);
    };
    treeAction("Add &Category\tIns", [this] { Tree->AddEntry(true); });
    treeAction("Add &Topic\tShift+Ins", [this] { Tree->AddEntry(false); });
    treeAction("Re&name\tF2", [this] {
        if (QTreeWidgetItem* item = Tree->currentItem()) Tree->editItem(item, 0);
    });
    treeAction("Move &Up\tAlt+Up", [this] { Tree->MoveSelected(-1); });
    treeAction("Move &Down\tAlt+Down", [this] { Tree->MoveSelected(+1); });
    treeAction("Into the Topic &Above\tAlt+Right", [this] { Tree->IndentSelected(); });
    treeAction("&Out of the Topic\tAlt+Left", [this] { Tree->OutdentSelected(); });
    treeAction("&Delete\tDel", [this] { Tree->DeleteSelected(); });

    QMenu* phrase = menuBar()->addMenu("&Phrase");
    connect(
        MakeAction(phrase, "&Import a Recording...", QKeySequence("Ctrl+Shift+I"), "ImportAction"),
        &QAction::triggered, Panel, &PhrasePanel::ImportButton_Click);
    connect(MakeAction(phrase, "&Record...", QKeySequence("Ctrl+R"), "RecordAction"),
            &QAction::triggered, Panel, &PhrasePanel::RecordButton_Click);
    connect(MakeAction(phrase, "&Play", QKeySequence("Ctrl+P"), "PlayAction"), &QAction::triggered,
            Panel, [this] { Panel->Views->Play(); });

    connect(NewAction, &QAction::triggered, this, &StudioWindow::NewAction_Triggered);
    connect(OpenAction, &QAction::triggered, this, &StudioWindow::OpenAction_Triggered);
    connect(SaveCopyAction, &QAction::triggered, this, &StudioWindow::SaveCopyAction_Triggered);
    connect(DetailsAction, &QAction::triggered, this, &StudioWindow::DetailsAction_Triggered);
    connect(ExportAction, &QAction::triggered, this, &StudioWindow::ExportAction_Triggered);
    connect(InstallAction, &QAction::triggered, this, &StudioWindow::InstallAction_Triggered);
    connect(TryAction, &QAction::triggered, this, &StudioWindow::TryAction_Triggered);
    connect(QuitAction, &QAction::triggered, this, &QWidget::close);
}

void StudioWindow::CourseChanged()
{
    Tree->Rebuild();
    Panel->Refresh();
    const bool open = document.IsOpen();
    pages->setCurrentWidget(open ? static_cast<QWidget*>(Panel) : StartHint);
    for (QAction* action : {SaveCopyAction, ExportAction, InstallAction, TryAction})
        action->setEnabled(open);
    DetailsAction->setEnabled(open && !document.IsReadOnly());
    Check->Schedule(document.Folder(), document.Current());
    UpdateTitle();
}

void StudioWindow::UpdateTitle()
{
    QString title = "Tonvale Studio";
    if (document.IsOpen()) {
        title = QString("%1 - %2").arg(document.Current().Root.Name, title);
        if (document.IsReadOnly()) title += " (read-only: " + document.ReadOnlyHint() + ")";
    }
    setWindowTitle(title);
}

void StudioWindow::ShowProblem(const QString& why)
{
    // Shown beside the work, not in a box to dismiss: the teacher reads why,
    // and goes on.
    ProblemBar->setText(why);
    ProblemBar->show();
    QApplication::beep();
}

void StudioWindow::ShowDone(const QString& what)
{
    ProblemBar->hide();
    statusBar()->showMessage(what, 8000);
    if (document.IsOpen()) Check->Schedule(document.Folder(), document.Current());
}

bool StudioWindow::RefusedWhileAnalysing(const QString& action)
{
    // The phrase being made belongs to the course open now: its file goes
    // to this course's folder, and it is listed in this course's category.
    if (!Panel->Busy()) return false;
    ShowProblem(QString("A recording is being analysed; %1 when it is done.").arg(action));
    return true;
}

bool StudioWindow::MayLeaveUnsavedEdits(const QString& action)
{
    // The edits since a failed save live in this window alone: the disk may
    // take them now; if not, the teacher decides, and may keep them by
    // File > Save a Copy, which saves them elsewhere.
    QString why;
    if (!document.HasUnsavedChanges() || document.SaveAgain(&why)) return true;
    return ShowPlainMessage(this, QMessageBox::Warning, "Tonvale Studio",
                            QString("The latest changes to the course could not be saved: "
                                    "%1\n\n%2 anyway and lose them? Choose No to keep "
                                    "them here, then File > Save a Copy saves them "
                                    "elsewhere.")
                                .arg(why, action),
                            QMessageBox::Yes | QMessageBox::No,
                            QMessageBox::No) == QMessageBox::Yes;
}

bool StudioWindow::RefusedWhileUnsaved(const QString& outcome)
{
    // Export, install and trial take the course from its files, which hold
    // an older course than the window shows until a save succeeds.
    QString why;
    if (!document.HasUnsavedChanges() || document.SaveAgain(&why)) return false;
    ShowProblem(QString("%1: the latest changes could not be saved (%2). Free some room or "
                        "use File > Save a Copy, then try again.")
                    .arg(outcome, why));
    return true;
}

bool StudioWindow::CreateCourse(const QString& folder, const QString& title)
{
    if (RefusedWhileAnalysing("start a new course")) return false;
    QString problem;
    if (!document.Create(folder, title, &problem)) {
        ShowProblem(problem);
        return false;
    }
    Tree->SelectPath({1});
    Tree->setFocus();
    ShowDone(QString("New course in %1").arg(folder));
    return true;
}

bool StudioWindow::OpenCourse(const QString& folder)
{
    if (RefusedWhileAnalysing("open another course")) return false;
    QString problem;
    if (!document.Open(folder, InstalledContentFolder(), &problem)) {
        ShowProblem(QString("%1 is no course the tutor can read: %2").arg(folder, problem));
        return false;
    }
    Tree->SelectPath({});
    Tree->setFocus();
    return true;
}

void StudioWindow::NewAction_Triggered()
{
    if (RefusedWhileAnalysing("start a new course")) return;
    if (!MayLeaveUnsavedEdits("Start a new course")) return;
    const QString folder = QFileDialog::getExistingDirectory(
        this, "New Course: Choose an Empty Folder", QDir::homePath());
    if (folder.isEmpty()) return;
    bool ok = false;
    const QString title = QInputDialog::getText(
        this, "New Course", "The course's title:", QLineEdit::Normal, "My Course", &ok);
    if (ok) CreateCourse(folder, title);
}

void StudioWindow::OpenAction_Triggered()
{
    if (RefusedWhileAnalysing("open another course")) return;
    if (!MayLeaveUnsavedEdits("Open another course")) return;
    const QString folder = QFileDialog::getExistingDirectory(
        this, "Open a Course Folder (it holds Sounds and Help)", QDir::homePath());
    if (!folder.isEmpty()) OpenCourse(folder);
}

void StudioWindow::SaveCopyAction_Triggered()
{
    if (RefusedWhileAnalysing("save a copy")) return;
    if (!Panel->CommitTyping()) return;
    const QString folder =
        QFileDialog::getExistingDirectory(this, "Save a Copy: Choose an Empty Folder");
    if (folder.isEmpty()) return;
    QString problem;
    if (!document.SaveCopy(folder, &problem))
        ShowProblem(problem);
    else
        ShowDone(QString("Working on the copy in %1").arg(folder));
}

void StudioWindow::DetailsAction_Triggered()
{
    CourseManifest manifest = document.Manifest();
    if (!EditManifest(this, manifest)) return;
    if (const QString why = document.SetManifest(manifest); !why.isEmpty()) ShowProblem(why);
}

bool StudioWindow::ConfirmDespiteErrors(const QString& action)
{
    Check->CheckNow();
    if (Check->ErrorCount() == 0) return true;
    return QMessageBox::question(
               this, "Tonvale Studio",
               QString("The check finds %1 problems a learner would meet (see Check below). "
                       "%2 anyway?")
                   .arg(Check->ErrorCount())
                   .arg(action)) == QMessageBox::Yes;
}

bool StudioWindow::ExportCourse(const QString& archive)
{
    if (RefusedWhileUnsaved("The course was not exported")) return false;
    QString problem;
    if (!ExportCourseArchive(document.Folder(), document.Manifest(), archive, &problem)) {
        ShowProblem(QString("The course was not exported: %1").arg(problem));
        return false;
    }
    ShowDone(QString("Exported to %1: give this file to your learners").arg(archive));
    return true;
}

void StudioWindow::ExportAction_Triggered()
{
    if (!Panel->CommitTyping()) return;
    if (!ConfirmDespiteErrors("Export")) return;
    QString archive = QFileDialog::getSaveFileName(
        this, "Export Course",
        QDir(QDir::homePath()).filePath(document.Manifest().Title + "." + CourseArchiveSuffix),
        QString("Shared courses (*.%1)").arg(CourseArchiveSuffix));
    if (archive.isEmpty()) return;
    if (!archive.endsWith("." + CourseArchiveSuffix)) archive += "." + CourseArchiveSuffix;
    ExportCourse(archive);
}

bool StudioWindow::InstallForThisUser()
{
    if (installer != nullptr) {
        ShowProblem("The course is being installed; wait until it is done.");
        return false;
    }
    if (RefusedWhileUnsaved("The course was not installed")) return false;
    // Installed exactly as a learner installs it: through the archive and
    // the tutor's own installation.
    auto scratch = std::make_unique<QTemporaryDir>();
    const QString archive = scratch->filePath("course." + CourseArchiveSuffix);
    QString problem;
    if (!ExportCourseArchive(document.Folder(), document.Manifest(), archive, &problem)) {
        ShowProblem(QString("The course was not installed: %1").arg(problem));
        return false;
    }
    installScratch = std::move(scratch);
    // No time limit: stopping the tutor half-way would leave a half-copied
    // course behind, hidden in the learner's courses.
    QProcess* tutor = installer = new QProcess(this);
    connect(tutor, &QProcess::finished, this, [this, tutor] {
        if (installer == tutor) InstallEnded();
    });
    connect(tutor, &QProcess::errorOccurred, this, [this, tutor](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart && installer == tutor) InstallEnded();
    });
    statusBar()->showMessage("Installing the course for this user...");
    tutor->start(Tutor, {"--install-course", archive});
    return installer == tutor;
}

void StudioWindow::InstallEnded()
{
    QProcess* tutor = std::exchange(installer, nullptr);
    tutor->deleteLater();
    installScratch.reset();
    const bool installed = tutor->error() != QProcess::FailedToStart &&
                           tutor->exitStatus() == QProcess::NormalExit && tutor->exitCode() == 0;
    if (installed) {
        const QString said = QString::fromLocal8Bit(tutor->readAllStandardOutput()).trimmed();
        ShowDone(said.isEmpty() ? QString("The course is installed for this user") : said);
        return;
    }
    QString why = QString::fromLocal8Bit(tutor->readAllStandardError()).trimmed();
    if (why.isEmpty()) why = tutor->errorString();
    ShowProblem(QString("The course was not installed: %1").arg(why));
}

void StudioWindow::InstallAction_Triggered()
{
    if (!Panel->CommitTyping()) return;
    // A second install is refused before the check asks anything.
    if (installer == nullptr && !ConfirmDespiteErrors("Install")) return;
    InstallForThisUser();
}

void StudioWindow::TryAction_Triggered()
{
    if (!Panel->CommitTyping()) return;
    if (RefusedWhileUnsaved("The course was not opened as a learner sees it")) return;
    QString problem;
    if (!StartLearnerTrial(document.Folder(), &problem))
        ShowProblem(problem);
    else
        ShowDone("The tutor opens this course as a learner sees it");
}

void StudioWindow::closeEvent(QCloseEvent* event)
{
    if (Panel->Busy()) {
        statusBar()->showMessage("A recording is being analysed; close again when it is done.");
        event->ignore();
        return;
    }
    if (installer != nullptr) {
        statusBar()->showMessage("The course is being installed; close again when it is done.");
        event->ignore();
        return;
    }
    // A refused text stays on show with its reason; closing again closes.
    if (!Panel->CommitTyping()) {
        event->ignore();
        return;
    }
    if (!MayLeaveUnsavedEdits("Close")) {
        event->ignore();
        return;
    }
    document.Close();
    event->accept();
}
