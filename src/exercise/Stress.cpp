#include "exercise/Stress.h"

#include "app/CommonVar.h"
#include "app/Tutor.h"
#include "audio/MciSubs.h"
#include "audio/PhraseFile.h"
#include "content/ContentText.h"
#include "content/HelpDocument.h"
#include "engine/WorkingFileCleanup.h"
#include "exercise/HistoryPanel.h"
#include "navigation/Sentences.h"
#include "views/PhraseForDisplay.h"
#include "views/ViewColours.h"
#include "widgets/AnalyserProcess.h"
#include "widgets/HelpWindow.h"
#include "widgets/UntrustedText.h"

#include <QCloseEvent>
#include <QFile>
#include <QScreen>

#include <cmath>
#include <limits>

namespace {

const QColor FormBackColor(0, 111, 0);
const QColor OptionBackColor(224, 224, 224);

} // namespace

QSize Stress::DesignInnerSize()
{
    return {static_cast<int>(DesignInnerWidth / TwipsPerPixel),
            static_cast<int>(DesignInnerHeight / TwipsPerPixel)};
}

Stress::Stress()
{
    setObjectName("Stress");
    setWindowTitle("Tonvale Tutor");
    setAttribute(Qt::WA_DeleteOnClose);
    setAutoFillBackground(true);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, FormBackColor);
    setPalette(palette);
    resize(DesignInnerSize() + QSize(0, PracticeStrip::StripHeight));
    CreateControls();
    Form_Load();
}

Stress::~Stress() = default;

void Stress::CreateControls()
{
    PhraseLabel = new QLabel(this);
    PhraseLabel->setObjectName("PhraseLabel");
    // Content text is shown as written: a phrase such as "<b>ever</b>" is
    // not markup, and a shared course must not put pictures on the screen.
    PhraseLabel->setTextFormat(Qt::PlainText);
    PhraseLabel->setAutoFillBackground(true);
    PhraseLabel->setStyleSheet("QLabel { background: white; color: black; padding: 4px; }");
    PhraseLabel->setWordWrap(true);
    PhraseLabel->setAlignment(Qt::AlignCenter);
    PhraseLabel->setFont(DesignedPhraseFont());
    PhraseLabel->installEventFilter(this); // a new size may fit the phrase another way

    IntonationOption = new QRadioButton("Intonation", this);
    StressOption = new QRadioButton("Intensity/Rhythm", this);
    WaveformOption = new QRadioButton("Waveform", this);
    IntonationOption->setObjectName("IntonationOption");
    StressOption->setObjectName("StressOption");
    WaveformOption->setObjectName("WaveformOption");
    for (QRadioButton* option : {IntonationOption, StressOption, WaveformOption}) {
        option->setAutoFillBackground(true);
        option->setStyleSheet("QRadioButton { background: rgb(224, 224, 224); color: black;"
                              " padding-left: 6px; border: 1px solid rgb(90, 90, 90); }"
                              "QRadioButton:focus { border: 3px solid rgb(255, 215, 0); }");
    }

    CreateViews();

    ExitButton = new ImageButton("Exit", OptionBackColor, this);
    HelpButton = new ImageButton("Help", QColor(255, 255, 207), this);
    PrevTopic = new ImageButton(QString(), OptionBackColor, this, ImageButton::Arrow::Left);
    NextTopic = new ImageButton(QString(), OptionBackColor, this, ImageButton::Arrow::Right);
    HintButton = new ImageButton("Explain", QColor(255, 255, 207), this);
    PlayNativeWave = new ImageButton("Play", QColor(207, 255, 207), this);
    RecordStudentWave = new ImageButton("Record", QColor(255, 111, 111), this);
    PlayStudentWave = new ImageButton("Play", QColor(207, 255, 255), this);
    TextRecordingButton = new ImageButton("Recording ...", palette().color(QPalette::Base), this);
    TextAnalyzingButton = new ImageButton("Analyzing ...", QColor(255, 255, 255), this);
    BadRecording = new ImageButton("Please Record Again !", QColor(255, 111, 111), this);
    LowMemory = new ImageButton("WARNING: Low Memory", QColor(255, 0, 0), this);
    BMPForStop = new ImageButton("Stop", QColor(255, 255, 255), this);
    BMPForRecord = new ImageButton("Record", QColor(255, 111, 111), this);
    CreateStudentSteps = new QPushButton("CREATE SSTEPS", this);

    ExitButton->setObjectName("ExitButton");
    HelpButton->setObjectName("HelpButton");
    PrevTopic->setObjectName("PrevTopic");
    NextTopic->setObjectName("NextTopic");
    HintButton->setObjectName("HintButton");
    PlayNativeWave->setObjectName("PlayNativeWave");
    RecordStudentWave->setObjectName("RecordStudentWave");
    PlayStudentWave->setObjectName("PlayStudentWave");
    TextRecordingButton->setObjectName("TextRecordingButton");
    TextAnalyzingButton->setObjectName("TextAnalyzingButton");
    BadRecording->setObjectName("BadRecording");
    LowMemory->setObjectName("LowMemory");
    BMPForStop->setObjectName("BMPForStop");
    BMPForRecord->setObjectName("BMPForRecord");
    CreateStudentSteps->setObjectName("CreateStudentSteps");

    TextNativeSpeaker = new QLabel("Native Speaker", this);
    TextStudentSpeaker = new QLabel("Student", this);
    TextNativeSpeaker->setObjectName("TextNativeSpeaker");
    TextStudentSpeaker->setObjectName("TextStudentSpeaker");
    TextNativeSpeaker->setStyleSheet("QLabel { color: white; font-weight: bold; }");
    TextStudentSpeaker->setStyleSheet("QLabel { color: white; font-weight: bold; }");
    TextNativeSpeaker->setWordWrap(true);
    TextNativeSpeaker->setAlignment(Qt::AlignCenter);
    TextStudentSpeaker->setAlignment(Qt::AlignCenter);

    // Hidden by design; no step of the program shows them.
    for (QWidget* hidden :
         std::initializer_list<QWidget*>{TextRecordingButton, TextAnalyzingButton, BadRecording,
                                         LowMemory, BMPForStop, BMPForRecord, CreateStudentSteps})
        hidden->hide();

    PlayStepsTimer = new QTimer(this);
    PlayStepsTimer->setObjectName("PlayStepsTimer");
    PlayStepsTimer->setTimerType(Qt::PreciseTimer);
    // The student's take is recorded into the tutor's recording block and
    // read back as the student's phrase.
    engine = new AnalysisEngine(TutorRecording, StudentSpeaker, this);
    engine->setObjectName("AnalysisEngine");
    RecordTimer = engine->RecordTimer();
    StressShellTimer = engine->PollTimer();
    RecordTimer->setObjectName("RecordTimer");
    StressShellTimer->setObjectName("StressShellTimer");

    RecordingDetail = new StatusDetail(StatusDetail::Kind::Recording, this);
    AnalysingDetail = new StatusDetail(StatusDetail::Kind::Analysing, this);
    ReasonDetail = new StatusDetail(StatusDetail::Kind::Reason, this);
    RecordingDetail->setObjectName("RecordingDetail");
    AnalysingDetail->setObjectName("AnalysingDetail");
    ReasonDetail->setObjectName("ReasonDetail");
    NoticeDetail = new StatusDetail(StatusDetail::Kind::Reason, this);
    NoticeDetail->setObjectName("NoticeDetail");
    VerdictDetail = new StatusDetail(StatusDetail::Kind::Reason, this);
    VerdictDetail->setObjectName("VerdictDetail");
    FeedbackTimer = new QTimer(this);
    FeedbackTimer->setObjectName("FeedbackTimer");
    FeedbackTimer->setInterval(50);
    for (QWidget* status :
         std::initializer_list<QWidget*>{TextRecordingButton, TextAnalyzingButton, BadRecording})
        status->installEventFilter(this);

    CreatePracticeParts();
    ApplyLayout();

    ConnectHandlers();
    ConnectAnalysisEvents();
    SetUpKeyboardAndAccessibility();
}

void Stress::CreateViews()
{
    // A speaker's row holds one box per view kind, in the speaker's colours.
    const auto make = [this](Speaker speaker, ViewKind kind, const char* name) {
        auto* view = new PictureBox(this);
        view->SetBackColor(ViewBackColor(kind, speaker));
        view->SetForeColor(ViewForeColor);
        view->setObjectName(name);
        return view;
    };
    NativePitch = make(Speaker::Native, ViewKind::Pitch, "NativePitch");
    NativeStress = make(Speaker::Native, ViewKind::Stress, "NativeStress");
    NativeSignal = make(Speaker::Native, ViewKind::Signal, "NativeSignal");
    StudentPitch = make(Speaker::Student, ViewKind::Pitch, "StudentPitch");
    StudentStress = make(Speaker::Student, ViewKind::Stress, "StudentStress");
    StudentSignal = make(Speaker::Student, ViewKind::Signal, "StudentSignal");
}

PictureBox* Stress::View(Speaker speaker, ViewKind kind) const
{
    const bool native = speaker == Speaker::Native;
    switch (kind) {
    case ViewKind::Pitch:
        return native ? NativePitch : StudentPitch;
    case ViewKind::Stress:
        return native ? NativeStress : StudentStress;
    case ViewKind::Signal:
        return native ? NativeSignal : StudentSignal;
    case ViewKind::Compare:
        break;
    }
    return nullptr;
}

std::array<PictureBox*, SpeakerRowKinds.size()> Stress::ViewsOf(Speaker speaker) const
{
    std::array<PictureBox*, SpeakerRowKinds.size()> views{};
    for (size_t i = 0; i < SpeakerRowKinds.size(); ++i)
        views[i] = View(speaker, SpeakerRowKinds[i]);
    return views;
}

const LoadedPhrase& Stress::PhraseOf(Speaker speaker) const
{
    return speaker == Speaker::Native ? NativeSpeaker : StudentSpeaker;
}

QWidget* Stress::Control(StressControl control) const
{
    // Every control of the layout table has its case: a control added to
    // the table without one here fails the build (-Werror=switch).
    switch (control) {
    case StressControl::PhraseLabel:
        return PhraseLabel;
    case StressControl::IntonationOption:
        return IntonationOption;
    case StressControl::StressOption:
        return StressOption;
    case StressControl::WaveformOption:
        return WaveformOption;
    case StressControl::NativePitch:
        return NativePitch;
    case StressControl::NativeStress:
        return NativeStress;
    case StressControl::NativeSignal:
        return NativeSignal;
    case StressControl::StudentPitch:
        return StudentPitch;
    case StressControl::StudentStress:
        return StudentStress;
    case StressControl::StudentSignal:
        return StudentSignal;
    case StressControl::ExitButton:
        return ExitButton;
    case StressControl::HelpButton:
        return HelpButton;
    case StressControl::PrevTopic:
        return PrevTopic;
    case StressControl::NextTopic:
        return NextTopic;
    case StressControl::HintButton:
        return HintButton;
    case StressControl::TextNativeSpeaker:
        return TextNativeSpeaker;
    case StressControl::PlayNativeWave:
        return PlayNativeWave;
    case StressControl::RecordStudentWave:
        return RecordStudentWave;
    case StressControl::TextStudentSpeaker:
        return TextStudentSpeaker;
    case StressControl::PlayStudentWave:
        return PlayStudentWave;
    case StressControl::TextRecordingButton:
        return TextRecordingButton;
    case StressControl::TextAnalyzingButton:
        return TextAnalyzingButton;
    case StressControl::BadRecording:
        return BadRecording;
    case StressControl::LowMemory:
        return LowMemory;
    case StressControl::BMPForStop:
        return BMPForStop;
    case StressControl::BMPForRecord:
        return BMPForRecord;
    case StressControl::Count:
        break;
    }
    return nullptr;
}

void Stress::ConnectHandlers()
{
    connect(NextTopic, &QPushButton::clicked, this, &Stress::NextTopic_Click);
    connect(PrevTopic, &QPushButton::clicked, this, &Stress::PrevTopic_Click);
    connect(ExitButton, &QPushButton::clicked, this, &Stress::ExitButton_Click);
    connect(WaveformOption, &QRadioButton::clicked, this, &Stress::WaveformOption_Click);
    connect(StressOption, &QRadioButton::clicked, this, &Stress::StressOption_Click);
    connect(IntonationOption, &QRadioButton::clicked, this, &Stress::IntonationOption_Click);
    connect(HintButton, &QPushButton::clicked, this, &Stress::HintButton_Click);
    connect(HelpButton, &QPushButton::clicked, this, &Stress::HelpButton_Click);
    connect(PlayNativeWave, &QPushButton::clicked, this, &Stress::PlayNativeWave_Click);
    connect(PlayStudentWave, &QPushButton::clicked, this, &Stress::PlayStudentWave_Click);
    connect(RecordStudentWave, &QPushButton::clicked, this, &Stress::RecordStudentWave_Click);
    connect(CreateStudentSteps, &QPushButton::clicked, this, &Stress::CreateStudentSteps_Click);
    connect(PlayStepsTimer, &QTimer::timeout, this, &Stress::PlayStepsTimer_Timer);
    // RecordTimer and StressShellTimer drive the analysis engine, which owns
    // them; RecordTimer_Timer and StressShellTimer_Timer do the same step
    // for a caller that ticks by hand.
    connect(FeedbackTimer, &QTimer::timeout, this, &Stress::FeedbackTimer_Timer);
    const auto onMouseDown = [this](PictureBox* box, auto handler) {
        connect(box, &PictureBox::MouseDown, this,
                [this, handler](Qt::MouseButton button, double x, double) {
                    (this->*handler)(button, x);
                });
    };
    onMouseDown(NativeSignal, &Stress::NativeSignal_MouseDown);
    onMouseDown(NativePitch, &Stress::NativePitch_MouseDown);
    onMouseDown(NativeStress, &Stress::NativeStress_MouseDown);
    onMouseDown(StudentSignal, &Stress::StudentSignal_MouseDown);
    onMouseDown(StudentPitch, &Stress::StudentPitch_MouseDown);
    onMouseDown(StudentStress, &Stress::StudentStress_MouseDown);
}

void Stress::ApplyLayout()
{
    for (int i = 0; i < StressControlCount; ++i) {
        const auto control = static_cast<StressControl>(i);
        const auto [left, top, width, height] = layout.PixelRect(control);
        Control(control)->setGeometry(left, top, std::max(width, 1), std::max(height, 1));
    }
    PlaceStatusDetails();
    PlacePracticeParts();
}

void Stress::Form_Load()
{
#ifdef Q_OS_WIN
    AnalyserPath = InstallRoot + "/Bin/TVM.exe";
#else
    AnalyserPath = InstallRoot + "/Bin/TVM";
#endif
    NativeMemory = std::make_unique<APIMemory>();
    StudentMemory = std::make_unique<APIMemory>();
    BuildStudentFileNames();
    engine->SetAnalyser(AnalyserPath,
                        []() -> AnalyserLauncher& { return CurrentAnalyserLauncher(); });
    engine->SetWorkingFiles({BinFolder, DataFolder, StudentData.WaveFile, StudentData.ResultFile});
    RecordStudentWave->setEnabled(true);
    PlayNativeWave->setEnabled(true);
    PlayStudentWave->setEnabled(false);
    NativeLoadedBlock = 0;
    StudentLoadedBlock = 0;
    PlayStepsTimer->stop();
    StressShellTimer->stop();

    loadSize = size();
    layout.Capture(width(), DesignAreaHeight(),
                   NativePitch->contentsRect().width() * TwipsPerPixel);

    NativeLoaded = false;
    StudentAnalysed = 0;
    CurrentPhrase = 0;
    LevelBounds = {0, 20, 40, 60, 80, 100, 102};
    LevelBoundCount = 6;

    LoadTopic();
    UpdateTopicArrows();
    for (Speaker speaker : {Speaker::Native, Speaker::Student})
        for (PictureBox* view : ViewsOf(speaker))
            view->hide();
    MoveToFormPosition(*this);
    if (CurrentNode == 1) HintButton_Click();
}

void Stress::LoadTopic()
{
    Sentences* phrases = Sentences::Current();
    CurrentPhrase = (phrases ? phrases->ListOfPhrases->SelectedPosition() : -1) + 1;
    if (CurrentPhrase < 0 || CurrentPhrase >= static_cast<int32_t>(PhraseList.size()))
        CurrentPhrase = 0;
    PhraseEntry& entry = PhraseList[CurrentPhrase];
    entry.PhraseText = TrimBlanks(entry.PhraseText).toByteArray();
    PhraseLabel->setText(DecodeContentText(entry.PhraseText));
    FitPhraseText();
    entry.FileStem = TrimBlanks(entry.FileStem).toByteArray();

    const QString stem = QFile::decodeName(entry.FileStem);
    NamePhraseFiles(NativeData, stem);

    if (PlayStepsTimer->isActive()) {
        // A phrase still playing would go on sounding, and the record button
        // it disabled would never come back: end that playback here.
        PlayStepsTimer->stop();
        QString reply;
        SendMciCommand("close wavefile", reply);
        RecordStudentWave->setEnabled(true);
    }
    for (PictureBox* view : ViewsOf(Speaker::Native))
        view->Cls();

    if (LoadPhraseForDisplay(NativeSpeaker, NativeData.WaveFile) == 0) {
        DrawSpeakerViews(Speaker::Native);
        NativeLoaded = true;
        PlayNativeWave->setEnabled(true);
    } else {
        NativeLoaded = false;
        // Nothing is loaded, so there is nothing to play.
        PlayNativeWave->setEnabled(false);
    }
    // The strip speaks of this phrase from now on (and says so when its
    // native recording could not be read).
    ClearPractice();
}

void Stress::DrawSpeakerView(Speaker speaker, ViewKind kind)
{
    PictureBox* view = View(speaker, kind);
    const ViewInput input{PhraseOf(speaker), nullptr, std::span<const int16_t>(LevelBounds),
                          LevelBoundCount};
    DrawView(view->PictureCanvas(), kind, input, view->ForeColor(), view->BackColor());
}

void Stress::DrawSpeakerViews(Speaker speaker)
{
    for (ViewKind kind : SpeakerRowKinds)
        DrawSpeakerView(speaker, kind);
    for (PictureBox* view : ViewsOf(speaker)) {
        // A fresh take replaces the faded one.
        if (speaker == Speaker::Student) view->SetDimmed(false);
        view->update();
    }
    DescribeViews(speaker);
}

void Stress::ClearStudentViews()
{
    for (PictureBox* view : ViewsOf(Speaker::Student))
        view->Cls();
    // The feedback speaks of the drawing it came with.
    ClearPractice();
}

void Stress::BuildStudentFileNames()
{
    const QString stem = DataFolder + StudentFileStem;
    NamePhraseFiles(StudentData, stem);
    StudentData.ResultFile = stem + ".rsl";
}

void Stress::UpdateTopicArrows()
{
    const bool hadFocus = PrevTopic->hasFocus() || NextTopic->hasFocus();
    PrevTopic->setVisible(CurrentPhrase > 1);
    NextTopic->setVisible(CurrentPhrase < PhraseCount);
    DescribeTopicArrows();
    // An arrow that goes at the end of the list must not take the focus ring
    // with it: the other arrow, or Explain, keeps it in sight.
    if (hadFocus && !PrevTopic->isVisibleTo(this) && !NextTopic->isVisibleTo(this))
        HintButton->setFocus();
    else if (hadFocus && !NextTopic->isVisibleTo(this))
        PrevTopic->setFocus();
    else if (hadFocus && !PrevTopic->isVisibleTo(this))
        NextTopic->setFocus();
}

void Stress::StepTopic(int direction)
{
    Sentences* phrases = Sentences::Current();
    if (phrases != nullptr) {
        const int position = phrases->ListOfPhrases->SelectedPosition();
        const int count = phrases->ListOfPhrases->count();
        const int target = position + direction;
        const bool moves = direction > 0 ? target < count : position > 0;
        if (moves) {
            phrases->ListOfPhrases->SelectPosition(target);
            LoadTopic();
            UpdateTopicArrows();
            HintButton->setFocus();
            if (History != nullptr && History->isVisible()) ShowHistoryOfPhrase();
        }
    }
    StudentAnalysed = 0;
    PlayStudentWave->setEnabled(false);
    ClearStudentViews();
    HideTakeOutcome();
    if (CurrentNode == 1) HintButton_Click();
}

void Stress::NextTopic_Click()
{
    StepTopic(+1);
}

void Stress::PrevTopic_Click()
{
    StepTopic(-1);
}

void Stress::ExitButton_Click()
{
    CleanUpWorkingFiles({BinFolder, DataFolder, StudentData.WaveFile, StudentData.ResultFile},
                        CleanUpMoment::ExerciseLeft);
    SavedWindowState = CurrentWindowState();
    close();
}

void Stress::Form_Unload()
{
    if (unloaded) return;
    unloaded = true;
    // Nothing may fire into a closed screen or write into a released block:
    // the follower, the recording and the poll stop before anything goes
    // (and an analyser still at work with them).
    engine->Release();
    PlayStepsTimer->stop();
    FeedbackTimer->stop();

    // The views read the sample blocks through the wave headers: release
    // the blocks and forget the headers together.
    if (NativeLoadedBlock != 0) {
        NativeMemory->GUnlock();
        NativeMemory->GFree();
        NativeLoadedBlock = 0;
        NativeWave = WaveHeader{};
    }
    if (StudentLoadedBlock != 0) {
        StudentMemory->GUnlock();
        StudentMemory->GFree();
        StudentLoadedBlock = 0;
        StudentWave = WaveHeader{};
    }
    if (RecordHandle != 0) {
        RecordMemory->GUnlock();
        RecordMemory->GFree();
        RecordHandle = 0;
        RecordBuffer = WaveHeader{};
    }
    NativeLoaded = false;
    StudentAnalysed = 0;
    QString reply;
    SendMciCommand("close wavefile", reply);

    if (CurrentWindowState() == WindowNormal) StoreFormPosition(*this);
    if (Sentences* phrases = Sentences::Current()) phrases->ReturnFromExercise();
}

void Stress::closeEvent(QCloseEvent* event)
{
    Form_Unload();
    event->accept();
}

int16_t Stress::CurrentWindowState() const
{
    if (windowState() & Qt::WindowMinimized) return WindowMinimised;
    if (windowState() & Qt::WindowMaximized) return WindowMaximised;
    return WindowNormal;
}

void Stress::OpenFromPhraseList(int16_t windowState)
{
    if (windowState == WindowMaximised)
        setWindowState(Qt::WindowMaximized);
    else if (windowState == WindowMinimised)
        setWindowState(Qt::WindowMinimized);
    IntonationOption->setChecked(true);
    ShowPair(ViewKind::Pitch);
    show();
}

QFont Stress::DesignedPhraseFont()
{
    return QFont("Times New Roman", 16, QFont::Bold);
}

// A phrase too long for its box at the designed size is set smaller until it
// fits, and its whole text is in the tool tip: cut off, the learner could not
// read what to say. A phrase that fits keeps the designed size.
void Stress::FitPhraseText()
{
    constexpr int SmallestPoints = 8;
    QFont font = DesignedPhraseFont();
    PhraseLabel->setFont(font);
    const auto fits = [this] {
        return PhraseLabel->heightForWidth(PhraseLabel->width()) <= PhraseLabel->height();
    };
    bool smaller = false;
    while (!fits() && font.pointSize() > SmallestPoints) {
        font.setPointSize(font.pointSize() - 1);
        PhraseLabel->setFont(font);
        smaller = true;
    }
    PhraseLabel->setToolTip(smaller ? PlainToolTip(PhraseLabel->text()) : QString());
}

void Stress::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    Form_Resize();
}

void Stress::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange) Form_Resize();
}

void Stress::Form_Resize()
{
    if (inResize || unloaded) return;
    inResize = true;
    const int16_t state = CurrentWindowState();
    ResizeActions actions = layout.Resize(state, width(), DesignAreaHeight());
    // Painting is held while the controls move, so the screen never shows
    // half a layout.
    if (actions.FreezeScreen) setUpdatesEnabled(false);
    if (actions.RestoreLoadSize && size() != loadSize) {
        resize(loadSize);
        // The resize this causes comes back while this one is still under
        // way and is not handled: the layout is worked out here again for
        // the size the window now has, or the controls would keep the
        // dragged size's places in the load-size window.
        actions = layout.Resize(state, width(), DesignAreaHeight());
    }
    if (actions.LaidOut) {
        ApplyLayout();
        // The learner's views show the last take faded while a new one is
        // recorded, and nothing while it is analysed: so they stay.
        const bool studentFaded = StudentPitch->Dimmed();
        for (Speaker speaker : {Speaker::Native, Speaker::Student})
            for (PictureBox* view : ViewsOf(speaker))
                view->Cls();
        if (NativeLoaded) DrawSpeakerViews(Speaker::Native);
        if (StudentAnalysed != 0 && !engine->IsAnalysing()) {
            DrawSpeakerViews(Speaker::Student);
            for (PictureBox* view : ViewsOf(Speaker::Student))
                view->SetDimmed(studentFaded);
        }
        SavedWindowState = state;
        if (state == WindowNormal) StoreFormPosition(*this);
    }
    if (!updatesEnabled() && state != WindowMinimised) setUpdatesEnabled(true);
    inResize = false;
}

void Stress::ShowPair(ViewKind kind)
{
    HideCompareView();
    // Both speakers' views of the one kind, native speaker's first.
    for (Speaker speaker : {Speaker::Native, Speaker::Student})
        for (ViewKind shown : SpeakerRowKinds)
            View(speaker, shown)->setVisible(shown == kind);
}

void Stress::WaveformOption_Click()
{
    ShowPair(ViewKind::Signal);
}

void Stress::StressOption_Click()
{
    ShowPair(ViewKind::Stress);
}

void Stress::IntonationOption_Click()
{
    ShowPair(ViewKind::Pitch);
}

int32_t Stress::HelpTopicOf(const QString& waveFile)
{
    return HelpTopicOfWaveFile(waveFile);
}

void Stress::PlaceHelpWindow()
{
    // The native speaker's views stay in sight while the learner reads, and
    // the buttons free: the first lesson opens the help on every phrase. The
    // History window's rule: beside the exercise where there is room, else
    // off every button and as little over the native views as can be.
    const QScreen* screen = this->screen();
    if (screen == nullptr) return;
    const QRect nativeViews = NativeViewsOnScreen();
    std::vector<QRect> keepClear = ButtonsOnScreen();
    const QRect place = HistoryWindowPlace(screen->availableGeometry(), frameGeometry(),
                                           nativeViews, keepClear, QSize(560, 480),
                                           QSize(360, 260));
    keepClear.push_back(nativeViews);
    HelpWindow::Instance().PlaceClearOf(place, keepClear);
}

void Stress::HintButton_Click()
{
    PlaceHelpWindow();
    WinHelp(reinterpret_cast<uintptr_t>(this), HelpFile, HelpContext,
            HelpTopicOf(NativeData.WaveFile));
}

void Stress::HelpButton_Click()
{
    PlaceHelpWindow();
    WinHelp(HelpOwner, HelpFile, HelpContents, 0);
}
