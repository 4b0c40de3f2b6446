// tvtool compare: a learner's analysed phrase against the model's, as the
// tutor compares them, for a person or (with --json) for other programs.
#include "audio/LoadedPhrase.h"
#include "compare/PhraseComparison.h"
#include "compare/Syllables.h"
#include "tool/Commands.h"
#include "views/PitchProcessing.h"

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

std::string Number(double value, int decimals)
{
    if (!std::isfinite(value)) value = 0;
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    std::string result = text;
    if (result.find('.') != std::string::npos) {
        while (result.back() == '0')
            result.pop_back();
        if (result.back() == '.') result.pop_back();
    }
    return result == "-0" ? "0" : result;
}

std::string JsonString(const QString& text)
{
    std::string out = "\"";
    for (const char c : text.toUtf8().toStdString()) {
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (static_cast<unsigned char>(c) < 0x20) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
                out += escaped;
            } else {
                out += c;
            }
        }
    }
    return out + "\"";
}

const char* Bool(bool value)
{
    return value ? "true" : "false";
}

// The figures of one speaker's steps, beyond the keys other tools rely on.
std::string SpeakerJson(const SpeakerProsody& speaker)
{
    std::string out = "{\"median_hz\": " + Number(speaker.Contour.MedianHz, 1) +
                      ", \"stressed_step\": " + std::to_string(speaker.StressedStep + 1) +
                      ", \"rhythm\": " + Number(speaker.Rhythm, 1) + ", \"steps\": [";
    for (size_t i = 0; i < speaker.Steps.size(); ++i) {
        const StepProsody& step = speaker.Steps[i];
        out += (i > 0 ? ", " : "") + std::string("{\"step\": ") + std::to_string(i + 1) +
               ", \"start_s\": " + Number(step.StartSeconds, 3) +
               ", \"end_s\": " + Number(step.EndSeconds, 3) + ", \"voiced\": " + Bool(step.Voiced) +
               ", \"pitch_st\": " + Number(step.Pitch, 2) +
               ", \"pitch_peak_st\": " + Number(step.PitchPeak, 2) +
               ", \"peak_s\": " + Number(step.PeakSeconds, 3) +
               ", \"voiced_share\": " + Number(step.VoicedShare, 3) +
               ", \"loudness_db\": " + Number(step.LoudnessDb, 1) +
               ", \"bar\": " + Number(step.Bar, 3) +
               ", \"prominence\": " + Number(step.Prominence, 3) + "}";
    }
    return out + "]}";
}

std::string ComparisonJson(const Comparison& c)
{
    std::string out = "{\"stress\": {\"native_step\": " + std::to_string(c.ModelStress) +
                      ", \"student_step\": " + std::to_string(c.LearnerStress) +
                      ", \"match\": " + Bool(c.StressMatch) +
                      ", \"offset\": " + Number(c.StressOffset, 2) +
                      ", \"pattern\": " + Number(c.StressPattern, 2) + "}";
    out += ", \"ending\": {\"native\": \"" + std::string(EndingName(c.ModelEnding.Kind)) +
           "\", \"student\": \"" + EndingName(c.LearnerEnding.Kind) +
           "\", \"match\": " + Bool(c.EndingMatch) +
           ", \"native_st\": " + Number(c.ModelEnding.Semitones, 2) +
           ", \"student_st\": " + Number(c.LearnerEnding.Semitones, 2) + "}";
    out += ", \"score\": " + std::to_string(c.Score);
    out += ", \"alignment\": [";
    for (size_t i = 0; i < c.Alignment.size(); ++i)
        out += (i > 0 ? ", [" : "[") + std::to_string(c.Alignment[i].Model) + ", " +
               std::to_string(c.Alignment[i].Learner) + "]";
    out += "], \"steps\": [";
    for (size_t i = 0; i < c.Steps.size(); ++i) {
        const StepComparison& step = c.Steps[i];
        out += (i > 0 ? ", " : "") + std::string("{\"native_step\": ") +
               std::to_string(step.ModelStep) +
               ", \"student_step\": " + std::to_string(step.LearnerStep) +
               ", \"pitch_st\": " + Number(step.PitchSemitones, 2) +
               ", \"duration_ratio\": " + Number(step.DurationRatio, 2) +
               ", \"prominence\": " + Number(step.Prominence, 2) + "}";
    }
    out += "], \"advice\": [";
    for (qsizetype i = 0; i < c.Advice.size(); ++i)
        out += (i > 0 ? ", " : "") + JsonString(c.Advice[i]);
    out += "], \"rhythm\": {\"native\": " + Number(c.ModelRhythm, 1) +
           ", \"student\": " + Number(c.LearnerRhythm, 1) + "}";
    out += ", \"native\": " + SpeakerJson(c.Model) + ", \"student\": " + SpeakerJson(c.Learner);
    return out + "}\n";
}

void PrintForPerson(const Comparison& c, std::ostream& out)
{
    for (const QString& sentence : c.Advice)
        out << sentence.toStdString() << "\n";
    out << "\nscore " << c.Score << " of 100\n";
    out << "stress   model step " << c.ModelStress << ", learner step " << c.LearnerStress
        << (c.StressMatch ? " (the same)\n" : " (different)\n");
    out << "ending   model " << EndingName(c.ModelEnding.Kind) << " ("
        << Number(c.ModelEnding.Semitones, 1) << " st), learner "
        << EndingName(c.LearnerEnding.Kind) << " (" << Number(c.LearnerEnding.Semitones, 1)
        << " st)" << (c.EndingMatch ? " (the same)\n" : " (different)\n");
    out << "rhythm   model " << Number(c.ModelRhythm, 0) << ", learner "
        << Number(c.LearnerRhythm, 0) << " (pairwise variability of step lengths)\n";
    out << "steps    model learner  pitch st  length ratio  bar difference\n";
    for (const StepComparison& step : c.Steps) {
        char line[96];
        std::snprintf(line, sizeof line, "         %5d %7d  %8s  %12s  %14s\n", step.ModelStep,
                      step.LearnerStep, Number(step.PitchSemitones, 1).c_str(),
                      Number(step.DurationRatio, 2).c_str(), Number(step.Prominence, 2).c_str());
        out << line;
    }
}

// Reads and trims one phrase as the exercise screen does; the text chunk
// is not needed, so a learner's file without one reads as well.
bool ReadForComparison(const QString& path, LoadedPhrase& speaker, std::ostream& err)
{
    const int32_t result = speaker.Read(path, 1);
    if (result != PhraseFileOk) {
        err << "tvtool compare: " << QFile::encodeName(path).toStdString()
            << ": cannot be read as a phrase sound file (result " << result << ")\n";
        return false;
    }
    TrimPitchWindows(speaker.Phrase, speaker.Pitch);
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
