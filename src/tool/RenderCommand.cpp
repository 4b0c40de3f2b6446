// tvtool render: one view of a phrase sound file, drawn as the exercise
// screen draws it after loading the phrase, into an SVG (one element per
// drawing call) or a PNG (the same pixels as the picture box).
#include "audio/LoadedPhrase.h"
#include "audio/PhraseFile.h"
#include "compare/PhraseComparison.h"
#include "compare/Syllables.h"
#include "tool/Commands.h"
#include "views/CanvasOutput.h"
#include "views/PhraseForDisplay.h"
#include "views/ViewColours.h"
#include "views/ViewKinds.h"

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

struct RenderOptions
{
    QString path;
    QString learnerPath; // the compare view's second file
    ViewKind view = ViewKind::Pitch;
    int width = 0;
    int height = 0;
    QString out;
    bool student = false;
};

bool ParseView(const QString& text, ViewKind& view)
{
    const ViewKindEntry* entry = ViewKindNamed(text);
    if (entry) view = entry->Kind;
    return entry != nullptr;
}

// 0: options read; 1: help asked for; 2: wrong call, with the reason in why.
int ParseRenderOptions(const QStringList& args, RenderOptions& options, QString& why)
{
    auto wrong = [&why](const QString& reason) {
        why = reason;
        return 2;
    };
    bool hasView = false;
    bool hasSize = false;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        const bool hasValue = i + 1 < args.size();
        if (arg == "--help" || arg == "-h") return 1;
        if (arg == "--student") {
            options.student = true;
        } else if (arg == "--view" && hasValue) {
            if (!ParseView(args[++i], options.view)) {
                QStringList names;
                for (const ViewKindEntry& entry : ViewKinds())
                    names << entry.Name;
                return wrong(QString("no view is called '%1' (%2)").arg(args[i], names.join(", ")));
            }
            hasView = true;
        } else if (arg == "--size" && hasValue) {
            if (!ParseCanvasSize(args[++i], options.width, options.height))
                return wrong(
                    QString("--size takes WIDTHxHEIGHT, each from 1 to %1 pixels, not '%2'")
                        .arg(MaxCanvasSide)
                        .arg(args[i]));
            hasSize = true;
        } else if (arg == "--out" && hasValue) {
            options.out = args[++i];
        } else if (arg == "--view" || arg == "--size" || arg == "--out") {
            return wrong(arg + " needs a value");
        } else if (arg.startsWith('-') && arg.size() > 1) {
            return wrong("unknown option " + arg);
        } else if (options.path.isEmpty()) {
            options.path = arg;
        } else if (options.learnerPath.isEmpty()) {
            options.learnerPath = arg;
        } else {
            return wrong("too many files: " + arg);
        }
    }
    if (options.path.isEmpty()) return wrong("no phrase sound file named");
    if (!hasView) return wrong("--view is missing");
    if (!hasSize) return wrong("--size is missing");
    if (!IsCanvasFileName(options.out))
        return wrong(options.out.isEmpty() ? QString("--out is missing")
                                           : "--out must name an .svg or a .png file");
    // A view of a pair of phrases takes both, the others one.
    if (options.learnerPath.isEmpty() != ViewKindOf(options.view).InSpeakerRow)
        return wrong(options.learnerPath.isEmpty()
                         ? QString("the compare view needs the model's file and the learner's")
                         : "the " + QString(ViewKindOf(options.view).Name) +
                               " view draws one file");
    return 0;
}

} // namespace

int RenderCommand(const QStringList& args, ToolStreams io)
{
    RenderOptions options;
    QString why;
    if (const int status = AnswerUsageRequest(ParseRenderOptions(args, options, why), RenderUsage,
                                              "render", why, io);
        status >= 0)
        return status;

    // A pair view reads both phrases without their text, as a learner's
    // file need not have one.
    const bool pair = !ViewKindOf(options.view).InSpeakerRow;
    const PhraseReading reading{.ReadText = !options.student && !pair};
    LoadedPhrase speaker;
    const int32_t result = LoadPhraseForDisplay(speaker, options.path, reading);
    if (result != PhraseFileOk) {
        io.err << "result " << result << "\n";
        return 1;
    }

    LoadedPhrase learner;
    Comparison comparison;
    if (pair) {
        const int32_t learnerResult = LoadPhraseForDisplay(learner, options.learnerPath, reading);
        if (learnerResult != PhraseFileOk) {
            io.err << "result " << learnerResult << "\n";
            return 1;
        }
        comparison = ComparePhrases(speaker, learner, ReadSyllables(options.path));
        if (!comparison.Problem.isEmpty()) {
            io.err << "tvtool render: " << comparison.Problem.toStdString() << "\n";
            return 1;
        }
    }

    // The picture box starts from its background, as after the screen
    // cleared it on loading the phrase.
    const QColor back =
        ViewBackColor(options.view, options.student ? Speaker::Student : Speaker::Native);
    const ViewInput input{speaker, pair ? &comparison : nullptr};
    const auto draw = [&](Canvas& canvas) {
        DrawView(canvas, options.view, input, ViewForeColor, back);
    };
    if (!WriteCanvasFile(options.out, options.width, options.height, back, draw)) {
        io.err << "tvtool render: cannot write " << options.out.toStdString() << "\n";
        return 1;
    }
    return 0;
}
