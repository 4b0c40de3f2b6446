// The exercise screen beyond its design: after a Good take the score and
// the advice appear in the strip of their own in the same poll tick, the
// Compare view comes with key 4, every analysed take reaches the history,
// and the History window lists, plays and shows the takes.
#include "../compare/SpokenPhrase.h"
#include "app/Main.h"
#include "exercise/ExerciseLoopFixture.h"
#include "exercise/TutorPractice.h"
#include "support/HistoryFolder.h"

#include <QApplication>
#include <QTest>

namespace {

// An analyser that answers at once with the next of its prepared phrase
// files (the last one again when they run out).
class PreparedAnalyser final : public AnalyserLauncher
{
public:
    bool Start(const QString&, const QStringList& arguments) override
    {
        const QByteArray bytes = Files.at(std::min<size_t>(next++, Files.size() - 1));
        QFile wave(arguments.value(0));
        if (wave.open(QIODevice::WriteOnly)) wave.write(bytes);
        QFile result(QFileInfo(arguments.value(0)).path() + "/Student.rsl");
        if (result.open(QIODevice::WriteOnly)) result.write(Result);
        return true;
    }
    void StopRunning() override {}

    std::vector<QByteArray> Files;
    QByteArray Result = "Good\r\n";
    size_t next = 0;
};

// The model stresses its first step and falls; the learner stresses the
// second, louder, and rises.
const SpokenPhrase Model = Speak({{0.25, 210, 220}, {0.3, 180, 130}});
const SpokenPhrase Learner = Speak({{0.25, 150, 150, 0.1}, {0.3, 190, 260, 0.4}});

class PracticeScreen : public ExerciseLoop
{
protected:
    void SetUp() override
    {
        ExerciseLoop::SetUp();
        WriteFile("content/Sounds/11_01.wav", Model.FileBytes("record"));
        auto launcher = std::make_unique<PreparedAnalyser>();
        prepared = launcher.get();
        prepared->Files = {Learner.FileBytes(), Model.FileBytes()};
        InstallAnalyserLauncher(std::move(launcher));
    }

    // One take to its end: recorded, analysed and polled once.
    void Take(Stress* exercise)
    {
        Record(exercise);
        ASSERT_TRUE(exercise->StressShellTimer->isActive());
        exercise->StressShellTimer_Timer();
    }

    // No designed control lies where the layout does not put it, and none
    // under the strip or under the open Compare view (but the views it stands for).
    static void ExpectDesignUntouched(Stress* exercise, const char* when)
    {
        const QRect strip = exercise->Practice->geometry();
        EXPECT_EQ(strip.bottom(), exercise->height() - 1) << when;
        const QList<QWidget*> children =
            exercise->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
        for (int i = 0; i < StressControlCount; ++i) {
            const auto control = static_cast<StressControl>(i);
            const auto [left, top, width, height] = exercise->Layout().PixelRect(control);
            const QRect designed(left, top, std::max(width, 1), std::max(height, 1));
            const QString name = QString::number(i);
            EXPECT_FALSE(designed.intersects(strip)) << when << ": control " << name.toStdString();
        }
        for (QWidget* view : std::initializer_list<QWidget*>{
                 exercise->PhraseLabel, exercise->NativePitch, exercise->StudentSignal,
                 exercise->PlayStudentWave, exercise->IntonationOption, exercise->WaveformOption}) {
            EXPECT_FALSE(view->geometry().intersects(strip))
                << when << " " << view->objectName().toStdString();
            EXPECT_TRUE(exercise->rect().contains(view->geometry())) << when;
        }
        // The strip's parts lie inside it and inside the window.
        for (QWidget* part : std::initializer_list<QWidget*>{exercise->Practice->CompareOption,
                                                             exercise->Practice->HistoryButton,
                                                             exercise->Practice->Feedback})
            EXPECT_TRUE(exercise->Practice->rect().contains(part->geometry())) << when;
    }

    PreparedAnalyser* prepared = nullptr;
    HistoryFolder folder{dir.filePath("history")};
};

} // namespace

TEST_F(PracticeScreen, AGoodTakeGivesScoreAndStressAdviceInTheSameTickBesideTheDesign)
{
    Stress* exercise = OpenActive(0);
    ASSERT_NE(exercise, nullptr);
    ASSERT_TRUE(NativeLoaded);
    CompareFeedback* feedback = exercise->Practice->Feedback;
    EXPECT_FALSE(feedback->HasComparison());
    ExpectDesignUntouched(exercise, "opened");

    Take(exercise);
    ASSERT_EQ(StudentAnalysed, -1);
    ASSERT_TRUE(feedback->HasComparison()) << "in the tick that drew the learner's views";
    ASSERT_TRUE(exercise->CurrentComparison().has_value());
    const Comparison& comparison = *exercise->CurrentComparison();
    EXPECT_FALSE(comparison.StressMatch);
    EXPECT_EQ(feedback->ScoreLabel->text(), QString::number(comparison.Score));
    const QStringList lines = feedback->AdviceLabel->text().split('\n');
    ASSERT_GE(lines.size(), 1);
    EXPECT_LE(lines.size(), 3);
    EXPECT_EQ(lines[0], "The model stresses the 1st beat; you stressed the 2nd.");
    EXPECT_TRUE(feedback->isVisible());
    // A screen reader reaches it with Tab and hears it whole.
    EXPECT_EQ(feedback->accessibleName(), "Feedback");
    EXPECT_TRUE(feedback->accessibleDescription().startsWith(
        QString("Score %1 of 100. The model stresses the 1st beat").arg(comparison.Score)));
    // Tab reaches the strip after the designed controls.
    exercise->PlayStudentWave->setFocus();
    QStringList order;
    for (int i = 0; i < 3; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        order << QApplication::focusWidget()->objectName();
    }
    EXPECT_EQ(order, (QStringList{"CompareOption", "HistoryButton", "CompareFeedback"}));
    ExpectDesignUntouched(exercise, "after a take");

    exercise->setWindowState(Qt::WindowMaximized);
    QTest::qWait(50);
    ASSERT_GT(exercise->height(), Stress::DesignInnerSize().height() + PracticeStrip::StripHeight);
    ExpectDesignUntouched(exercise, "maximised");
    EXPECT_TRUE(feedback->HasComparison()) << "a new layout keeps the feedback";
    // The History window opens on the screen, not beyond its edge.
    QTest::keyClick(exercise, Qt::Key_H);
    ASSERT_NE(exercise->History, nullptr);
    EXPECT_TRUE(
        exercise->screen()->availableGeometry().contains(exercise->History->frameGeometry()));
    // Nor over the buttons the learner keeps pressing while it is open.
    for (const QPushButton* button : exercise->findChildren<QPushButton*>()) {
        if (!button->isVisible() || button->window() != exercise) continue;
        const QRect place(button->mapToGlobal(QPoint(0, 0)), button->size());
        EXPECT_FALSE(exercise->History->frameGeometry().intersects(place))
            << button->objectName().toStdString();
    }
    exercise->History->close();

    // The next phrase has no take yet: the feedback goes with the views.
    exercise->setWindowState(Qt::WindowNoState);
    QTest::qWait(50);
    exercise->NextTopic_Click();
    EXPECT_FALSE(feedback->HasComparison());
    EXPECT_TRUE(feedback->ScoreLabel->text().isEmpty());
}

TEST_F(PracticeScreen, KeyFourShowsTheCompareViewAndTheDesignedOptionsGoBack)
{
    Stress* exercise = OpenActive(0);
    ASSERT_NE(exercise, nullptr);
    Take(exercise);
    QRadioButton* compare = exercise->Practice->CompareOption;

    QTest::keyClick(exercise, Qt::Key_4);
    EXPECT_TRUE(compare->isChecked());
    EXPECT_TRUE(exercise->CompareView->isVisible());
    EXPECT_TRUE(HasDrawing(exercise->CompareView));
    for (PictureBox* view : {exercise->NativePitch, exercise->StudentPitch, exercise->NativeStress,
                             exercise->StudentSignal})
        EXPECT_FALSE(view->isVisible());
    EXPECT_FALSE(exercise->IntonationOption->isChecked());
    // It takes the place of the two rows of views, nothing more.
    EXPECT_EQ(exercise->CompareView->geometry(),
              exercise->NativePitch->geometry().united(exercise->StudentPitch->geometry()));

    // A designed option brings its pair back with the drawings kept.
    exercise->StressOption->click();
    EXPECT_FALSE(compare->isChecked());
    EXPECT_FALSE(exercise->CompareView->isVisible());
    EXPECT_TRUE(exercise->NativeStress->isVisible());
    EXPECT_TRUE(exercise->StudentStress->isVisible());
    EXPECT_TRUE(HasDrawing(exercise->StudentStress));
    EXPECT_TRUE(exercise->StressOption->isChecked());
    QTest::keyClick(exercise, Qt::Key_1);
    EXPECT_TRUE(exercise->NativePitch->isVisible());
    EXPECT_TRUE(exercise->IntonationOption->isChecked());
}

TEST_F(PracticeScreen, TwoTakesAreListedNewestFirstAndShowDrawsTheOlder)
{
    Stress* exercise = OpenActive(0);
    ASSERT_NE(exercise, nullptr);
    Take(exercise);
    const QImage olderPitch = exercise->StudentPitch->Picture();
    const int olderScore = exercise->CurrentComparison()->Score;
    Take(exercise);
    ASSERT_EQ(StudentAnalysed, -1);
    const int newerScore = exercise->CurrentComparison()->Score;
    ASSERT_NE(exercise->StudentPitch->Picture(), olderPitch) << "the two takes differ";

    QTest::keyClick(exercise, Qt::Key_H);
    HistoryPanel* history = exercise->History;
    ASSERT_NE(history, nullptr);
    ASSERT_TRUE(history->isVisible());
    ASSERT_EQ(history->TakeList->topLevelItemCount(), 2);
    EXPECT_EQ(history->TakeList->topLevelItem(0)->text(HistoryPanel::ScoreColumn),
              QString::number(newerScore));
    EXPECT_EQ(history->TakeList->topLevelItem(1)->text(HistoryPanel::ScoreColumn),
              QString::number(olderScore));
    EXPECT_TRUE(
        history->TakeList->topLevelItem(1)->text(HistoryPanel::StressColumn).contains("differs"));
    EXPECT_TRUE(
        history->TakeList->topLevelItem(0)->text(HistoryPanel::StressColumn).contains("same"));

    history->SelectRow(1);
    const int startsBefore = sound->StartCount;
    history->PlayButton->click();
    EXPECT_EQ(sound->StartCount, startsBefore + 1) << "the older take plays";

    history->ShowButton->click();
    EXPECT_EQ(StudentAnalysed, -1);
    EXPECT_EQ(exercise->StudentPitch->Picture(), olderPitch);
    EXPECT_TRUE(exercise->PlayStudentWave->isEnabled());
    ASSERT_TRUE(exercise->CurrentComparison().has_value());
    EXPECT_EQ(exercise->CurrentComparison()->Score, olderScore);
    EXPECT_TRUE(exercise->Practice->Feedback->AdviceLabel->text().startsWith("Your take of "));
    // Shown, not recorded: the history still holds two takes.
    history->Reload();
    EXPECT_EQ(history->TakeList->topLevelItemCount(), 2);
}

TEST_F(PracticeScreen, NoKeptTakeIsShownOrPlayedWhileATakeIsMade)
{
    Stress* exercise = OpenActive(0);
    ASSERT_NE(exercise, nullptr);
    Take(exercise);
    exercise->HistoryButton_Click();
    HistoryPanel* history = exercise->History;
    ASSERT_EQ(history->TakeList->topLevelItemCount(), 1);

    // Recording: the working set and the sound device belong to the take.
    exercise->RecordStudentWave_Click();
    ASSERT_TRUE(exercise->IsRecording());
    const int starts = sound->StartCount;
    history->ShowButton->click();
    history->PlayButton->click();
    EXPECT_EQ(history->StatusLabel->text(), "Wait until your take is analysed.");
    EXPECT_EQ(sound->StartCount, starts);
    EXPECT_TRUE(exercise->IsRecording());
    // The last take's feedback fades with its views until the new take's replaces it.
    EXPECT_TRUE(exercise->Practice->Feedback->IsFaded());
    exercise->RecordTimer_Timer();
    exercise->StressShellTimer_Timer();
    ASSERT_EQ(StudentAnalysed, -1);
    EXPECT_FALSE(exercise->Practice->Feedback->IsFaded());
}

TEST_F(PracticeScreen, AHistoryThatCannotBeWrittenGivesOneNoticeAndTheExerciseGoesOn)
{
    WriteFile("history", "a file where the history folder should be");
    Stress* exercise = OpenActive(0);
    ASSERT_NE(exercise, nullptr);
    Take(exercise);
    EXPECT_EQ(StudentAnalysed, -1);
    EXPECT_TRUE(exercise->PlayStudentWave->isEnabled());
    EXPECT_TRUE(HasDrawing(exercise->StudentPitch));
    EXPECT_TRUE(exercise->Practice->Feedback->HasComparison());
    EXPECT_TRUE(exercise->Practice->Feedback->NoticeLabel->isVisible());
    EXPECT_TRUE(exercise->Practice->Feedback->NoticeLabel->text().startsWith(
        "This take was not kept in your history"));
    EXPECT_FALSE(exercise->BadRecording->isVisible());
    EXPECT_TRUE(QFile::exists(installRoot + "/Data/Student.wav"));

    // The History window says why it has nothing to list.
    exercise->HistoryButton_Click();
    ASSERT_NE(exercise->History, nullptr);
    EXPECT_EQ(exercise->History->TakeList->topLevelItemCount(), 0);
    EXPECT_TRUE(
        exercise->History->StatusLabel->text().startsWith("Your history cannot be shown: "));

    // Once the history can be written again, the next take is kept and the
    // open window lists it.
    ASSERT_TRUE(QFile::remove(dir.filePath("history")));
    Take(exercise);
    EXPECT_FALSE(exercise->Practice->Feedback->NoticeLabel->isVisible());
    EXPECT_EQ(exercise->History->TakeList->topLevelItemCount(), 1);
}

TEST_F(PracticeScreen, ARefusedTakeIsCountedWithoutFeedbackOneTheDiskCouldNotHoldIsNot)
{
    prepared->Result = "Not Good,too quiet\r\n";
    Stress* exercise = OpenActive(0);
    ASSERT_NE(exercise, nullptr);
    Take(exercise);
    EXPECT_TRUE(exercise->BadRecording->isVisible());
    EXPECT_FALSE(exercise->Practice->Feedback->HasComparison());
    PracticeHistory* history = TutorPractice().History();
    ASSERT_NE(history, nullptr);
    std::vector<PhraseProgress> phrases;
    ASSERT_EQ(history->PhrasesOfCategory("content", "11", phrases), HistoryOk);
    ASSERT_EQ(phrases.size(), 1u);
    EXPECT_EQ(phrases[0].Attempts, 1);
    EXPECT_EQ(phrases[0].TakesKept, 0);
    EXPECT_EQ(phrases[0].Key.Stem, "11_01");

    // The analyser could not write its analysis into the take: nothing the
    // learner said was judged, so nothing is counted.
    prepared->Result = "Not Good,file cannot be rewritten\r\n";
    Take(exercise);
    EXPECT_TRUE(exercise->BadRecording->isVisible());
    phrases.clear();
    ASSERT_EQ(history->PhrasesOfCategory("content", "11", phrases), HistoryOk);
    ASSERT_EQ(phrases.size(), 1u);
    EXPECT_EQ(phrases[0].Attempts, 1);
}

TEST_F(PracticeScreen, ANativeRecordingThatCannotBeReadIsNamedInTheStripFromTheStart)
{
    WriteFile("content/Sounds/11_01.wav", "RIFF, but not a wave");
    prepared->Result = "Not Good,too quiet\r\n";
    Stress* exercise = OpenActive(0);
    ASSERT_NE(exercise, nullptr);
    ASSERT_FALSE(NativeLoaded);
    CompareFeedback* feedback = exercise->Practice->Feedback;
    const QString named = QDir::toNativeSeparators(contentRoot + "/Sounds/11_01.wav");
    const auto expectNamed = [&](const char* when) {
        EXPECT_TRUE(feedback->AdviceLabel->text().contains(named))
            << when << ": " << feedback->AdviceLabel->text().toStdString();
        EXPECT_TRUE(feedback->Text().contains("could not be read")) << when;
    };
    expectNamed("opened");
    // A refused take leaves nothing to compare, and the reason stays.
    Take(exercise);
    ASSERT_TRUE(exercise->BadRecording->isVisible());
    expectNamed("after a refused take");
    // The designed views stay empty, as they always have.
    EXPECT_FALSE(HasDrawing(exercise->NativePitch));
}

TEST_F(PracticeScreen, TheKeptTakesLimitComesFromTheSettings)
{
    const QString settings = WriteSettings();
    QFile file(settings);
    ASSERT_TRUE(file.open(QIODevice::Append));
    file.write("\n[HistoryKeptTakes]\nHistoryKeptTakes=2\n");
    file.close();
    auto* start = new Main(SettingsStore(settings), [] { return std::vector<MountPoint>{}; });
    start->show();
    EXPECT_EQ(TutorPractice().KeptTakesPerPhrase(), 2);
    TutorPractice().SetKeptTakesPerPhrase(DefaultKeptTakesPerPhrase);
}
