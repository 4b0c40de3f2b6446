// The whole way of a course, on the test sound server with the real
// analyser and tutor: a phrase recorded into a new course from the voice
// fed into the microphone, explained, exported, installed for a fresh user
// and opened in the tutor on the exercise screen.
#include "app/CommonVar.h"
#include "app/ContentLocation.h"
#include "app/CourseChooser.h"
#include "audio/LoadedPhrase.h"
#include "audio/SoundFileBuilder.h"
#include "audio_real/RealAudio.h"
#include "exercise/Stress.h"
#include "navigation/Sentences.h"
#include "navigation/SharedContent.h"
#include "studio/ExplanationEditor.h"
#include "studio/PhrasePanel.h"
#include "studio/RecordDialog.h"
#include "studio/StudioFixture.h"
#include "studio/TakeRecorder.h"
#include "support/TutorFixture.h"
#include "widgets/AudioDevice.h"

#include <QListWidget>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QTextEdit>

class StudioRecording : public TutorFixture
{
};

TEST_F(StudioRecording, ARecordedPhraseTravelsFromTheStudioToALearnersExercise)
{
    SKIP_WITHOUT_FED_MICROPHONE();
    const QString pack = qEnvironmentVariable("TONVALE_DEMO_PACK");
    if (pack.isEmpty() || !QFile::exists(pack + "/Sounds/11_04.wav"))
        GTEST_SKIP() << "TONVALE_DEMO_PACK names no demo content pack (scripts/test builds it)";
    InstallQtAudioOutput();

    // A teacher's new course; the voice comes from a native phrase.
    StudioWindow window;
    const QString course = dir.filePath("teacher/course");
    ASSERT_TRUE(window.CreateCourse(course, "Studio Course"));
    window.show();
    window.Tree->SelectPath({1});
    LoadedPhrase native;
    ASSERT_EQ(native.Read(pack + "/Sounds/11_04.wav"), PhraseFileOk);
    const QString voice = dir.filePath("voice.wav");
    ASSERT_TRUE(
        WriteBytes(voice, SimpleWave(QByteArray(native.Samples.Data, native.Samples.BufferLength),
                                     native.Format)));

    // Recording through the studio's window, as the teacher would.
    TakeRecorder recorder(TONVALE_BINARY_DIR "/src/TVM", dir.path());
    RecordDialog dialog("I need a record of the meeting.", recorder);
    dialog.show();
    QTest::mouseClick(dialog.RecordButton, Qt::LeftButton);
    ASSERT_TRUE(recorder.IsRecording()) << dialog.StatusLabel->text().toStdString();
    Pump(200);
    QProcess feed;
    feed.start("paplay", {"-d", qEnvironmentVariable("AUDIO_TEST_FEED_SINK"), voice});
    ASSERT_TRUE(feed.waitForStarted(3000));
    int meterPeak = 0;
    QElapsedTimer wall;
    wall.start();
    while (dialog.isVisible() && wall.elapsed() < 30000) {
        Pump(20);
        meterPeak = std::max(meterPeak, dialog.LevelMeter->value());
        if (!recorder.IsRecording() && !recorder.IsAnalysing()) break;
    }
    feed.waitForFinished(5000);
    ASSERT_EQ(dialog.result(), QDialog::Accepted) << dialog.StatusLabel->text().toStdString();
    EXPECT_GT(meterPeak, 40);

    PhrasePanel* panel = window.Panel;
    ASSERT_TRUE(panel->AddRecordedPhrase(recorder.TakeFile(), "I need a record of the meeting."));
    panel->WaitUntilIdle();
    QCoreApplication::processEvents();
    ASSERT_EQ(panel->ListOfPhrases->count(), 1);
    panel->ListOfPhrases->setCurrentRow(0);
    panel->Explanation->Text->setPlainText("RECord is a noun here: stress its first syllable.");
    panel->Explanation->Commit();

    const QString archive = dir.filePath("Studio Course.tvcourse");
    ASSERT_TRUE(window.ExportCourse(archive));

    // A learner with a settings file of their own and the demo course.
    const QString home = dir.filePath("learner");
    QDir().mkpath(home + "/install/Data");
    QFile::link(TONVALE_BINARY_DIR "/src", home + "/install/Bin");
    const QString settings = home + "/TonvaleTutor.conf";
    ASSERT_TRUE(WriteBytes(settings, QString("[InstallDir]\nInstallDir=%1/install\n"
                                             "[InstallCDDrive1331]\nInstallCDDrive1331=%2\n")
                                         .arg(home, pack)
                                         .toUtf8()));
    QProcess tutor;
    tutor.start(TONVALE_BINARY_DIR "/src/tonvale-tutor",
                {"--settings", settings, "--install-course", archive});
    ASSERT_TRUE(tutor.waitForFinished(30000));
    ASSERT_EQ(tutor.exitCode(), 0) << tutor.readAllStandardError().toStdString();

    // The tutor starts on the course just installed; the demo course the
    // settings named before stays a choice.
    int current = -1;
    const std::vector<InstalledCourse> courses =
        CoursesToChooseFrom(SettingsStore(settings), {}, current);
    ASSERT_EQ(courses.size(), 2u);
    ASSERT_GE(current, 0);
    EXPECT_EQ(courses[current].Title, "Studio Course");

    ASSERT_EQ(FindContentFolders(SettingsStore(settings)), ContentFound);
    SetFolderPaths();
    ReadLessonTree();
    ASSERT_EQ(LastNodeIndex, 2);
    CategoryCode = "11";
    auto* phrases = new Sentences("First Lesson");
    phrases->show();
    ASSERT_EQ(PhraseCount, 1);
    phrases->ListOfPhrases->SelectPosition(0);
    phrases->OpenSelectedPhrase();
    Stress* exercise = qobject_cast<Stress*>(VisibleScreen("Stress"));
    ASSERT_NE(exercise, nullptr);
    EXPECT_TRUE(NativeLoaded);
    EXPECT_GT(NativeData.StepCount, 2);
    EXPECT_EQ(exercise->PhraseLabel->text(), "I need a record of the meeting.");
    EXPECT_EQ(Stress::HelpTopicOf(NativeData.WaveFile), 1101);
    QByteArray help;
    ReadWholeFile(HelpFile, help);
    EXPECT_TRUE(help.contains("stress its first syllable"));
}
