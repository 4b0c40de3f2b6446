// The analysis of the student's recording: the analyser program is started
// on Student.wav and the screen polls for its result file. The analyser
// rewrites Student.wav in place, so the result file is the only sign that it
// has finished; poll for that, never for the wave.
#include "app/CommonVar.h"
#include "audio/MciSubs.h"
#include "audio/PhraseFile.h"
#include "exercise/RecordingFeedback.h"
#include "exercise/Stress.h"
#include "platform/AnalyserProcess.h"
#include "platform/WorkingFiles.h"
#include "views/PitchProcessing.h"

#include <QFile>
#include <QFileInfo>

#include <cstdio>

void Stress::CreateStudentSteps_Click()
{
    // An analyser still busy with an earlier, timed-out recording would
    // rewrite the new one; it goes first.
    AnalyserLauncher& launcher = CurrentAnalyserLauncher();
    launcher.StopRunning();
    if (QFileInfo::exists(StudentData.StepFile))
        QFile::remove(StudentData.StepFile);
    if (QFileInfo::exists(StudentData.ResultFile))
        QFile::remove(StudentData.ResultFile);

    // A result left behind that cannot be removed would be read as this
    // recording's result.
    const bool stale = QFileInfo::exists(StudentData.ResultFile);
    if (stale) {
        ShowBadRecording("An earlier result could not be removed: " + StudentData.ResultFile);
        EndAnalysis(false);
        return;
    }
    if (!launcher.Start(AnalyserPath, AnalyserArguments(StudentData.WaveFile))) {
        const QString reason = QFileInfo::exists(AnalyserPath)
                                   ? "The analyser program could not be started: " + AnalyserPath
                                   : "The analyser program is missing: " + AnalyserPath;
        // An installation problem, not the learner's: whoever looks after the
        // machine reads standard error.
        std::fprintf(stderr, "tonvale-tutor: %s\n", qPrintable(reason));
        ShowBadRecording(reason);
        EndAnalysis(false);
        return;
    }
    StressShellTimer->setInterval(1000);
    StressShellTimer->start();
}

void Stress::StressShellTimer_Timer()
{
    if (QFileInfo(StudentData.ResultFile).isFile()) {
        bool analysed = false;
        if (ResultFileSaysGood(StudentData.ResultFile)) {
            StressShellTimer->stop();
            BadRecording->hide();
            LowMemory->hide();
            ClearStudentViews();
            const int32_t result =
                ReadPhraseFile(StudentLoadedBlock, StudentData, StudentFormat, StudentWave,
                               StudentMemory, StudentPitchTrack, 0, -1);
            if (result == 0) {
                TrimPitchWindows(StudentData, StudentPitchTrack);
                DrawStudentViews();
                PlayStudentWave->setEnabled(true);
                StudentAnalysed = -1;
                TextAnalyzingButton->hide();
                analysed = true;
                ShowTakeVerdict();
            }
        }
        if (!analysed) ShowBadRecording(QString());
        EndAnalysis(analysed);
    } else if (recordStartTime.ElapsedSeconds() <= analysisLimit) {
        StressShellTimer->setInterval(100);
    } else {
        // An analyser past its limit is hung: left running it would rewrite
        // the next recording, and outlive the tutor.
        CurrentAnalyserLauncher().StopRunning();
        LowMemory->show();
        EndAnalysis(false);
    }
    QString reply;
    SendMciCommand("close wavefile", reply);
}

void Stress::ShowTakeVerdict()
{
    const auto phraseSeconds = [](const PhraseData& phrase, const WaveFormat& format) {
        return format.SamplesPerSec > 0
                   ? double(phrase.PhraseEnd - phrase.PhraseStart) / format.SamplesPerSec
                   : 0.0;
    };
    const QString verdict =
        TakeVerdict(takeFacts, phraseSeconds(StudentData, StudentFormat),
                    NativeLoaded ? phraseSeconds(NativeData, NativeFormat) : 0.0);
    if (verdict.isEmpty()) return;
    VerdictDetail->SetText(verdict);
    PlaceStatusDetails();
    VerdictDetail->show();
    VerdictDetail->raise();
}

void Stress::CancelAnalysis()
{
    if (!StressShellTimer->isActive()) return;
    CurrentAnalyserLauncher().StopRunning();
    ShowBadRecording("The analysis was cancelled.");
    EndAnalysis(false);
}

void Stress::ShowBadRecording(const QString& reason)
{
    // Without a reason of its own the failure is the analyser's verdict.
    ReasonDetail->SetText(reason.isEmpty() ? LearnerReason(ResultFileReason(StudentData.ResultFile))
                                           : reason);
    BadRecording->show();
}

void Stress::EndAnalysis(bool success)
{
    if (!success) {
        ClearStudentViews();
        StressShellTimer->stop();
        PlayStudentWave->setEnabled(false);
        TextAnalyzingButton->hide();
        StudentAnalysed = 0;
    }
    RecordStudentWave->setEnabled(true);
    ExitButton->setEnabled(true);
    NextTopic->setEnabled(true);
    PrevTopic->setEnabled(true);
    DeleteMatchingFiles(BinFolder, "*.tmp");
    if (NativeLoaded)
        PlayNativeWave->setEnabled(true);
    // Disabled while the take was made, Record lost the keyboard to the
    // next button; it gets it back, so that the next key goes where the
    // learner left it.
    RecordStudentWave->setFocus();
}
