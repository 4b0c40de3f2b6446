#include "studio/PhrasePanel.h"

#include "content/HelpDocument.h"
#include "course/CourseDocument.h"
#include "course/CoursePack.h"
#include "course/PhraseLabels.h"
#include "studio/ExplanationEditor.h"
#include "studio/PhraseAuthoringJob.h"
#include "studio/PhraseViews.h"
#include "studio/RecordDialog.h"
#include "studio/StudioPrograms.h"
#include "studio/TakeRecorder.h"
#include "widgets/HelpWindow.h"
#include "widgets/UntrustedText.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTextEdit>
#include <QThread>
#include <QVBoxLayout>

namespace {

const QString RecordingFilter =
    "Recordings (*.wav *.WAV *.flac *.FLAC *.ogg *.oga *.OGG *.mp3 *.MP3);;All files (*)";

QPushButton* MakeButton(const QString& text, const QString& name, const QString& tip,
                        QWidget* parent)
{
    auto* button = new QPushButton(text, parent);
    button->setObjectName(name);
    button->setToolTip(tip);
    button->setAccessibleDescription(tip);
    return button;
}

} // namespace

QString SuggestedPhraseText(const QString& recording)
{
    // Only the extension goes: "Mr. Brown is here.wav", "01. Good morning.wav".
    return QFileInfo(recording).completeBaseName();
}

PhrasePanel::PhrasePanel(CourseDocument& doc, QWidget* parent) : QWidget(parent), document(doc)
{
    setObjectName("PhrasePanel");
    scratch = std::make_unique<QTemporaryDir>();
    job = new PhraseAuthoringJob(scratch->path(), this);
    recorder = new TakeRecorder(AnalyserProgram(), scratch->path(), this);

    EntryTitle = new QLabel(this);
    EntryTitle->setObjectName("EntryTitle");
    EntryTitle->setTextFormat(Qt::PlainText); // it quotes the course's names
    QFont bigger = EntryTitle->font();
    bigger.setPointSizeF(bigger.pointSizeF() * 1.3);
    bigger.setBold(true);
    EntryTitle->setFont(bigger);

    PhrasesBox = new QGroupBox("P&hrases", this);
    ListOfPhrases = new QListWidget(PhrasesBox);
    ListOfPhrases->setObjectName("ListOfPhrases");
    ListOfPhrases->setAccessibleName("Phrases of the category");
    ImportButton = MakeButton("&Import...", "ImportButton",
                              "Add a phrase from a recording (WAV, FLAC, Ogg or MP3)", PhrasesBox);
    RecordButton =
        MakeButton("&Record...", "RecordButton", "Add a phrase in your own voice", PhrasesBox);
    DeletePhraseButton =
        MakeButton("De&lete", "DeletePhraseButton", "Delete the phrase chosen", PhrasesBox);
    auto* phraseButtons = new QVBoxLayout;
    phraseButtons->addWidget(ImportButton);
    phraseButtons->addWidget(RecordButton);
    phraseButtons->addWidget(DeletePhraseButton);
    phraseButtons->addStretch();
    auto* phrasesLayout = new QHBoxLayout(PhrasesBox);
    phrasesLayout->addWidget(ListOfPhrases, 1);
    phrasesLayout->addLayout(phraseButtons);

    PhraseBox = new QGroupBox("The phrase", this);
    PhraseText = new QLineEdit(PhraseBox);
    PhraseText->setObjectName("PhraseText");
    PhraseText->setAccessibleName("Phrase text");
    PhraseSyllables = new QLineEdit(PhraseBox);
    PhraseSyllables->setObjectName("PhraseSyllables");
    PhraseSyllables->setAccessibleName("Syllables");
    PhraseSyllables->setPlaceholderText(
        "optional: one piece per step, stressed in capitals: re|CORD");
    Views = new PhraseViews(PhraseBox);
    RecordAgainButton = MakeButton("Record &Again...", "RecordAgainButton",
                                   "Record this phrase again in your own voice", PhraseBox);
    ReplaceButton = MakeButton("Replace &Sound...", "ReplaceButton",
                               "Take this phrase's sound from another recording", PhraseBox);
    PreviewButton = MakeButton("Sho&w as the Learner Sees It", "PreviewButton",
                               "Open the explanation in the tutor's help window", PhraseBox);
    auto* fields = new QFormLayout;
    fields->addRow("&Text:", PhraseText);
    fields->addRow("S&yllables:", PhraseSyllables);
    auto* soundButtons = new QHBoxLayout;
    soundButtons->addWidget(RecordAgainButton);
    soundButtons->addWidget(ReplaceButton);
    soundButtons->addStretch();
    auto* phraseLayout = new QVBoxLayout(PhraseBox);
    phraseLayout->addLayout(fields);
    phraseLayout->addWidget(Views, 1);
    phraseLayout->addLayout(soundButtons);

    Explanation = new ExplanationEditor(this);
    auto* explanationRow = new QHBoxLayout;
    explanationRow->addStretch();
    explanationRow->addWidget(PreviewButton);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(EntryTitle);
    layout->addWidget(PhrasesBox, 2);
    layout->addWidget(PhraseBox, 4);
    layout->addWidget(Explanation, 2);
    layout->addLayout(explanationRow);

    connect(ListOfPhrases, &QListWidget::currentRowChanged, this, [this](int row) {
        if (!filling) ShowPhrase(row);
    });
    connect(ImportButton, &QPushButton::clicked, this, &PhrasePanel::ImportButton_Click);
    connect(RecordButton, &QPushButton::clicked, this, &PhrasePanel::RecordButton_Click);
    connect(DeletePhraseButton, &QPushButton::clicked, this,
            &PhrasePanel::DeletePhraseButton_Click);
    connect(RecordAgainButton, &QPushButton::clicked, this, &PhrasePanel::RecordAgainButton_Click);
    connect(ReplaceButton, &QPushButton::clicked, this, &PhrasePanel::ReplaceButton_Click);
    connect(PreviewButton, &QPushButton::clicked, this, &PhrasePanel::PreviewButton_Click);
    connect(PhraseText, &QLineEdit::editingFinished, this, &PhrasePanel::CommitText);
    connect(PhraseSyllables, &QLineEdit::editingFinished, this, &PhrasePanel::CommitText);
    connect(Explanation, &ExplanationEditor::Committed, this, &PhrasePanel::CommitExplanation);
    connect(job, &PhraseAuthoringJob::Done, this, &PhrasePanel::JobDone);
    ShowEntry({});
}

PhrasePanel::~PhrasePanel()
{
    job->Wait();
}

const CourseNode* PhrasePanel::Node() const
{
    return document.IsOpen() ? NodeAt(document.Current(), entry) : nullptr;
}

int PhrasePanel::SelectedPhrase() const
{
    const CourseNode* node = Node();
    const int row = ListOfPhrases->currentRow();
    return node && row >= 0 && row < static_cast<int>(node->Phrases.size()) ? row : -1;
}

void PhrasePanel::ShowEntry(const NodePath& node, int phraseIndex)
{
    Explanation->Commit();
    entry = node;
    FillPhrases();
    ListOfPhrases->setCurrentRow(phraseIndex);
    ShowPhrase(SelectedPhrase());
}

void PhrasePanel::Refresh()
{
    if (Node() == nullptr) entry.clear();
    const QString shown = ShownPhraseFile();
    const int row = ListOfPhrases->currentRow();
    FillPhrases();
    const CourseNode* node = Node();
    const int count = node ? static_cast<int>(node->Phrases.size()) : 0;
    // The phrase on show stays on show, also when a phrase listed before it
    // came in (an import, an undone deletion).
    int again = RowOf(shown);
    if (again < 0) again = std::min(row, count - 1);
    filling = true;
    ListOfPhrases->setCurrentRow(again);
    filling = false;
    if (keepTyping && ShownPhraseFile() == shown) {
        EnablePhraseControls(SelectedPhrase() >= 0);
        Explanation->setProperty("phrase", SelectedPhrase());
        return;
    }
    ShowPhrase(SelectedPhrase());
}

QString PhrasePanel::ShownPhraseFile() const
{
    // From the list, which still shows the course as it was before a change.
    const QListWidgetItem* item = ListOfPhrases->currentItem();
    return item ? item->data(Qt::UserRole).toString() : QString();
}

int PhrasePanel::RowOf(const QString& fileName) const
{
    const CourseNode* node = Node();
    for (size_t i = 0; node && !fileName.isEmpty() && i < node->Phrases.size(); ++i) {
        if (node->Phrases[i].FileName == fileName) return static_cast<int>(i);
    }
    return -1;
}

bool PhrasePanel::Typing() const
{
    return PhraseText->hasFocus() || PhraseSyllables->hasFocus() || Explanation->Text->hasFocus();
}

void PhrasePanel::FillPhrases()
{
    filling = true;
    ListOfPhrases->clear();
    const CourseNode* node = Node();
    const bool category = node && node->IsCategory;
    if (node == nullptr)
        EntryTitle->setText(document.IsOpen() ? QString() : QString("No course is open"));
    else if (entry.empty())
        EntryTitle->setText(QString("Course: %1").arg(node->Name));
    else
        EntryTitle->setText(category ? QString("Category %1: %2").arg(node->Code, node->Name)
                                     : QString("Topic: %1").arg(node->Name));
    PhrasesBox->setVisible(category);
    PhraseBox->setVisible(category);
    if (category) {
        for (const CoursePhrase& phrase : node->Phrases) {
            auto* item = new QListWidgetItem(phrase.Text, ListOfPhrases);
            item->setToolTip(PlainToolTip(phrase.FileName));
            item->setData(Qt::UserRole, phrase.FileName);
        }
    }
    const bool writable = document.IsOpen() && !document.IsReadOnly();
    ImportButton->setEnabled(writable && !Busy());
    RecordButton->setEnabled(writable && !Busy());
    filling = false;
}

void PhrasePanel::EnablePhraseControls(bool shown)
{
    const bool writable = document.IsOpen() && !document.IsReadOnly();
    PhraseBox->setEnabled(shown);
    DeletePhraseButton->setEnabled(shown && writable);
    for (QWidget* control : std::initializer_list<QWidget*>{RecordAgainButton, ReplaceButton})
        control->setEnabled(shown && writable && !Busy());
    PhraseText->setReadOnly(!writable);
    PhraseSyllables->setReadOnly(!writable);
}

void PhrasePanel::ShowPhrase(int index)
{
    const CourseNode* node = Node();
    const bool shown = node && index >= 0 && index < static_cast<int>(node->Phrases.size());
    EnablePhraseControls(shown);
    if (shown) {
        const CoursePhrase& phrase = node->Phrases[static_cast<size_t>(index)];
        PhraseBox->setTitle(QString("The phrase: %1").arg(phrase.FileName));
        PhraseText->setText(phrase.Text);
        PhraseSyllables->setText(phrase.Syllables);
        Views->ShowPhrase(document.SoundFile(phrase.FileName));
    } else {
        PhraseBox->setTitle("The phrase");
        PhraseText->clear();
        PhraseSyllables->clear();
        Views->ShowPhrase({});
    }
    LoadExplanation();
}

void PhrasePanel::LoadExplanation()
{
    const CourseNode* node = Node();
    const int phrase = SelectedPhrase();
    QString title;
    QString html;
    int32_t topic = 0;
    if (node && phrase >= 0) {
        const CoursePhrase& chosen = node->Phrases[static_cast<size_t>(phrase)];
        topic = PhraseTopic(chosen.FileName);
        title = QString("E&xplanation of \"%1\" (help topic %2)")
                    .arg(QString(chosen.Text).replace('&', "&&"), QString::number(topic));
        html = chosen.Explanation;
    } else if (node && entry == FirstNodePath(document.Current())) {
        topic = CourseIntroductionTopic;
        title = QString("E&xplanation: the course introduction (help topic 100, opened when a "
                        "learner enters \"%1\")")
                    .arg(QString(node->Name).replace('&', "&&"));
        html = node->Explanation;
    } else if (node && node->IsCategory && CategoryTopic(node->Code) != 0) {
        topic = CategoryTopic(node->Code);
        title = QString("E&xplanation: about this category (help topic %1)").arg(topic);
        html = node->Explanation;
    }
    Explanation->Commit();
    Explanation->setProperty("node", QVariant::fromValue(QList<int>(entry.begin(), entry.end())));
    Explanation->setProperty("phrase", phrase);
    Explanation->setProperty("topic", topic);
    Explanation->SetHelpFolder(QFileInfo(QDir(document.Folder()).filePath(HelpFileName)).path());
    Explanation->Load(title, html, document.IsOpen() && !document.IsReadOnly());
    PreviewButton->setEnabled(topic != 0);
}

void PhrasePanel::CommitExplanation(const QString& html)
{
    const QList<int> node = Explanation->property("node").value<QList<int>>();
    const QString problem = document.SetExplanation(NodePath(node.begin(), node.end()),
                                                    Explanation->property("phrase").toInt(), html);
    if (!problem.isEmpty()) emit Problem(problem);
}

bool PhrasePanel::CommitText()
{
    const int index = SelectedPhrase();
    if (index < 0 || PhraseText->isReadOnly()) return true;
    const QString problem =
        document.SetPhraseText(entry, index, PhraseText->text(), PhraseSyllables->text());
    if (problem.isEmpty()) return true;
    emit Problem(problem);
    ShowPhrase(index); // back to what the course keeps
    return false;
}

bool PhrasePanel::CommitTyping()
{
    // The text first: saving the explanation shows the phrase afresh, from
    // the course, which would put back the text as it was.
    if (!CommitText()) return false;
    // The explanation's edit reports a refusal only through Problem.
    bool saved = true;
    const auto problems = connect(this, &PhrasePanel::Problem, this, [&saved] { saved = false; });
    Explanation->Commit();
    disconnect(problems);
    return saved;
}

bool PhrasePanel::Busy() const
{
    return job->IsRunning() || recorder->IsRecording() || recorder->IsAnalysing();
}

void PhrasePanel::WaitUntilIdle()
{
    job->Wait();
    QCoreApplication::processEvents();
}

bool PhrasePanel::ReadyForJob()
{
    // The menus' keys reach here even when the buttons are disabled.
    if (const QString why = document.Writable(); !why.isEmpty()) {
        emit Problem(why);
        return false;
    }
    if (Busy()) {
        emit Problem("A recording is being analysed; wait until it is done.");
        return false;
    }
    // A job shows the phrase afresh from the course, which would put back
    // the text being typed.
    return CommitText();
}

bool PhrasePanel::StartJob(const QString& recording, const QString& fileName, const QString& text,
                           const QString& syllables, bool adding)
{
    if (!ReadyForJob()) return false;
    const CourseNode* node = Node();
    if (node == nullptr || !node->IsCategory) {
        emit Problem("Choose a category first: phrases belong to a category.");
        return false;
    }
    if (QString why = CheckPhraseText(text); !why.isEmpty()) {
        emit Problem(why);
        return false;
    }
    if (fileName.isEmpty()) {
        emit Problem(QString("The category holds %1 phrases, as many as it can; add another "
                             "category for more.")
                         .arg(MaxPhrasesPerCategory));
        return false;
    }
    pending = CoursePhrase{fileName, text.trimmed(), syllables.trimmed(), {}};
    pendingCategory = node->Code;
    pendingFile = document.SoundFile(fileName);
    pendingIsNew = adding;
    jobEntry = entry;
    jobPhrase = ShownPhraseFile();
    if (!job->Start(recording, pendingFile, text, syllables, true)) return false;
    emit Done("Analysing the recording...");
    Refresh(); // the buttons that start a job are disabled now; the phrase stays chosen
    return true;
}

void PhrasePanel::JobDone(bool written, const QString& problem)
{
    // The teacher may have gone on working meanwhile. What is being typed
    // stays as it is, to be saved on Return or when its field loses the
    // keyboard like any typing; a text typed but left is saved now, since
    // showing the course afresh below would put it back.
    keepTyping = Typing();
    const bool leftAlone = !keepTyping && entry == jobEntry && ShownPhraseFile() == jobPhrase;
    if (!keepTyping) CommitText();
    if (!written) {
        emit Problem(QString("The recording was not used: %1").arg(problem));
    } else if (document.SoundFile(pending.FileName) != pendingFile && pendingIsNew) {
        // Another course was opened meanwhile: a category of the same code
        // there is another category, and the file belongs to no course's list.
        QFile::remove(pendingFile);
        emit Problem(QString("Another course was opened while the recording of \"%1\" was "
                             "analysed; the phrase was not added.")
                         .arg(pending.Text));
    } else if (document.SoundFile(pending.FileName) != pendingFile) {
        emit Done(QString("The sound of \"%1\" was replaced in its course").arg(pending.Text));
    } else if (pendingIsNew) {
        FileNewPhrase(leftAlone);
    } else {
        RelabelReplacedPhrase();
    }
    Refresh();
    keepTyping = false;
}

void PhrasePanel::FileNewPhrase(bool select)
{
    // The tree may have changed while the recording was analysed: the
    // category is found by its code, not by where it stood.
    NodePath category;
    bool found = false;
    ForEachNode(document.Current(), [&](const CourseNode& node, const NodePath& path) {
        if (!found && node.IsCategory && node.Code == pendingCategory) {
            category = path;
            found = true;
        }
    });
    if (!found) {
        emit Problem(QString("The category of \"%1\" was deleted while the recording was "
                             "analysed; the phrase was not added.")
                         .arg(pending.Text));
        return;
    }
    if (const QString why = document.AddPhrase(category, pending); !why.isEmpty()) {
        emit Problem(why);
        return;
    }
    if (select && entry == category) ListOfPhrases->setCurrentRow(RowOf(pending.FileName));
    emit Done(QString("Phrase \"%1\" added").arg(pending.Text));
}

void PhrasePanel::RelabelReplacedPhrase()
{
    // The new file carries the text and syllables the phrase had when the
    // job started, and was renamed over any relabelling done since (an edit,
    // an undo): it takes the course's labels again.
    CoursePhrase now = pending;
    ForEachNode(document.Current(), [this, &now](const CourseNode& node, const NodePath&) {
        for (const CoursePhrase& phrase : node.Phrases)
            if (phrase.FileName == pending.FileName) now = phrase;
    });
    // As an edit does it: syllables left alone keep their places in the file.
    QString problem;
    bool relabelled = true;
    if (now.Syllables != pending.Syllables)
        relabelled = RewritePhraseLabels(pendingFile, now.Text.toUtf8(), now.Syllables, &problem);
    else if (now.Text != pending.Text)
        relabelled = RewritePhraseText(pendingFile, now.Text.toUtf8(), &problem);
    if (relabelled)
        emit Done(QString("The sound of \"%1\" was replaced").arg(now.Text));
    else
        emit Problem(QString("The sound of \"%1\" was replaced, but the new file keeps the "
                             "text the phrase had before: %2")
                         .arg(now.Text, problem));
}

bool PhrasePanel::ImportPhrase(const QString& recording, const QString& text,
                               const QString& syllables)
{
    return StartJob(recording, document.NewPhraseFileName(entry), text, syllables, true);
}

bool PhrasePanel::AddRecordedPhrase(const QString& takeFile, const QString& text)
{
    return StartJob(takeFile, document.NewPhraseFileName(entry), text, {}, true);
}

bool PhrasePanel::ReplacePhraseSound(int index, const QString& recording)
{
    // The text being typed first, so that the job starts from it.
    if (!ReadyForJob()) return false;
    const CourseNode* node = Node();
    if (node == nullptr || index < 0 || index >= static_cast<int>(node->Phrases.size()))
        return false;
    const CoursePhrase phrase = node->Phrases[static_cast<size_t>(index)];
    return StartJob(recording, phrase.FileName, phrase.Text, phrase.Syllables, false);
}

void PhrasePanel::ImportButton_Click()
{
    if (!ReadyForJob()) return;
    const QString file =
        QFileDialog::getOpenFileName(this, "Import a Recording", QDir::homePath(), RecordingFilter);
    if (file.isEmpty()) return;
    bool ok = false;
    const QString text = QInputDialog::getText(
        this, "Import a Recording", "The phrase as the learner reads it:", QLineEdit::Normal,
        SuggestedPhraseText(file), &ok);
    if (ok) ImportPhrase(file, text, {});
}

bool PhrasePanel::RecordTake(const QString& text)
{
    RecordDialog dialog(text, *recorder, this);
    return dialog.exec() == QDialog::Accepted;
}

void PhrasePanel::RecordButton_Click()
{
    if (!ReadyForJob()) return;
    bool ok = false;
    const QString text = QInputDialog::getText(
        this, "Record a Phrase", "The phrase you will say:", QLineEdit::Normal, {}, &ok);
    if (!ok) return;
    if (QString why = CheckPhraseText(text); !why.isEmpty()) {
        emit Problem(why);
        return;
    }
    if (RecordTake(text)) AddRecordedPhrase(recorder->TakeFile(), text);
}

void PhrasePanel::RecordAgainButton_Click()
{
    if (!ReadyForJob()) return;
    const int index = SelectedPhrase();
    if (index < 0) return;
    const CoursePhrase phrase = Node()->Phrases[static_cast<size_t>(index)];
    if (RecordTake(phrase.Text)) ReplacePhraseSound(index, recorder->TakeFile());
}

void PhrasePanel::ReplaceButton_Click()
{
    if (!ReadyForJob()) return;
    const int index = SelectedPhrase();
    if (index < 0) return;
    const QString file =
        QFileDialog::getOpenFileName(this, "Replace the Sound", QDir::homePath(), RecordingFilter);
    if (!file.isEmpty()) ReplacePhraseSound(index, file);
}

void PhrasePanel::DeletePhraseButton_Click()
{
    const int index = SelectedPhrase();
    if (index < 0) return;
    const QString text = Node()->Phrases[static_cast<size_t>(index)].Text;
    if (const QString why = document.RemovePhrase(entry, index); !why.isEmpty())
        emit Problem(why);
    else
        emit Done(QString("Deleted \"%1\" (Ctrl+Z brings it back)").arg(text));
}

void PhrasePanel::PreviewButton_Click()
{
    Explanation->Commit();
    const int topic = Explanation->property("topic").toInt();
    if (topic == 0) return;
    HelpWindow::Instance().ForgetLoadedFile(); // the studio has just rewritten it
    WinHelp(0, QDir(document.Folder()).filePath("Help/TVTutor.hlp"), HelpContext, topic);
}
