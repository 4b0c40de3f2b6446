// tvtool compare: a learner's analysed phrase against the model's, as the
// tutor compares them, for a person or (with --json) for other programs.
#include "audio/LoadedPhrase.h"
#include "compare/ComparisonJson.h"
#include "compare/PhraseComparison.h"
#include "compare/Syllables.h"
#include "tool/Commands.h"
#include "views/PhraseForDisplay.h"

#include <QFile>

#include <cmath>
#include <cstdio>
#include <string>

namespace {

const char* CompareUsage =
    "usage: tvtool compare MODEL.wav LEARNER.wav [--json]\n"
    "Compares the learner's analysed phrase sound file with the model's, both read and\n"
    "trimmed as the exercise screen reads them, and prints the advice for the learner\n"
    "and the figures behind it. With --json it prints one JSON object instead:\n"
    "  {\"stress\": {\"native_step\": 2, \"student_step\": 1, \"match\": false},\n"
    "   \"ending\": {\"native\": \"fall\", \"student\": \"rise\", \"match\": false, ...},\n"
    "   \"score\": 63, \"alignment\": [[1, 1], [2, 2], [3, 2]],\n"
    "   \"steps\": [{\"native_step\": 1, \"student_step\": 1, \"pitch_st\": -0.8,\n"
    "              \"duration_ratio\": 1.1, \"prominence\": -0.05}, ...],\n"
    "   \"advice\": [\"The model stresses the 2nd beat; you stressed the 1st.\"], ...}\n"
    "Steps are numbered from 1; endings are \"rise\", \"fall\" or \"level\"; the score\n"
    "runs from 0 to 100. Exits 1 with a message when a file cannot be read or has no\n"
    "steps or no voiced pitch, 2 for a wrong call.\n";

void PrintForPerson(const Comparison& c, std::ostream& out)
{
    for (const QString& sentence : c.Advice)
        out << sentence.toStdString() << "\n";
    out << "\nscore " << c.Score << " of 100\n";
    out << "stress   model step " << c.ModelStress << ", learner step " << c.LearnerStress
        << (c.StressMatch ? " (the same)\n" : " (different)\n");
    out << "ending   model " << EndingName(c.ModelEnding.Kind) << " ("
        << FormatFigure(c.ModelEnding.Semitones, 1) << " st), learner "
        << EndingName(c.LearnerEnding.Kind) << " (" << FormatFigure(c.LearnerEnding.Semitones, 1)
        << " st)" << (c.EndingMatch ? " (the same)\n" : " (different)\n");
    out << "rhythm   model " << FormatFigure(c.ModelRhythm, 0) << ", learner "
        << FormatFigure(c.LearnerRhythm, 0) << " (pairwise variability of step lengths)\n";
    out << "steps    model learner  pitch st  length ratio  bar difference\n";
    for (const StepComparison& step : c.Steps) {
        char line[96];
        std::snprintf(line, sizeof line, "         %5d %7d  %8s  %12s  %14s\n", step.ModelStep,
                      step.LearnerStep, FormatFigure(step.PitchSemitones, 1).c_str(),
                      FormatFigure(step.DurationRatio, 2).c_str(),
                      FormatFigure(step.Prominence, 2).c_str());
        out << line;
    }
}

// Reads and trims one phrase as the exercise screen does; the text chunk
// is not needed, so a learner's file without one reads as well.
bool ReadForComparison(const QString& path, LoadedPhrase& speaker, std::ostream& err)
{
    const int32_t result = LoadPhraseForDisplay(speaker, path, {.ReadText = false});
    if (result != PhraseFileOk) {
        err << "tvtool compare: " << QFile::encodeName(path).toStdString()
            << ": cannot be read as a phrase sound file (result " << result << ")\n";
        return false;
    }
    return true;
}

} // namespace

int CompareCommand(const QStringList& args, ToolStreams io)
{
    QStringList paths;
    bool json = false;
    for (const QString& arg : args) {
        if (arg == "--help" || arg == "-h") {
            io.out << CompareUsage;
            return 0;
        }
        if (arg == "--json")
            json = true;
        else if (arg.startsWith('-') && arg.size() > 1)
            paths << QString(); // an unknown option: a wrong call
        else
            paths << arg;
    }
    if (paths.size() != 2 || paths.contains(QString())) {
        io.err << CompareUsage;
        return 2;
    }
    LoadedPhrase model;
    LoadedPhrase learner;
    if (!ReadForComparison(paths[0], model, io.err) ||
        !ReadForComparison(paths[1], learner, io.err))
        return 1;
    const Comparison comparison = ComparePhrases(model, learner, ReadSyllables(paths[0]));
    if (!comparison.Problem.isEmpty()) {
        io.err << "tvtool compare: " << comparison.Problem.toStdString() << "\n";
        return 1;
    }
    if (json)
        io.out << ComparisonJson(comparison);
    else
        PrintForPerson(comparison, io.out);
    return 0;
}
