// The studio's work in the background (a recording analysed into a phrase
// file, a course installed through the tutor) and what the teacher does
// meanwhile: the result reaches the course it was made for, edits and
// typing made during it are kept, and the window stays usable.
#include "audio/LoadedPhrase.h"
#include "course/CourseTestSupport.h"
#include "studio/ExplanationEditor.h"
#include "studio/PhrasePanel.h"
#include "studio/StudioFixture.h"

#include <QAction>
#include <QLineEdit>
#include <QListWidget>
#include <QStatusBar>
#include <QTextEdit>

namespace {

// A recording long enough that its analysis outlasts a few edits.
bool WriteLongVoiceRecording(const QString& path)
{
    std::vector<VoiceSegment> segments{{0.2, 0, 0, 0}};
    for (int syllable = 0; syllable < 24; ++syllable) {
        segments.push_back({0.22, 180.0 + syllable, 230, 0.5});
        segments.push_back({0.08, 0, 0, 0});
    }
    segments.push_back({0.3, 0, 0, 0});
    return WriteSoundFile(path, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 44100, 1,
                          SynthesiseVoice(segments, 44100).Samples);
}

QByteArray LabelText(const QString& phraseFile)
{
    LoadedPhrase phrase;
    return phrase.Read(phraseFile) == PhraseFileOk ? phrase.Text : QByteArray("(unreadable)");
}

} // namespace

class StudioBackgroundWork : public StudioFixture
{
protected:
    void SetUp() override
    {
        StudioFixture::SetUp();
        recording = dir.filePath("take.wav");
        ASSERT_TRUE(WriteVoiceRecording(recording));
        window->Tree->SelectPath({1});
    }

    void AddPhrase(const QString& text)
    {
        PhrasePanel* panel = window->Panel;
        ASSERT_TRUE(panel->ImportPhrase(recording, text, {})) << Problem().toStdString();
        panel->WaitUntilIdle();
        QCoreApplication::processEvents();
    }

    QString recording;
};

// The phrase a job writes belongs to the course that was open when it
// started: another course is not started or opened meanwhile, and a result
// that finds another course open anyway is dropped with its file.
TEST_F(StudioBackgroundWork, ARecordingBeingAnalysedKeepsItsCourseOpen)
{
    PhrasePanel* panel = window->Panel;
    const QString other = dir.filePath("other");
    ASSERT_TRUE(panel->ImportPhrase(recording, "photograph", {}));
    EXPECT_FALSE(window->CreateCourse(other, "Other Course"));
    EXPECT_TRUE(Problem().contains("being analysed")) << Problem().toStdString();
    EXPECT_FALSE(window->OpenCourse(other));
    EXPECT_EQ(window->Document().Folder(), course);
    panel->WaitUntilIdle();
    QCoreApplication::processEvents();
    EXPECT_TRUE(PackFile("Sounds/SentList.txt").contains("11_01.wav;photograph\r\n"));

    // Another course opened behind the window's back.
    ASSERT_TRUE(window->CreateCourse(other, "Other Course"));
    ASSERT_TRUE(window->OpenCourse(course));
    window->Tree->SelectPath({1});
    ASSERT_TRUE(panel->ImportPhrase(recording, "telegraph", {}));
    ASSERT_TRUE(window->Document().Open(other, {}));
    panel->WaitUntilIdle();
    QCoreApplication::processEvents();
    EXPECT_TRUE(window->Document().Current().Root.Children[1].Phrases.empty());
    EXPECT_FALSE(QFile::exists(course + "/Sounds/11_02.wav"));
    EXPECT_FALSE(QFile::exists(other + "/Sounds/11_01.wav"));
    EXPECT_TRUE(Problem().contains("telegraph")) << Problem().toStdString();
}

// A new sound is authored with the phrase's text as it was when the job
// started; a text edited or undone meanwhile must still label the file.
TEST_F(StudioBackgroundWork, ATextEditedWhileTheSoundIsReplacedLabelsTheNewSound)
{
    PhrasePanel* panel = window->Panel;
    AddPhrase("photograph");
    const QString phraseFile = course + "/Sounds/11_01.wav";
    const QString longRecording = dir.filePath("long.wav");
    ASSERT_TRUE(WriteLongVoiceRecording(longRecording));

    ASSERT_TRUE(panel->ReplacePhraseSound(0, longRecording));
    EXPECT_EQ(panel->SelectedPhrase(), 0); // the phrase stays on show
    panel->ListOfPhrases->setCurrentRow(0);
    panel->PhraseText->selectAll();
    QTest::keyClicks(panel->PhraseText, "photographer");
    emit panel->PhraseText->editingFinished();
    panel->WaitUntilIdle();
    QCoreApplication::processEvents();
    EXPECT_TRUE(PackFile("Sounds/SentList.txt").contains("11_01.wav;photographer\r\n"));
    EXPECT_EQ(LabelText(phraseFile), "photographer");

    ASSERT_TRUE(panel->ReplacePhraseSound(0, longRecording));
    window->UndoAction->trigger();
    panel->WaitUntilIdle();
    QCoreApplication::processEvents();
    EXPECT_TRUE(PackFile("Sounds/SentList.txt").contains("11_01.wav;photograph\r\n"));
    EXPECT_EQ(LabelText(phraseFile), "photograph");
}

// Texts are saved on Return or when their field loses the keyboard; the end
// of a job shows the course afresh and must not throw away what is typed.
TEST_F(StudioBackgroundWork, WhatIsBeingTypedOutlastsTheEndOfAJob)
{
    PhrasePanel* panel = window->Panel;
    AddPhrase("photograph");
    ASSERT_TRUE(panel->ImportPhrase(recording, "telegraph", {}));
    panel->ListOfPhrases->setCurrentRow(0);
    panel->PhraseText->selectAll();
    QTest::keyClicks(panel->PhraseText, "photographer");
    panel->WaitUntilIdle();
    QCoreApplication::processEvents();
    EXPECT_TRUE(PackFile("Sounds/SentList.txt")
                    .contains("11_01.wav;photographer\r\n11_02.wav;telegraph\r\n"));

    // A category being renamed in place.
    ASSERT_TRUE(panel->ImportPhrase(recording, "telephone", {}));
    LessonTreeEditor* tree = window->Tree;
    tree->editItem(tree->ItemAt({1}), 0);
    auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    ASSERT_NE(editor, nullptr);
    editor->selectAll();
    QTest::keyClicks(editor, "Word Stress");
    panel->WaitUntilIdle();
    QCoreApplication::processEvents();
    EXPECT_TRUE(PackFile("Sounds/SentList.txt").contains("11_03.wav;telephone\r\n"));
    EXPECT_TRUE(PackFile("Sounds/Tree.txt").contains("*Word Stress / 11\r\n"))
        << PackFile("Sounds/Tree.txt").toStdString();
}

// The teacher goes on typing, in a phrase's text or its explanation, while
// another recording is analysed: the new phrase is only listed, and all the
// typing stays on the phrase it was meant for.
TEST_F(StudioBackgroundWork, TypingGoesOnInItsPhraseWhenAnImportEnds)
{
    PhrasePanel* panel = window->Panel;
    AddPhrase("first phrase");
    ASSERT_TRUE(panel->ImportPhrase(recording, "second phrase", {}));
    window->activateWindow();
    panel->PhraseText->setFocus();
    ASSERT_TRUE(QTest::qWaitFor([panel] { return panel->PhraseText->hasFocus(); }));
    panel->PhraseText->end(false);
    QTest::keyClicks(panel->PhraseText, " - said");
    panel->WaitUntilIdle();
    QCoreApplication::processEvents();
    QTest::keyClicks(panel->PhraseText, " slowly");
    QTest::keyClick(panel->PhraseText, Qt::Key_Return);
    EXPECT_EQ(panel->SelectedPhrase(), 0);
    EXPECT_TRUE(panel->PhraseText->hasFocus());
    EXPECT_TRUE(
        PackFile("Sounds/SentList.txt")
            .contains("11_01.wav;first phrase - said slowly\r\n11_02.wav;second phrase\r\n"))
        << PackFile("Sounds/SentList.txt").toStdString();
    EXPECT_EQ(LabelText(course + "/Sounds/11_02.wav"), "second phrase");

    ASSERT_TRUE(panel->ImportPhrase(recording, "third phrase", {}));
    QTextEdit* explanation = panel->Explanation->Text;
    explanation->setFocus();
    ASSERT_TRUE(QTest::qWaitFor([explanation] { return explanation->hasFocus(); }));
    QTest::keyClicks(explanation, "Stress the second word,");
    panel->WaitUntilIdle();
    QCoreApplication::processEvents();
    QTest::keyClicks(explanation, " keep the tune level.");
    panel->PhraseText->setFocus(); // the explanation is saved as it loses the keyboard
    const std::vector<CoursePhrase>& phrases =
        window->Document().Current().Root.Children[1].Phrases;
    ASSERT_EQ(phrases.size(), 3u);
    EXPECT_TRUE(phrases[0].Explanation.contains("Stress the second word, keep the tune level."))
        << phrases[0].Explanation.toStdString();
    EXPECT_TRUE(phrases[2].Explanation.isEmpty()) << phrases[2].Explanation.toStdString();
    EXPECT_EQ(panel->SelectedPhrase(), 0);
}

// The tutor's installation runs beside the window, which says why when it
// fails: here the tests' folder holds no tutor to start.
TEST_F(StudioBackgroundWork, InstallingSaysWhyTheTutorCouldNotInstall)
{
    const QString prefix = "The course was not installed: ";
    window->InstallForThisUser();
    ASSERT_TRUE(QTest::qWaitFor([this] { return !Problem().isEmpty(); }, 10000));
    EXPECT_TRUE(Problem().startsWith(prefix)) << Problem().toStdString();
    EXPECT_FALSE(Problem().mid(prefix.size()).trimmed().isEmpty()) << Problem().toStdString();
}

// The window goes on while the tutor installs; a second install waits for
// the first, and the tutor's own word ends it.
TEST_F(StudioBackgroundWork, InstallingRunsBesideTheWindowOneAtATime)
{
    const QString stopFile = dir.filePath("stop");
    window->Tutor = dir.filePath("tutor.sh");
    ASSERT_TRUE(
        WriteBytes(window->Tutor, QString("#!/bin/sh\nwhile [ ! -e '%1' ]; do sleep 0.05; done\n"
                                          "echo 'tonvale-tutor: installed \"Test Course\"'\n")
                                      .arg(stopFile)
                                      .toUtf8()));
    QFile::setPermissions(window->Tutor, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    ASSERT_TRUE(window->InstallForThisUser()) << Problem().toStdString();
    EXPECT_FALSE(window->InstallForThisUser());
    EXPECT_TRUE(Problem().contains("being installed")) << Problem().toStdString();
    EXPECT_FALSE(window->close());
    ASSERT_TRUE(WriteBytes(stopFile, ""));
    ASSERT_TRUE(QTest::qWaitFor([this] { return !window->Installing(); }, 10000));
    EXPECT_TRUE(window->statusBar()->currentMessage().contains("installed \"Test Course\""))
        << window->statusBar()->currentMessage().toStdString();
    EXPECT_TRUE(window->close());
}
