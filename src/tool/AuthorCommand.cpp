// tvtool author: a plain recording becomes a native speaker's phrase sound
// file, analysed as the analyser program analyses a student's recording.
#include "authoring/PhraseAuthoring.h"
#include "tool/Commands.h"

#include <QFile>

#include <iomanip>

int AuthorCommand(const QStringList& args, ToolStreams io)
{
    const char* usage =
        "usage: tvtool author IN OUT.wav --text \"phrase\" [--syllables \"re|CORD\"]\n"
        "Reads the recording IN (WAV, FLAC or Ogg), mixes it down to mono, resamples it\n"
        "to 22050 Hz and writes OUT.wav as a phrase sound file with the phrase text, the\n"
        "steps and the pitch track the analyser finds. Exits 1 with a message when the\n"
        "recording cannot be read or its analysis is not good; OUT.wav is then untouched.\n"
        "--syllables  the phrase's syllables, one per step, split by '|' or blanks; a\n"
        "             stressed one in capitals (or after an apostrophe: 'i). They are kept\n"
        "             in the file so that the learner's advice can name them; the command\n"
        "             says when they are not as many as the steps found.\n";
    if (args.contains("--help") || args.contains("-h")) {
        io.out << usage;
        return 0;
    }
    QStringList paths;
    QByteArray text;
    bool hasText = false;
    AuthoringSyllables syllables;
    for (qsizetype i = 0; i < args.size(); ++i) {
        if (args[i] == "--text" && i + 1 < args.size()) {
            text = args[++i].toUtf8();
            hasText = true;
        } else if (args[i] == "--syllables" && i + 1 < args.size()) {
            syllables.Spelled = ParseSyllableSpelling(args[++i]);
            if (syllables.Spelled.empty()) {
                io.err << usage;
                return 2;
            }
        } else {
            paths << args[i];
        }
    }
    if (paths.size() != 2 || !hasText) {
        io.err << usage;
        return 2;
    }
    // The phrase list holds one phrase a line; the studio refuses the same.
    if (text.contains('\n') || text.contains('\r')) {
        io.err << "tvtool author: the phrase text must fit on one line\n";
        return 2;
    }
    const AuthoringResult result = AuthorPhraseFile(paths[0], paths[1], text, syllables);
    if (!result.Written) {
        io.err << "tvtool author: " << QFile::encodeName(paths[0]).toStdString() << ": "
               << result.Problem << "\n";
        return 1;
    }
    io.out << QFile::encodeName(paths[1]).toStdString() << ": " << std::fixed
           << std::setprecision(2) << result.Seconds << " s, " << result.Steps << " steps, "
           << result.VoicedPoints << " voiced pitch points\n";
    if (!syllables.Spelled.empty() && result.NamedSteps != result.Steps)
        io.err << "tvtool author: warning: " << syllables.Spelled.size() << " syllables for "
               << result.Steps
               << " steps: the advice will name the steps by their place, not by syllable\n";
    return 0;
}
