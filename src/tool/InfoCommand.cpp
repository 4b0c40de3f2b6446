// tvtool info: a phrase sound file as the tutor reads it, one item a line,
// so scripts and support can see exactly what a file holds.
#include "audio/LoadedPhrase.h"
#include "audio/PhraseFile.h"
#include "content/ContentText.h"
#include "tool/Commands.h"
#include "views/PhraseForDisplay.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

const char* InfoUsage =
    "usage: tvtool info [--skip-text] [--trim] [--json] FILE\n"
    "Reads the phrase sound file FILE as the tutor does and prints, one item a line:\n"
    "  result 0\n"
    "  format <tag> <channels> <samplesPerSec> <avgBytesPerSec> <blockAlign> <bitsPerSample>\n"
    "  text <phrase text, bytes as stored after decoding>   (not with --skip-text)\n"
    "  phrase <PhraseStart> <PhraseEnd>\n"
    "  steps <StepCount> <MaxHeight> <TotalLength>\n"
    "  step <i> <Start> <Length> <PitchStart> <PitchEnd> <Reserved1> <Reserved2> <Height>\n"
    "  pitch <points>\n"
    "  point <k> <Position> <Value>\n"
    "  samples <bytes in the sample block>\n"
    "and exits 0. When the read fails it prints only 'result <code>' and exits 1.\n"
    "--skip-text  do not look for the text chunk (as the tutor reads a student's file)\n"
    "--trim       trim the steps' pitch windows first, as the exercise screen does\n"
    "--json       the same items as one JSON object\n";

struct InfoOptions
{
    bool skipText = false;
    bool trim = false;
    bool json = false;
    QString path;
};

// 0: options read; 1: help asked for; 2: wrong call.
int ParseInfoOptions(const QStringList& args, InfoOptions& options)
{
    bool onlyFiles = false;
    for (const QString& arg : args) {
        if (!onlyFiles && (arg == "--help" || arg == "-h")) return 1;
        if (!onlyFiles && arg == "--skip-text")
            options.skipText = true;
        else if (!onlyFiles && arg == "--trim")
            options.trim = true;
        else if (!onlyFiles && arg == "--json")
            options.json = true;
        else if (!onlyFiles && arg == "--")
            onlyFiles = true;
        else if (!onlyFiles && arg.startsWith('-') && arg.size() > 1)
            return 2;
        else if (options.path.isEmpty())
            options.path = arg;
        else
            return 2;
    }
    return options.path.isEmpty() ? 2 : 0;
}

using PhraseInfo = LoadedPhrase;

void PrintText(const PhraseInfo& info, const InfoOptions& options, std::ostream& out)
{
    const WaveFormat& f = info.Format;
    out << "result 0\n";
    out << "format " << f.FormatTag << ' ' << f.Channels << ' ' << f.SamplesPerSec << ' '
        << f.AvgBytesPerSec << ' ' << f.BlockAlign << ' ' << f.BitsPerSample << '\n';
    if (!options.skipText) {
        out << "text ";
        out.write(info.Text.constData(), info.Text.size());
        out << '\n';
    }
    const PhraseData& p = info.Phrase;
    out << "phrase " << p.PhraseStart << ' ' << p.PhraseEnd << '\n';
    out << "steps " << p.StepCount << ' ' << p.MaxHeight << ' ' << p.TotalLength << '\n';
    for (int i = 1; i <= p.StepCount; ++i) {
        const StepRecord& s = p.Steps[i];
        out << "step " << i << ' ' << s.Start << ' ' << s.Length << ' ' << s.PitchStart << ' '
            << s.PitchEnd << ' ' << s.Reserved1 << ' ' << s.Reserved2 << ' ' << s.Height << '\n';
    }
    out << "pitch " << info.Pitch.size() << '\n';
    for (size_t k = 0; k < info.Pitch.size(); ++k)
        out << "point " << k << ' ' << info.Pitch[k].Position << ' ' << info.Pitch[k].Value << '\n';
    out << "samples " << info.Samples.BufferLength << '\n';
}

void PrintJson(const PhraseInfo& info, const InfoOptions& options, std::ostream& out)
{
    const WaveFormat& f = info.Format;
    QJsonObject root;
    root["result"] = 0;
    root["format"] = QJsonObject{{"tag", f.FormatTag},
                                 {"channels", f.Channels},
                                 {"samplesPerSec", qint64(f.SamplesPerSec)},
                                 {"avgBytesPerSec", qint64(f.AvgBytesPerSec)},
                                 {"blockAlign", f.BlockAlign},
                                 {"bitsPerSample", f.BitsPerSample}};
    if (!options.skipText) root["text"] = DecodeContentText(info.Text);
    const PhraseData& p = info.Phrase;
    root["phraseStart"] = p.PhraseStart;
    root["phraseEnd"] = p.PhraseEnd;
    root["maxHeight"] = p.MaxHeight;
    root["totalLength"] = p.TotalLength;
    QJsonArray steps;
    for (int i = 1; i <= p.StepCount; ++i) {
        const StepRecord& s = p.Steps[i];
        steps.append(QJsonArray{s.Start, s.Length, s.PitchStart, s.PitchEnd, s.Reserved1,
                                s.Reserved2, s.Height});
    }
    root["steps"] = steps;
    QJsonArray points;
    for (const PitchPoint& point : info.Pitch)
        points.append(QJsonArray{point.Position, point.Value});
    root["pitch"] = points;
    root["samples"] = qint64(info.Samples.BufferLength);
    const QByteArray json = QJsonDocument(root).toJson(QJsonDocument::Compact);
    out.write(json.constData(), json.size());
    out << '\n';
}

} // namespace

int InfoCommand(const QStringList& args, ToolStreams io)
{
    InfoOptions options;
    if (const int status = AnswerUsageRequest(ParseInfoOptions(args, options), InfoUsage, io);
        status >= 0)
        return status;
    PhraseInfo info;
    const int32_t result = LoadPhraseForDisplay(
        info, options.path, {.ReadText = !options.skipText, .TrimPitchWindows = options.trim});
    if (result != PhraseFileOk) {
        if (options.json)
            io.out << "{\"result\":" << result << "}\n";
        else
            io.out << "result " << result << '\n';
        return 1;
    }
    if (options.json)
        PrintJson(info, options, io.out);
    else
        PrintText(info, options, io.out);
    return 0;
}
