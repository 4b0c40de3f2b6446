// tvtool demo-content: builds the demo content pack from the text sources
// in content/demo. Every phrase of SentList.txt is spoken by festival and
// authored into Sounds/<stem>.wav, with the syllables festival spoke (their
// letters, their lexical stress, their times) on the steps they fall in;
// the lesson tree, the phrase list and the help document are copied beside
// them:
//   OUT_DIR/Sounds/Tree.txt, SentList.txt, <code>_<nn>.wav
//   OUT_DIR/Help/TVTutor.hlp
#include "navigation/PhraseList.h"
#include "tool/Commands.h"
#include "tool/PhraseAuthoring.h"
#include "tool/SyllableSpelling.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <vector>

#ifndef TONVALE_DEMO_CONTENT
#define TONVALE_DEMO_CONTENT "content/demo"
#endif

namespace {

struct DemoPhrase
{
    QByteArray Stem;
    QByteArray Text;
};

// The categories spoken by the male voice; the others get the female
// voice. Festival's male diphone voice ends a question high and a statement
// low, its female voice flattens both ends but stresses words more clearly,
// so by default the male voice speaks sentence stress, statements and
// questions, and lists.
const QByteArrayList DefaultMaleCategories = {"12", "14", "16"};

bool SpokenByMaleVoice(const QByteArray& stem, const QByteArrayList& maleCategories)
{
    return maleCategories.contains(stem.left(stem.indexOf('_')));
}

QByteArray SchemeString(const QByteArray& text)
{
    QByteArray quoted = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\') quoted += '\\';
        quoted += c;
    }
    return quoted + "\"";
}

// Writes one line per syllable of an utterance: its place in its word, the
// word, its lexical stress (0 or 1), its start and end in seconds and its
// phones.
const char* SyllableListing = R"((define (tv_syllables utt path)
  (let ((fd (fopen path "w")))
    (mapcar
     (lambda (syl)
       (format fd "%s\t%s\t%s\t%s\t%s\t%s\n"
               (item.feat syl "pos_in_word")
               (item.feat syl "R:SylStructure.parent.name")
               (item.feat syl "stress")
               (item.feat syl "syllable_start")
               (item.feat syl "syllable_end")
               (apply string-append
                      (mapcar (lambda (seg) (string-append (item.name seg) " "))
                              (item.relation.daughters syl 'SylStructure)))))
     (utt.relation.items utt 'Syllable))
    (fclose fd)))
)";

// One festival run speaks every phrase: starting festival and loading a
// voice takes longer than speaking a phrase.
bool Synthesise(const std::vector<DemoPhrase>& phrases, const QByteArrayList& maleCategories,
                const QString& folder, std::string& problem)
{
    QByteArray script = SyllableListing;
    for (size_t i = 0; i < phrases.size(); ++i) {
        script += SpokenByMaleVoice(phrases[i].Stem, maleCategories)
                      ? "(voice_kal_diphone)\n"
                      : "(voice_cmu_us_slt_arctic_hts)\n";
        script += "(set! utt (SynthText " + SchemeString(phrases[i].Text) + "))\n";
        script += "(utt.save.wave utt " +
                  SchemeString(QFile::encodeName(folder + QString("/%1.wav").arg(i))) + " 'riff)\n";
        script += "(tv_syllables utt " +
                  SchemeString(QFile::encodeName(folder + QString("/%1.syl").arg(i))) + ")\n";
    }
    const QString scriptPath = folder + "/speak.scm";
    QFile file(scriptPath);
    if (!file.open(QIODevice::WriteOnly) || file.write(script) != script.size()) {
        problem = "cannot write the festival script";
        return false;
    }
    file.close();
    QProcess festival;
    festival.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    festival.start("festival", {"--batch", scriptPath});
    if (!festival.waitForStarted(10000)) {
        problem = "cannot start festival (Debian packages festival, festvox-us-slt-hts and "
                  "festvox-kallpc16k)";
        return false;
    }
    festival.closeWriteChannel();
    if (!festival.waitForFinished(600000) || festival.exitStatus() != QProcess::NormalExit ||
        festival.exitCode() != 0) {
        problem = "festival failed";
        return false;
    }
    return true;
}

// The syllables of one spoken phrase, spelled: festival's listing read
// word by word. A listing that cannot be read gives none; the phrase is
// then authored without syllables.
std::vector<TimedSyllable> ReadSpokenSyllables(const QString& path)
{
    struct Spoken
    {
        QString word;
        bool stressed;
        double middle;
        QStringList phones;
    };
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    std::vector<std::vector<Spoken>> words;
    for (const QByteArray& line : file.readAll().split('\n')) {
        const QList<QByteArray> fields = line.split('\t');
        if (fields.size() != 6) continue;
        const Spoken syllable{QString::fromUtf8(fields[1]), fields[2].trimmed() != "0",
                              (fields[3].toDouble() + fields[4].toDouble()) / 2,
                              QString::fromUtf8(fields[5]).split(' ', Qt::SkipEmptyParts)};
        if (fields[0].trimmed() == "0" || words.empty()) words.emplace_back();
        words.back().push_back(syllable);
    }
    std::vector<TimedSyllable> syllables;
    for (const std::vector<Spoken>& word : words) {
        std::vector<QStringList> phones;
        for (const Spoken& syllable : word)
            phones.push_back(syllable.phones);
        const std::vector<QString> pieces = SpellSyllables(word.front().word, phones);
        for (size_t k = 0; k < word.size() && k < pieces.size(); ++k) {
            if (!pieces[k].isEmpty())
                syllables.push_back({pieces[k], word[k].stressed, word[k].middle, k == 0});
        }
    }
    return syllables;
}

bool CopyReplacing(const QString& from, const QString& to)
{
    QFile::remove(to);
    return QFile::copy(from, to);
}

} // namespace

int DemoContentCommand(const QStringList& args, ToolStreams io)
{
    const char* usage =
        "usage: tvtool demo-content OUT_DIR [--from CONTENT_DIR] [--male-voice CODES]\n"
        "Builds the demo content pack in OUT_DIR from CONTENT_DIR (default: content/demo\n"
        "of the source tree): every phrase of SentList.txt is spoken with festival and\n"
        "authored into OUT_DIR/Sounds/<stem>.wav; Tree.txt and SentList.txt are copied\n"
        "into OUT_DIR/Sounds and Help/TVTutor.hlp into OUT_DIR/Help. The categories in\n"
        "CODES (comma-separated, default 12,14,16) are spoken by festival's male voice\n"
        "(kal_diphone), the others by its female voice (cmu_us_slt_arctic_hts).\n";
    if (args.contains("--help") || args.contains("-h")) {
        io.out << usage;
        return 0;
    }
    QString source = QStringLiteral(TONVALE_DEMO_CONTENT);
    QByteArrayList maleCategories = DefaultMaleCategories;
    QStringList rest;
    for (qsizetype i = 0; i < args.size(); ++i) {
        if (args[i] == "--from" && i + 1 < args.size())
            source = args[++i];
        else if (args[i] == "--male-voice" && i + 1 < args.size())
            maleCategories = args[++i].toUtf8().split(',');
        else
            rest << args[i];
    }
    if (rest.size() != 1) {
        io.err << usage;
        return 2;
    }
    const QString out = rest[0];
    QFile list(source + "/SentList.txt");
    if (!list.open(QIODevice::ReadOnly)) {
        io.err << "tvtool demo-content: cannot read "
               << QFile::encodeName(list.fileName()).toStdString() << "\n";
        return 1;
    }
    std::vector<PhraseEntry> entries;
    SelectPhrases(list.readAll(), QByteArray(), QByteArray(), entries);
    std::vector<DemoPhrase> phrases;
    for (size_t i = 1; i < entries.size(); ++i) {
        if (!entries[i].FileStem.isEmpty())
            phrases.push_back({entries[i].FileStem, entries[i].PhraseText});
    }
    if (!QDir().mkpath(out + "/Sounds") || !QDir().mkpath(out + "/Help")) {
        io.err << "tvtool demo-content: cannot create " << QFile::encodeName(out).toStdString()
               << "\n";
        return 1;
    }
    QTemporaryDir work;
    std::string problem;
    if (!work.isValid() || !Synthesise(phrases, maleCategories, work.path(), problem)) {
        io.err << "tvtool demo-content: " << (problem.empty() ? "no scratch folder" : problem)
               << "\n";
        return 1;
    }
    int failures = 0;
    for (size_t i = 0; i < phrases.size(); ++i) {
        const QString target = out + "/Sounds/" + QFile::decodeName(phrases[i].Stem) + ".wav";
        AuthoringSyllables syllables;
        syllables.Timed = ReadSpokenSyllables(work.path() + QString("/%1.syl").arg(i));
        const AuthoringResult result = AuthorPhraseFile(work.path() + QString("/%1.wav").arg(i),
                                                        target, phrases[i].Text, syllables);
        if (!result.Written) {
            io.err << "tvtool demo-content: " << phrases[i].Stem.toStdString() << ": "
                   << result.Problem << "\n";
            ++failures;
        }
    }
    const bool copied = CopyReplacing(source + "/Tree.txt", out + "/Sounds/Tree.txt") &&
                        CopyReplacing(source + "/SentList.txt", out + "/Sounds/SentList.txt") &&
                        CopyReplacing(source + "/Help/TVTutor.hlp", out + "/Help/TVTutor.hlp");
    if (!copied) {
        io.err << "tvtool demo-content: cannot copy the text sources from "
               << QFile::encodeName(source).toStdString() << "\n";
        return 1;
    }
    io.out << "demo-content: " << phrases.size() - failures << " of " << phrases.size()
           << " phrases in " << QFile::encodeName(out).toStdString() << "/Sounds\n";
    return failures == 0 ? 0 : 1;
}
