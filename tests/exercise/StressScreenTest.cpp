#include "app/CommonVar.h"
#include "exercise/Stress.h"
#include "navigation/Sentences.h"
#include "support/ExerciseFixture.h"
#include "widgets/HelpWindow.h"

#include <QApplication>
#include <QFile>
#include <QTest>

namespace {
using ExerciseScreen = ExerciseFixture;
} // namespace

TEST_F(ExerciseScreen, NextAndPreviousVisibilityFollowThePositionInTheList)
{
    Stress* exercise = Open("11", 0);
    ASSERT_NE(exercise, nullptr);
    EXPECT_EQ(CurrentPhrase, 1);
    EXPECT_EQ(exercise->PhraseLabel->text(), "record");
    EXPECT_FALSE(exercise->PrevTopic->isVisible());
    EXPECT_TRUE(exercise->NextTopic->isVisible());
    EXPECT_FALSE(phrases->isVisible());

    exercise->NextTopic_Click();
    EXPECT_EQ(CurrentPhrase, 2);
    EXPECT_TRUE(exercise->PrevTopic->isVisible());
    EXPECT_TRUE(exercise->NextTopic->isVisible());
    EXPECT_EQ(phrases->ListOfPhrases->SelectedPosition(), 1);

    exercise->NextTopic_Click();
    EXPECT_EQ(CurrentPhrase, 3);
    EXPECT_FALSE(exercise->NextTopic->isVisible());
    exercise->NextTopic_Click(); // at the end: stays
    EXPECT_EQ(CurrentPhrase, 3);

    exercise->PrevTopic_Click();
    EXPECT_EQ(CurrentPhrase, 2);
}

TEST_F(ExerciseScreen, OnlyPhraseShowsNeitherArrow)
{
    Stress* exercise = Open("10", 0);
    ASSERT_NE(exercise, nullptr);
    EXPECT_FALSE(exercise->PrevTopic->isVisible());
    EXPECT_FALSE(exercise->NextTopic->isVisible());
}

TEST_F(ExerciseScreen, OpensOnTheIntonationPairWithTheNativeViewsDrawn)
{
    Stress* exercise = Open("11", 1);
    ASSERT_NE(exercise, nullptr);
    EXPECT_TRUE(NativeLoaded);
    EXPECT_EQ(NativeLoadedBlock, 1);
    EXPECT_TRUE(exercise->NativePitch->isVisible());
    EXPECT_TRUE(exercise->StudentPitch->isVisible());
    EXPECT_FALSE(exercise->NativeStress->isVisible());
    EXPECT_FALSE(exercise->NativeSignal->isVisible());
    EXPECT_TRUE(HasDrawing(exercise->NativeStress)); // drawn while hidden
    EXPECT_TRUE(HasDrawing(exercise->NativeSignal));
    EXPECT_FALSE(HasDrawing(exercise->StudentPitch));
    EXPECT_TRUE(exercise->PlayNativeWave->isEnabled());
    EXPECT_TRUE(exercise->RecordStudentWave->isEnabled());
    EXPECT_FALSE(exercise->PlayStudentWave->isEnabled());
    EXPECT_EQ(NativeData.WaveFile, SoundsFolder + "11_02.wav");
    EXPECT_EQ(StudentData.ResultFile, installRoot + "/Data/Student.rsl");

    exercise->StressOption_Click();
    EXPECT_TRUE(exercise->NativeStress->isVisible());
    EXPECT_TRUE(exercise->StudentStress->isVisible());
    EXPECT_FALSE(exercise->NativePitch->isVisible());
    exercise->WaveformOption_Click();
    EXPECT_TRUE(exercise->NativeSignal->isVisible());
    EXPECT_FALSE(exercise->NativeStress->isVisible());
}

TEST_F(ExerciseScreen, UnreadableNativeFileLeavesViewsEmptyAndNothingToPlay)
{
    QFile::remove(contentRoot + "/Sounds/11_02.wav");
    Stress* exercise = Open("11", 1);
    ASSERT_NE(exercise, nullptr);
    EXPECT_FALSE(NativeLoaded);
    EXPECT_FALSE(exercise->PlayNativeWave->isEnabled());
    EXPECT_TRUE(exercise->RecordStudentWave->isEnabled());
    EXPECT_FALSE(HasDrawing(exercise->NativePitch));
    EXPECT_EQ(NativeWave.Data, nullptr);

    exercise->NextTopic_Click();
    EXPECT_TRUE(NativeLoaded);
    EXPECT_TRUE(exercise->PlayNativeWave->isEnabled());
}

TEST_F(ExerciseScreen, NoSelectionOpensThePlaceholderAndNextGoesToTheFirst)
{
    Stress* exercise = Open("11", -1);
    ASSERT_NE(exercise, nullptr);
    EXPECT_EQ(CurrentPhrase, 0);
    EXPECT_EQ(exercise->PhraseLabel->text(), "Default Phrase");
    EXPECT_FALSE(NativeLoaded);
    EXPECT_FALSE(exercise->PrevTopic->isVisible());
    exercise->NextTopic_Click();
    EXPECT_EQ(CurrentPhrase, 1);
}

TEST_F(ExerciseScreen, ExitDeletesTheWorkingFilesButTheCloseBoxDoesNot)
{
    const QStringList working = {"install/Data/Student.wav", "install/Data/Student.rsl",
                                 "install/Data/Stud1.wav", "install/Bin/a.tmp",
                                 "install/Data/Student.wav.1f2e.tmp"};
    for (const QString& file : working)
        WriteFile(file, "x");
    WriteFile("install/Data/Student.txt", "kept");

    Stress* exercise = Open("11", 0);
    exercise->close();
    EXPECT_TRUE(phrases->isVisible());
    EXPECT_EQ(NativeLoadedBlock, 0);
    for (const QString& file : working)
        EXPECT_TRUE(QFile::exists(dir.filePath(file))) << file.toStdString();

    phrases->ListOfPhrases->SelectPosition(0);
    phrases->OpenSelectedPhrase();
    exercise = qobject_cast<Stress*>(VisibleScreen("Stress"));
    ASSERT_NE(exercise, nullptr);
    QTest::mouseClick(exercise->ExitButton, Qt::LeftButton);
    EXPECT_TRUE(phrases->isVisible());
    for (const QString& file : working)
        EXPECT_FALSE(QFile::exists(dir.filePath(file))) << file.toStdString();
    EXPECT_TRUE(QFile::exists(dir.filePath("install/Data/Student.txt")));
}

TEST_F(ExerciseScreen, NodeOneOpensTheExplanationOnEveryPhraseChange)
{
    CurrentNode = 1;
    Stress* exercise = Open("11", 0);
    ASSERT_NE(exercise, nullptr);
    WriteFile("content/Help/TVTutor.hlp", "<a name=\"1101\"></a>one <a name=\"1102\"></a>two");
    HelpWindow::Instance().Quit();
    exercise->NextTopic_Click();
    EXPECT_EQ(HelpWindow::Instance().LastTopicShown(), "1102");
    HelpWindow::Instance().Quit();
    exercise->NextTopic_Click();
    exercise->NextTopic_Click(); // did not move, still explains
    EXPECT_TRUE(HelpWindow::Instance().isVisible());
}

TEST_F(ExerciseScreen, HelpTopicComesFromTheSoundFileName)
{
    EXPECT_EQ(Stress::HelpTopicOf("/any/folder/4_12.wav"), 412);
    EXPECT_EQ(Stress::HelpTopicOf("C:\\content\\Sounds\\12_07.wav"), 1207);
    EXPECT_EQ(Stress::HelpTopicOf("3_1_10.wav"), 3110);
    EXPECT_EQ(Stress::HelpTopicOf("/x/ab_1.wav"), 0);
    EXPECT_EQ(Stress::HelpTopicOf(".wav"), 0);
    EXPECT_EQ(Stress::HelpTopicOf("99999999999.wav"), 0);
}

TEST_F(ExerciseScreen, MaximisedStateStretchesViewsAndIsHandedToTheNextOpening)
{
    Stress* exercise = Open("11", 0);
    ASSERT_NE(exercise, nullptr);
    const int designWidth = exercise->NativePitch->width();
    phrases->setGeometry(QRect(QPoint(30, 20), phrases->size()));
    FormLeft = 30;
    exercise->showMaximized();
    QApplication::processEvents();
    ASSERT_TRUE(exercise->isMaximized());
    ASSERT_GT(exercise->width(), Stress::DesignInnerSize().width());
    {
        EXPECT_GT(exercise->NativePitch->width(), designWidth);
        EXPECT_TRUE(HasDrawing(exercise->NativeSignal)); // redrawn at the new size
        EXPECT_EQ(exercise->NativeSignal->Picture().width(),
                  exercise->NativeSignal->contentsRect().width());
    }
    QTest::mouseClick(exercise->ExitButton, Qt::LeftButton);
    EXPECT_EQ(SavedWindowState, WindowMaximised);
    EXPECT_EQ(FormLeft, 30);

    phrases->ListOfPhrases->SelectPosition(0);
    phrases->OpenSelectedPhrase();
    auto* again = qobject_cast<Stress*>(VisibleScreen("Stress"));
    ASSERT_NE(again, nullptr);
    EXPECT_TRUE(again->isMaximized());
    again->showNormal();
    QApplication::processEvents();
    EXPECT_EQ(again->NativePitch->width(), designWidth);
}

// A phrase is shown as written, even where it looks like markup: the label
// must be as wide as the text with its angle brackets, not as the word set
// in bold.
TEST_F(ExerciseScreen, APhraseThatLooksLikeMarkupIsShownAsWritten)
{
    WriteFile("content/Sounds/SentList.txt", "11_01.wav;<b>re</b>cord\r\n");
    Stress* exercise = Open("11", 0);
    ASSERT_NE(exercise, nullptr);
    QLabel* label = exercise->PhraseLabel;
    EXPECT_EQ(label->text(), "<b>re</b>cord");
    EXPECT_GE(label->sizeHint().width(), label->fontMetrics().horizontalAdvance("<b>re</b>cord"));
}

// A phrase too long for its box at the designed size is set smaller until it
// fits, its whole text in the tool tip: cut off, the learner could not read
// what to say. A phrase that fits keeps the designed size.
TEST_F(ExerciseScreen, ALongPhraseIsSetSmallerUntilItFitsItsBox)
{
    const QByteArray text =
        QByteArray("Peter Piper picked a peck of pickled peppers; where is the peck? ").repeated(4).left(199);
    WriteFile("content/Sounds/SentList.txt", "11_01.wav;" + text + "\r\n");
    Stress* exercise = Open("11", 0);
    ASSERT_NE(exercise, nullptr);
    QLabel* label = exercise->PhraseLabel;
    const int designed = Stress::DesignedPhraseFont().pointSize();
    EXPECT_LT(label->font().pointSize(), designed);
    EXPECT_TRUE(label->toolTip().contains(QString::fromLatin1(text.trimmed())));
    for (bool maximised : {false, true}) {
        if (maximised) exercise->showMaximized();
        QApplication::processEvents();
        EXPECT_LE(label->heightForWidth(label->width()), label->height()) << maximised;
    }
    label->setText("record");
    exercise->FitPhraseText();
    EXPECT_EQ(label->font().pointSize(), designed);
    EXPECT_TRUE(label->toolTip().isEmpty());
}

// Dragging the border in the normal state leaves the window at its load
// size, and the controls where they were laid out for it.
TEST_F(ExerciseScreen, ABorderDragLeavesTheWindowAndItsControlsAsLoaded)
{
    Stress* exercise = Open("11", 0);
    ASSERT_NE(exercise, nullptr);
    const QSize loaded = exercise->size();
    const QRect exit = exercise->ExitButton->geometry();
    const QRect pitch = exercise->NativePitch->geometry();
    exercise->resize(loaded.width() + 160, loaded.height() + 90);
    QApplication::processEvents();
    EXPECT_EQ(exercise->size(), loaded);
    EXPECT_EQ(exercise->ExitButton->geometry(), exit);
    EXPECT_EQ(exercise->NativePitch->geometry(), pitch);
}
