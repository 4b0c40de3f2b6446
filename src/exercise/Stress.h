#pragma once
// The exercise screen: one phrase of the current phrase list at a time. It
// shows the phrase text, the native speaker's recording as three views
// (pitch, stress, signal) and, once recorded and analysed, the student's
// three views below them, with the buttons that play, record, explain,
// step through the list and leave. Opened by the phrase screen, whose list
// selection stays the record of the current phrase.
#include "audio/LoadedPhrase.h"
#include "audio/PhraseData.h"
#include "audio/WaveInput.h"
#include "engine/AnalysisEngine.h"
#include "engine/PlaybackFollower.h"
#include "exercise/HistoryPanel.h"
#include "exercise/PracticeStrip.h"
#include "exercise/StressLayout.h"
#include "views/ViewKinds.h"
#include "widgets/ImageButton.h"
#include "widgets/PictureBox.h"
#include "widgets/StatusDetail.h"

#include <QLabel>
#include <QRadioButton>
#include <QTimer>
#include <QWidget>

#include <array>
#include <functional>
#include <memory>
#include <optional>

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
    // The analysis engine's timers, under the screen's names.
    QTimer* RecordTimer;
    QTimer* StressShellTimer;

    void LoadTopic();
    // Sets the phrase's text as large as the designed size, or as fits.
    void FitPhraseText();
    static QFont DesignedPhraseFont();
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

    // Recording the student, then the analysis of the recording: the
    // handlers hand on to the analysis engine, whose events the screen shows.
    void RecordStudentWave_Click();
    void RecordTimer_Timer();
    void CreateStudentSteps_Click();
    void StressShellTimer_Timer();
    // Esc while the analyser works: stops it and asks to record again.
    void CancelAnalysis();

    bool IsRecording() const { return engine->IsRecording(); }
    // The sample position the follower has marked so far.
    int32_t FollowerPosition() const { return follower.Position(); }
    float AnalysisLimit() const { return engine->AnalysisLimit(); }
    AnalysisClock& RecordStartClock() { return engine->Clock(); }
    AnalysisEngine& Analysis() { return *engine; }

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

    // Beyond the design: the strip under the designed area (the Compare
    // option, the History button, the feedback), the Compare view and the
    // History window (made when first opened).
    PracticeStrip* Practice = nullptr;
    PictureBox* CompareView = nullptr;
    HistoryPanel* History = nullptr;
    void CompareOption_Click();
    void HistoryButton_Click();
    void ShowHistoryTake(const StoredTake& take);
    void PlayHistoryTake(const StoredTake& take);
    // The comparison of the take on show, if any.
    const std::optional<Comparison>& CurrentComparison() const { return comparison; }

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
    void CreateViews();
    QWidget* Control(StressControl control) const;
    void ApplyLayout();
    // The box of one view of one speaker, and the phrase drawn in it.
    PictureBox* View(Speaker speaker, ViewKind kind) const;
    const LoadedPhrase& PhraseOf(Speaker speaker) const;
    std::array<PictureBox*, SpeakerRowKinds.size()> ViewsOf(Speaker speaker) const;
    void ShowPair(ViewKind kind);
    void DrawSpeakerViews(Speaker speaker);
    void DrawSpeakerView(Speaker speaker, ViewKind kind);
    void ClearStudentViews();
    // The student's views play only while there is an analysed recording
    // to play, not while the next one is made.
    bool StudentTakeToPlay() const;
    void StepTopic(int direction);
    void UpdateTopicArrows();
    int16_t CurrentWindowState() const;
    void ConnectHandlers();
    void ConnectAnalysisEvents();
    void SetUpKeyboardAndAccessibility();
    void PlaceStatusDetails();
    void DescribeViews(Speaker speaker);
    void DescribeTopicArrows();
    void PlaceHelpWindow();
    void ShowRecordFace(bool stop);
    void PlaySpeaker(Speaker speaker);
    void EndPlayback();
    void EndAnalysis(bool success);
    // "Please Record Again !" with the reason under it.
    void ShowBadRecording(const QString& reason);
    void HideTakeOutcome();
    void ShowTakeVerdict();
    void CreatePracticeParts();
    void PlacePracticeParts();
    // The height of the designed area: the window less the strip under it.
    int DesignAreaHeight() const;
    void HideCompareView();
    void ClearPractice();
    // The end of an analysis the analyser answered: compare and keep.
    void ReviewTake(bool good);
    void ShowHistoryOfPhrase();
    void PlaceHistoryWindow();
    // In screen coordinates: the exercise's buttons in sight, and its native
    // speaker's views, which the windows it opens keep clear of.
    std::vector<QRect> ButtonsOnScreen() const;
    QRect NativeViewsOnScreen() const;
    // False, saying why, while a take is made; else ends any playback.
    bool FreeForHistoryTake();
    void PlayFromView(Speaker speaker, ViewKind kind, Qt::MouseButton button, double x);

    // What the screen shows of the analysis cycle.
    void OnRecordingStarted();
    void OnRecordingStopping();
    void OnRecordingEnded();
    void OnRecordingProgress(const RecordingProgressReport& report);
    void OnRecordingFailed(const QString& reason);
    void OnAnalysisFinished(AnalysisOutcome outcome, const QString& reason);
    void OnPhraseReadBack();

    // Follower state, filled when a whole phrase starts playing.
    PictureBox* PlayStressBox = nullptr;
    PictureBox* PlayPitchBox = nullptr;
    PictureBox* PlaySignalBox = nullptr;
    PhraseData PlayPhrase;
    WaveFormat PlayFormat;
    PlaybackFollower follower;

    AnalysisEngine* engine = nullptr;
    PictureBox* noticeView = nullptr;

    std::optional<Comparison> comparison;

    StressLayout layout;
    QSize loadSize;
    bool inResize = false;
    bool unloaded = false;
};
