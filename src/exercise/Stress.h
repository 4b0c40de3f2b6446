#pragma once
// The exercise screen: one phrase of the current phrase list at a time. It
// shows the phrase text, the native speaker's recording as three views
// (pitch, stress, signal) and, once recorded and analysed, the student's
// three views below them, with the buttons that play, record, explain,
// step through the list and leave. Opened by the phrase screen, whose list
// selection stays the record of the current phrase.
#include "exercise/ImageButton.h"
#include "exercise/StressLayout.h"
#include "platform/PictureBox.h"

#include <QLabel>
#include <QRadioButton>
#include <QTimer>
#include <QWidget>

#include <array>

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

    const StressLayout& Layout() const { return layout; }
    // The size of the inner area at load, in pixels.
    static QSize DesignInnerSize();

    // The topic number of the phrase's explanation, from its sound file name.
    static int32_t HelpTopicOf(const QString& waveFile);

protected:
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
    std::array<QWidget*, StressControlCount> controlsByLayout{};

    StressLayout layout;
    QSize loadSize;
    bool inResize = false;
    bool unloaded = false;
    bool recordingInProgress = false;
};
