// The keyboard on the exercise screen: after a take it is back on Record,
// at the ends of the list it stays on a visible control, the arrows say
// where the learner is, and the help opens beside the native speaker.
#include "exercise/ExerciseLoopFixture.h"
#include "widgets/HelpWindow.h"

#include <QPushButton>
#include <QApplication>
#include <QScrollBar>
#include <QTest>

namespace {

class ExerciseFocus : public ExerciseLoop
{
protected:
    static void ExpectVisibleFocus()
    {
        QWidget* focus = QApplication::focusWidget();
        ASSERT_NE(focus, nullptr);
        EXPECT_TRUE(focus->isVisible()) << focus->objectName().toStdString();
    }
};

} // namespace

TEST_F(ExerciseFocus, AfterATakeTheKeyboardIsBackOnRecord)
{
    analyser->Result = "Good\r\n";
    Stress* exercise = OpenActive(0);
    ASSERT_NE(exercise, nullptr);
    exercise->RecordStudentWave->setFocus();
    QTest::keyClick(exercise->RecordStudentWave, Qt::Key_Space);
    ASSERT_TRUE(exercise->IsRecording());
    Record(exercise); // stops by the timer, as a take of full length does
    exercise->StressShellTimer_Timer();
    ASSERT_EQ(StudentAnalysed, -1);
    EXPECT_EQ(QApplication::focusWidget(), exercise->RecordStudentWave);

    // The same after a take that failed.
    analyser->Result = "Not Good,too quiet\r\n";
    Record(exercise);
    exercise->StressShellTimer_Timer();
    ASSERT_TRUE(exercise->BadRecording->isVisible());
    EXPECT_EQ(QApplication::focusWidget(), exercise->RecordStudentWave);
}

TEST_F(ExerciseFocus, AtTheEndsOfTheListTheFocusStaysOnAVisibleControl)
{
    Stress* exercise = OpenActive(1); // phrase 2 of 3
    ASSERT_NE(exercise, nullptr);
    EXPECT_EQ(exercise->NextTopic->toolTip(), "Next phrase (3 of 3) (PgDown)");
    EXPECT_EQ(exercise->PrevTopic->accessibleDescription(), "Previous phrase (1 of 3)");
    exercise->NextTopic->setFocus();
    QTest::keyClick(exercise->NextTopic, Qt::Key_Space);
    EXPECT_EQ(CurrentPhrase, 3);
    EXPECT_FALSE(exercise->NextTopic->isVisible());
    ExpectVisibleFocus();

    exercise->PrevTopic->setFocus();
    QTest::keyClick(exercise->PrevTopic, Qt::Key_Space);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_PageUp);
    EXPECT_EQ(CurrentPhrase, 1);
    EXPECT_FALSE(exercise->PrevTopic->isVisible());
    ExpectVisibleFocus();
}

TEST_F(ExerciseFocus, ExplainMarksTheTopicAndTheHelpKeepsOffTheNativeViews)
{
    WriteFile("content/Help/TVTutor.hlp",
              "<html><body><h1>Contents</h1>" + QByteArray(3000, ' ').replace(' ', "<p>.</p>") +
                  "<a name=\"1101\"></a><h2>Record, the noun</h2><p>Stress on the first "
                  "syllable.</p></body></html>");
    Stress* exercise = OpenActive(0);
    ASSERT_NE(exercise, nullptr);
    exercise->HintButton_Click();
    HelpWindow& help = HelpWindow::Instance();
    EXPECT_EQ(help.LastTopicShown(), "1101");
    EXPECT_EQ(help.MarkedText(), "Record, the noun");
    EXPECT_GT(help.verticalScrollBar()->value(), 0) << "the topic is scrolled into view";

    // Maximised, no room beside the tutor: the help sits below the native views.
    const QRect screen(0, 0, 1600, 1000);
    const QRect nativeViews(8, 160, 1400, 330);
    const QRect place = HelpWindowPlace(screen, screen, nativeViews, QSize(560, 480));
    EXPECT_FALSE(place.intersects(nativeViews));
    EXPECT_TRUE(screen.contains(place));
    // At its own size, with room to the right: beside it.
    const QRect tutor(100, 100, 540, 400);
    EXPECT_EQ(HelpWindowPlace(screen, tutor, QRect(108, 212, 433, 129), QSize(560, 480)).left(),
              tutor.right() + 1);
}

// Explain on every phrase of the first lesson: a help window left over the
// native speaker's views or the buttons moves off them; one put elsewhere
// stays put.
TEST_F(ExerciseFocus, AnOpenHelpWindowOverTheNativeViewsMovesOffThem)
{
    Stress* exercise = OpenActive(0);
    ASSERT_NE(exercise, nullptr);
    HelpWindow& help = HelpWindow::Instance();
    const QRect views =
        exercise->NativePitch->geometry().united(exercise->NativeSignal->geometry());
    const QRect nativeViews(exercise->mapToGlobal(views.topLeft()), views.size());
    help.ShowContents(HelpFile);
    help.move(nativeViews.topLeft());
    ASSERT_TRUE(help.frameGeometry().intersects(nativeViews));

    exercise->HintButton_Click();
    EXPECT_TRUE(help.isVisible());
    EXPECT_FALSE(help.frameGeometry().intersects(nativeViews));
    // Nor does it cover a button: with no room beside the exercise it went
    // over the learner's Play, where it stayed as the lesson went on.
    const auto covered = [&] {
        QStringList names;
        for (const QPushButton* button : exercise->findChildren<QPushButton*>()) {
            const QRect onScreen(button->mapToGlobal(QPoint(0, 0)), button->size());
            if (button->isVisible() && help.frameGeometry().intersects(onScreen))
                names << button->text();
        }
        return names;
    };
    EXPECT_EQ(covered(), QStringList());
    const QRect play(exercise->PlayStudentWave->mapToGlobal(QPoint(0, 0)),
                     exercise->PlayStudentWave->size());
    help.move(play.topLeft() - QPoint(20, 20));
    exercise->HintButton_Click();
    EXPECT_EQ(covered(), QStringList());

    // Beside the exercise, below its native views: clear of all of it.
    const QPoint elsewhere(exercise->frameGeometry().right() + 1, nativeViews.bottom() + 40);
    help.move(elsewhere);
    exercise->HintButton_Click();
    EXPECT_EQ(help.pos(), elsewhere);
    help.Quit();
}
