// tvtool author: a plain recording becomes a native speaker's phrase sound
// file, analysed as the analyser program analyses a student's recording.
#include "tool/Commands.h"
#include "tool/PhraseAuthoring.h"

#include <QFile>

#include <iomanip>

int AuthorCommand(const QStringList& args, ToolStreams io)
{
    const char* usage =
        "usage: tvtool author IN OUT.wav --text \"phrase\"\n"
        "Reads the recording IN (WAV, FLAC or Ogg), mixes it down to mono, resamples it\n"
        "to 22050 Hz and writes OUT.wav as a phrase sound file with the phrase text, the\n"
        "steps and the pitch track the analyser finds. Exits 1 with a message when the\n"
        "recording cannot be read or its analysis is not good; OUT.wav is then untouched.\n";
    if (args.contains("--help") || args.contains("-h")) {
        io.out << usage;
        return 0;
    }
    QStringList paths;
    QByteArray text;
    bool hasText = false;
    for (qsizetype i = 0; i < args.size(); ++i) {
        if (args[i] == "--text" && i + 1 < args.size()) {
            text = args[++i].toUtf8();
            hasText = true;
        } else {
            paths << args[i];
        }
    }
    if (paths.size() != 2 || !hasText) {
        io.err << usage;
        return 2;
    }
    const AuthoringResult result = AuthorPhraseFile(paths[0], paths[1], text);
    if (!result.Written) {
        io.err << "tvtool author: " << QFile::encodeName(paths[0]).toStdString() << ": "
               << result.Problem << "\n";
        return 1;
    }
    io.out << QFile::encodeName(paths[1]).toStdString() << ": " << std::fixed
           << std::setprecision(2) << result.Seconds << " s, " << result.Steps << " steps, "
           << result.VoicedPoints << " voiced pitch points\n";
    return 0;
}
