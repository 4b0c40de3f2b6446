// tvtool author: a plain recording becomes a native speaker's phrase sound
// file, analysed as the analyser program analyses a student's recording.
#include "authoring/PhraseAuthoring.h"
#include "content/PhraseList.h"
#include "course/SilenceTrim.h"
#include "tool/Commands.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <iomanip>

int AuthorCommand(const QStringList& args, ToolStreams io)
{
    const char* usage =
        "usage: tvtool author IN OUT.wav --text \"phrase\" [--syllables \"re|CORD\"]\n"
        "                    [--no-trim]\n"
        "Reads the recording IN (WAV, FLAC or Ogg), trims the silence or room noise\n"
        "before and after the phrase to 150 ms as the studio's import does, mixes it\n"
        "down to mono, resamples it to 22050 Hz and writes OUT.wav as a phrase sound\n"
        "file with the phrase text, the steps and the pitch track the analyser finds.\n"
        "Exits 1 with a message when the recording cannot be read or its analysis is\n"
        "not good; OUT.wav is then untouched.\n"
        "--no-trim    keep the recording whole, from its first sample to its last.\n"
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
    bool trim = true;
    for (qsizetype i = 0; i < args.size(); ++i) {
        if (args[i] == "--no-trim") {
            trim = false;
        } else if (args[i] == "--text" && i + 1 < args.size()) {
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
    // A phrase file keeps 200 bytes of text, as the phrase list does; the
    // rest would be dropped without a word.
    if (text.size() > PhraseTextWidth) {
        io.err << "tvtool author: the phrase text is " << text.size() << " bytes (as UTF-8); a "
               << "phrase file keeps " << PhraseTextWidth << "\n";
        return 2;
    }
    // A recorder left running before and after the phrase would otherwise
    // make a phrase of the room, or one the analysis finds too quiet.
    // Where nothing can be trimmed (a silent or unreadable recording) the
    // recording goes to the analysis whole and is judged there.
    QString source = paths[0];
    QTemporaryDir scratch;
    if (trim && scratch.isValid()) {
        const QString trimmed = QDir(scratch.path()).filePath("trimmed.wav");
        if (TrimSilence(paths[0], trimmed).Written) source = trimmed;
    }
    const AuthoringResult result = AuthorPhraseFile(source, paths[1], text, syllables);
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
