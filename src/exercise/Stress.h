#pragma once
// The exercise screen: one phrase of the current phrase list at a time. It
// shows the phrase text, the native speaker's recording as three views
// (pitch, stress, signal) and, once recorded and analysed, the student's
// three views below them, with the buttons that play, record, explain,
// step through the list and leave. Opened by the phrase screen, whose list
// selection stays the record of the current phrase.
#include "audio/PhraseData.h"
#include "audio/WaveInput.h"
#include "exercise/AnalysisCycle.h"
#include "exercise/ImageButton.h"
#include "exercise/RecordingFeedback.h"
#include "exercise/StatusDetail.h"
#include "exercise/StressLayout.h"
#include "platform/PictureBox.h"

#include <QLabel>
#include <QRadioButton>
#include <QTimer>
#include <QWidget>

#include <array>
#include <functional>
#include <memory>

class Stress : public QWidget
{
    Q_OBJECT
public:
    Stress();
    ~Stress() override;

    // The phrase screen's way in: window state, the Intonation pair of
    // views visible, shown.
    void OpenFromPhraseList(int16_t windowState);

    QLabel* PhraseLabel;
    QLabel* TextNativeSpeaker;
    QLabel* TextStudentSpeaker;
    PictureBox* NativeSignal;
    PictureBox* NativePitch;
    PictureBox* NativeStress;
    PictureBox* StudentSignal;
    PictureBox* StudentPitch;
    PictureBox* StudentStress;
    QRadioButton* WaveformOption;
    QRadioButton* StressOption;
    QRadioButton* IntonationOption;
    ImageButton* PlayNativeWave;
    ImageButton* PlayStudentWave;
    ImageButton* RecordStudentWave;
    ImageButton* BMPForRecord;
    ImageButton* BMPForStop;
    QPushButton* CreateStudentSteps;
    ImageButton* HintButton;
    ImageButton* HelpButton;
    ImageButton* ExitButton;
    ImageButton* NextTopic;
    ImageButton* PrevTopic;
    ImageButton* TextRecordingButton;
    ImageButton* TextAnalyzingButton;
    ImageButton* BadRecording;
    ImageButton* LowMemory;
    QTimer* PlayStepsTimer;
    QTimer* RecordTimer;
    QTimer* StressShellTimer;

    void LoadTopic();
    void BuildStudentFileNames();

    void Form_Load();
    void Form_Resize();
    void Form_Unload();
    void NextTopic_Click();
    void PrevTopic_Click();
    void ExitButton_Click();
    void WaveformOption_Click();
    void StressOption_Click();
    void IntonationOption_Click();
    void HintButton_Click();
    void HelpButton_Click();

    // Whole-phrase playback with the follower that marks the steps heard.
    void PlayNativeWave_Click();
    void PlayStudentWave_Click();
    void PlayWholePhrase(PictureBox* stressBox, const PhraseData& phrase, const WaveFormat& format,
                         PictureBox* pitchBox, PictureBox* signalBox);
    void PlayStepsTimer_Timer();

    // Clicks on the views play a piece of that speaker's phrase.
    void NativeSignal_MouseDown(Qt::MouseButton button, double x);
    void NativePitch_MouseDown(Qt::MouseButton button, double x);
    void NativeStress_MouseDown(Qt::MouseButton button, double x);
    void StudentSignal_MouseDown(Qt::MouseButton button, double x);
    void StudentPitch_MouseDown(Qt::MouseButton button, double x);
    void StudentStress_MouseDown(Qt::MouseButton button, double x);

    // Recording the student, then the analysis of the recording.
    void RecordStudentWave_Click();
    void RecordTimer_Timer();
    void CreateStudentSteps_Click();
    void StressShellTimer_Timer();
    // Esc while the analyser works: stops it and asks to record again.
    void CancelAnalysis();

    bool IsRecording() const { return isRecording; }
    // The sample position the follower has marked so far.
    int32_t FollowerPosition() const { return PlayPosition; }
    float AnalysisLimit() const { return analysisLimit; }
    AnalysisClock& RecordStartClock() { return recordStartTime; }

    // The sound input recordings come from; tests put in their own.
    static void SetWaveInputFactory(std::function<std::unique_ptr<WaveInput>()> factory);

    // Feedback beside the status pictures: the recording's progress and
    // live level, the analysis at work, and why a recording was refused.
    StatusDetail* RecordingDetail;
    StatusDetail* AnalysingDetail;
    StatusDetail* ReasonDetail;
    // A one-line notice in a speaker's view ("No sound output device is
    // available"), until the learner's next action.
    StatusDetail* NoticeDetail;
    // A word about an accepted take (clipped, cut off, much too short),
    // until the next take or phrase.
    StatusDetail* VerdictDetail;
    void ShowNotice(PictureBox* view, const QString& text);
    void HideNotice();
    QTimer* FeedbackTimer;
    void FeedbackTimer_Timer();

    const StressLayout& Layout() const { return layout; }
    // The size of the inner area at load, in pixels.
    static QSize DesignInnerSize();

    // The topic number of the phrase's explanation, from its sound file name.
    static int32_t HelpTopicOf(const QString& waveFile);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void CreateControls();
    void ApplyLayout();
    void ShowPair(PictureBox* native, PictureBox* student);
    void DrawNativeViews();
    void DrawStudentViews();
    void ClearStudentViews();
    void StepTopic(int direction);
    void UpdateTopicArrows();
    int16_t CurrentWindowState() const;
    void ConnectHandlers();
    void SetUpKeyboardAndAccessibility();
    void PlaceStatusDetails();
    void DescribeViews(bool student);
    void DescribeTopicArrows();
    void PlaceHelpWindow();
    void ShowRecordFace(bool stop);
    void EndPlayback();
    void EndAnalysis(bool success);
    // "Please Record Again !" with the reason under it; an empty reason
    // takes the analyser's from the result file.
    void ShowBadRecording(const QString& reason);
    void ShowTakeVerdict();
    void PlayFromView(PictureBox* box, const PhraseData& phrase, Qt::MouseButton button, double x);
    std::array<QWidget*, StressControlCount> controlsByLayout{};

    // Follower state, filled when a whole phrase starts playing.
    PictureBox* PlayStressBox = nullptr;
    PictureBox* PlayPitchBox = nullptr;
    PictureBox* PlaySignalBox = nullptr;
    PhraseData PlayPhrase;
    WaveFormat PlayFormat;
    int32_t PlayedPosition = 0;
    int32_t PlayPosition = 0;

    // Recording and analysis state.
    std::unique_ptr<WaveInput> waveInput;
    bool isRecording = false;
    AnalysisClock recordStartTime;
    float analysisLimit = 0;
    int32_t plannedRecordingMs = 0;
    int32_t recordingStartResult = 0;
    bool recordingEndedEarly = false;
    bool takeHeardVoice = false;
    TakeFacts takeFacts;
    PictureBox* noticeView = nullptr;

    StressLayout layout;
    QSize loadSize;
    bool inResize = false;
    bool unloaded = false;
};
