// Everyday use of the exercise screen: keyboard shortcuts shown in the
// tooltips, a tab order from top to bottom, and names and descriptions for
// screen readers (the views describe what they show).
#include "app/CommonVar.h"
#include "exercise/Stress.h"
#include "widgets/HelpWindow.h"

#include <QShortcut>

namespace {

// How a screen reader names a speaker's views: "Your intonation".
QString SpeakerPossessive(Speaker speaker)
{
    return speaker == Speaker::Native ? "Native speaker's" : "Your";
}

struct KeyedControl
{
    QAbstractButton* control;
    QKeySequence key;
    const char* name;
    const char* description;
};

} // namespace

void Stress::SetUpKeyboardAndAccessibility()
{
    const KeyedControl keyed[] = {
        {ExitButton, Qt::Key_Escape, "Exit", "Leave the exercise and return to the phrase list"},
        {HelpButton, Qt::Key_F1, "Help", "Open the help contents"},
        {IntonationOption, Qt::Key_1, "Intonation", "Show the pitch contours"},
        {StressOption, Qt::Key_2, "Intensity/Rhythm", "Show the stress steps as bars"},
        {WaveformOption, Qt::Key_3, "Waveform", "Show the waveforms"},
        {PrevTopic, Qt::Key_PageUp, "Previous phrase", "Go to the previous phrase of the list"},
        {NextTopic, Qt::Key_PageDown, "Next phrase", "Go to the next phrase of the list"},
        {HintButton, Qt::Key_E, "Explain", "Open the explanation of this phrase"},
        {PlayNativeWave, Qt::Key_P, "Play native speaker",
         "Play the native speaker's recording; the steps heard are marked"},
        {RecordStudentWave, Qt::Key_R, "Record",
         "Record yourself saying the phrase; press again to stop early"},
        {PlayStudentWave, Qt::Key_S, "Play my recording",
         "Play your own recording; the steps heard are marked"},
    };
    QWidget* previous = nullptr;
    for (const KeyedControl& item : keyed) {
        item.control->setAccessibleName(item.name);
        item.control->setAccessibleDescription(item.description);
        item.control->setToolTip(QString("%1 (%2)")
                                     .arg(item.description)
                                     .arg(item.key.toString(QKeySequence::NativeText)));
        item.control->setFocusPolicy(Qt::StrongFocus);
        auto* shortcut = new QShortcut(item.key, this);
        QAbstractButton* control = item.control;
        connect(shortcut, &QShortcut::activated, this, [this, control] {
            // Esc while the analyser works cancels the analysis: Exit is
            // disabled then, and a learner should never have to wait it out.
            if (control == ExitButton && engine->IsAnalysing()) {
                CancelAnalysis();
                return;
            }
            // A shortcut acts only as the button would: visible and enabled.
            if (control->isVisible() && control->isEnabled()) control->click();
            // F1 means to read the help: it gets the keyboard, and Esc there
            // brings the keyboard back here.
            if (control == HelpButton) HelpWindow::Instance().TakeKeyboard();
        });
        if (previous) setTabOrder(previous, item.control);
        previous = item.control;
    }

    PhraseLabel->setAccessibleName("Phrase");
    TextNativeSpeaker->setAccessibleName("Native Speaker");
    TextStudentSpeaker->setAccessibleName("Student");
    for (Speaker speaker : {Speaker::Native, Speaker::Student}) {
        for (ViewKind kind : SpeakerRowKinds) {
            PictureBox* view = View(speaker, kind);
            view->setAccessibleName(SpeakerPossessive(speaker) + ' ' + ViewKindOf(kind).Noun);
            view->setAccessibleDescription("Nothing drawn yet. Click the view to hear a piece.");
            view->setToolTip("Click to hear this part of the recording");
        }
    }
    const std::pair<QWidget*, const char*> notices[] = {
        {TextRecordingButton, "Recording"},
        {TextAnalyzingButton, "Analysing"},
        {BadRecording, "Please record again"},
        {LowMemory, "Warning: the analysis took too long"}};
    for (const auto& [notice, name] : notices) {
        notice->setAccessibleName(name);
        notice->setFocusPolicy(Qt::NoFocus);
    }
    CreateStudentSteps->setFocusPolicy(Qt::NoFocus);
    BMPForRecord->setFocusPolicy(Qt::NoFocus);
    BMPForStop->setFocusPolicy(Qt::NoFocus);
}

void Stress::DescribeTopicArrows()
{
    // Where the learner is in the list, where an arrow leads.
    const auto describe = [](ImageButton* arrow, const char* what, int target, int total,
                             const char* key) {
        const QString where = QString("%1 (%2 of %3)").arg(what).arg(target).arg(total);
        arrow->setAccessibleDescription(where);
        arrow->setToolTip(QString("%1 (%2)").arg(where, key));
    };
    describe(PrevTopic, "Previous phrase", CurrentPhrase - 1, PhraseCount, "PgUp");
    describe(NextTopic, "Next phrase", CurrentPhrase + 1, PhraseCount, "PgDown");
}

void Stress::DescribeViews(Speaker speaker)
{
    for (ViewKind kind : SpeakerRowKinds)
        View(speaker, kind)
            ->setAccessibleDescription(
                ViewKindOf(kind).Describe(SpeakerPossessive(speaker), PhraseOf(speaker)));
}
