#include "compare/ComparisonJson.h"

#include <charconv>
#include <cmath>
#include <cstdio>

std::string FormatFigure(double value, int decimals)
{
    if (!std::isfinite(value)) value = 0;
    // Always a point: the figures are read by programs, and printf would
    // write the decimal comma of the user's locale, which Qt puts in force.
    char text[400];
    const std::to_chars_result written =
        std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, decimals);
    std::string result(text, written.ec == std::errc() ? written.ptr : text);
    if (result.empty()) return "0";
    if (result.find('.') != std::string::npos) {
        while (result.back() == '0')
            result.pop_back();
        if (result.back() == '.') result.pop_back();
    }
    return result == "-0" ? "0" : result;
}

namespace {

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
    std::string out = "{\"median_hz\": " + FormatFigure(speaker.Contour.MedianHz, 1) +
                      ", \"stressed_step\": " + std::to_string(speaker.StressedStep + 1) +
                      ", \"rhythm\": " + FormatFigure(speaker.Rhythm, 1) + ", \"steps\": [";
    for (size_t i = 0; i < speaker.Steps.size(); ++i) {
        const StepProsody& step = speaker.Steps[i];
        out += (i > 0 ? ", " : "") + std::string("{\"step\": ") + std::to_string(i + 1) +
               ", \"start_s\": " + FormatFigure(step.StartSeconds, 3) +
               ", \"end_s\": " + FormatFigure(step.EndSeconds, 3) +
               ", \"voiced\": " + Bool(step.Voiced) +
               ", \"pitch_st\": " + FormatFigure(step.Pitch, 2) +
               ", \"pitch_peak_st\": " + FormatFigure(step.PitchPeak, 2) +
               ", \"peak_s\": " + FormatFigure(step.PeakSeconds, 3) +
               ", \"voiced_share\": " + FormatFigure(step.VoicedShare, 3) +
               ", \"loudness_db\": " + FormatFigure(step.LoudnessDb, 1) +
               ", \"bar\": " + FormatFigure(step.Bar, 3) +
               ", \"prominence\": " + FormatFigure(step.Prominence, 3) + "}";
    }
    return out + "]}";
}

} // namespace

std::string ComparisonJson(const Comparison& c)
{
    std::string out = "{\"stress\": {\"native_step\": " + std::to_string(c.ModelStress) +
                      ", \"student_step\": " + std::to_string(c.LearnerStress) +
                      ", \"match\": " + Bool(c.StressMatch) +
                      ", \"offset\": " + FormatFigure(c.StressOffset, 2) +
                      ", \"pattern\": " + FormatFigure(c.StressPattern, 2) + "}";
    out += ", \"ending\": {\"native\": \"" + std::string(EndingName(c.ModelEnding.Kind)) +
           "\", \"student\": \"" + EndingName(c.LearnerEnding.Kind) +
           "\", \"match\": " + Bool(c.EndingMatch) +
           ", \"native_st\": " + FormatFigure(c.ModelEnding.Semitones, 2) +
           ", \"student_st\": " + FormatFigure(c.LearnerEnding.Semitones, 2) + "}";
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
               ", \"pitch_st\": " + FormatFigure(step.PitchSemitones, 2) +
               ", \"duration_ratio\": " + FormatFigure(step.DurationRatio, 2) +
               ", \"prominence\": " + FormatFigure(step.Prominence, 2) + "}";
    }
    out += "], \"advice\": [";
    for (qsizetype i = 0; i < c.Advice.size(); ++i)
        out += (i > 0 ? ", " : "") + JsonString(c.Advice[i]);
    out += "], \"rhythm\": {\"native\": " + FormatFigure(c.ModelRhythm, 1) +
           ", \"student\": " + FormatFigure(c.LearnerRhythm, 1) + "}";
    out += ", \"native\": " + SpeakerJson(c.Model) + ", \"student\": " + SpeakerJson(c.Learner);
    return out + "}\n";
}
