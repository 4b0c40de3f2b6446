// tvtool render: one view of a phrase sound file, drawn as the exercise
// screen draws it after loading the phrase, into an SVG (one element per
// drawing call) or a PNG (the same pixels as the picture box).
#include "audio/LoadedPhrase.h"
#include "audio/PhraseFile.h"
#include "compare/DrawCompare.h"
#include "tool/Commands.h"
#include "views/CanvasOutput.h"
#include "views/DrawPitch.h"
#include "views/DrawSignal.h"
#include "views/DrawStress.h"
#include "views/PitchProcessing.h"
#include "views/ViewColours.h"

namespace {

const char* RenderUsage =
    "usage: tvtool render FILE --view pitch|stress|signal --size WxH --out OUT.svg|OUT.png "
    "[--student]\n"
    "       tvtool render MODEL LEARNER --view compare --size WxH --out OUT.svg|OUT.png\n"
    "Reads the phrase sound file FILE as the exercise screen loads a phrase (with --student\n"
    "as it reads the student's analysed recording: without the text chunk), trims its\n"
    "steps' pitch windows and draws the one view into a box of inner size W x H pixels,\n"
    "in the native speaker's colours (the student's with --student).\n"
    "OUT.svg holds one element per drawing call, in drawing order; OUT.png is the picture\n"
    "the screen shows. When the file does not read, prints 'result <code>' to standard\n"
    "error, writes nothing and exits 1.\n"
    "The compare view draws the learner's analysed phrase against the model's, as tvtool\n"
    "compare compares them: both pitch contours in semitones from each speaker's median,\n"
    "the learner's laid onto the model's time, the steps that differ most shaded. When\n"
    "the two cannot be compared it says why on standard error and exits 1.\n";

enum class View { Pitch, Stress, Signal, Compare };

struct RenderOptions
{
    QString path;
    QString learnerPath; // the compare view's second file
    View view = View::Pitch;
    int width = 0;
    int height = 0;
    QString out;
    bool student = false;
};

bool ParseView(const QString& text, View& view)
{
    if (text == "pitch")
        view = View::Pitch;
    else if (text == "stress")
        view = View::Stress;
    else if (text == "signal")
        view = View::Signal;
    else if (text == "compare")
        view = View::Compare;
    else
        return false;
    return true;
}

// 0: options read; 1: help asked for; 2: wrong call.
int ParseRenderOptions(const QStringList& args, RenderOptions& options)
{
    bool hasView = false;
    bool hasSize = false;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        const bool hasValue = i + 1 < args.size();
        if (arg == "--help" || arg == "-h") return 1;
        if (arg == "--student") {
            options.student = true;
        } else if (arg == "--view" && hasValue) {
            if (!ParseView(args[++i], options.view)) return 2;
            hasView = true;
        } else if (arg == "--size" && hasValue) {
            if (!ParseCanvasSize(args[++i], options.width, options.height)) return 2;
            hasSize = true;
        } else if (arg == "--out" && hasValue) {
            options.out = args[++i];
        } else if (arg.startsWith('-') && arg.size() > 1) {
            return 2;
        } else if (options.path.isEmpty()) {
            options.path = arg;
        } else if (options.learnerPath.isEmpty()) {
            options.learnerPath = arg;
        } else {
            return 2;
        }
    }
    if (!IsCanvasFileName(options.out)) return 2;
    // The compare view takes both phrases, the others one.
    if (options.learnerPath.isEmpty() != (options.view != View::Compare)) return 2;
    return options.path.isEmpty() || !hasView || !hasSize ? 2 : 0;
}

QColor BackColorOf(View view, bool student)
{
    switch (view) {
    case View::Pitch:
        return student ? StudentPitchBackColor : NativePitchBackColor;
    case View::Stress:
        return student ? StudentStressBackColor : NativeStressBackColor;
    case View::Signal:
        break;
    case View::Compare:
        return CompareBackColor;
    }
    return student ? StudentSignalBackColor : NativeSignalBackColor;
}

// What one view is drawn from: a phrase, or for the compare view the
// comparison of two.
struct RenderSource
{
    const LoadedPhrase& speaker;
    const Comparison* comparison = nullptr;
};

void DrawView(Canvas& canvas, const RenderSource& source, View view, QColor back)
{
    const LoadedPhrase& speaker = source.speaker;
    switch (view) {
    case View::Pitch:
        DrawPitch(canvas, speaker.Phrase, -1, -1, speaker.Pitch, ViewForeColor, back);
        break;
    case View::Stress:
        DrawStress(canvas, speaker.Phrase, back, StandardLevelBounds, StandardLevelBoundCount);
        break;
    case View::Signal:
        DrawSignal(canvas, speaker.Phrase, speaker.Samples, ViewForeColor, back);
        break;
    case View::Compare:
        DrawCompare(canvas, *source.comparison);
        break;
    }
}

} // namespace

int RenderCommand(const QStringList& args, ToolStreams io)
{
    RenderOptions options;
    switch (ParseRenderOptions(args, options)) {
    case 1:
        io.out << RenderUsage;
        return 0;
    case 2:
        io.err << RenderUsage;
        return 2;
    default:
        break;
    }

    LoadedPhrase speaker;
    speaker.Phrase.WaveFile = options.path;
    // The comparison reads both phrases without their text, as a learner's
    // file need not have one.
    const bool skipText = options.student || options.view == View::Compare;
    const int32_t result =
        ReadPhraseFile(speaker.Loaded, speaker.Phrase, speaker.Format, speaker.Samples,
                       speaker.Memory, speaker.Pitch, 0, skipText ? 1 : 0);
    if (result != PhraseFileOk) {
        io.err << "result " << result << "\n";
        return 1;
    }
    TrimPitchWindows(speaker.Phrase, speaker.Pitch);

    LoadedPhrase learner;
    Comparison comparison;
    if (options.view == View::Compare) {
        const int32_t learnerResult = learner.Read(options.learnerPath, 1);
        if (learnerResult != PhraseFileOk) {
            io.err << "result " << learnerResult << "\n";
            return 1;
        }
        TrimPitchWindows(learner.Phrase, learner.Pitch);
        comparison = ComparePhrases(speaker, learner, ReadSyllables(options.path));
        if (!comparison.Problem.isEmpty()) {
            io.err << "tvtool render: " << comparison.Problem.toStdString() << "\n";
            return 1;
        }
    }

    // The picture box starts from its background, as after the screen
    // cleared it on loading the phrase.
    const QColor back = BackColorOf(options.view, options.student);
    const auto draw = [&](Canvas& canvas) {
        DrawView(canvas, RenderSource{speaker, &comparison}, options.view, back);
    };
    if (!WriteCanvasFile(options.out, options.width, options.height, back, draw)) {
        io.err << "tvtool render: cannot write " << options.out.toStdString() << "\n";
        return 1;
    }
    return 0;
}
