#include "authoring/DemoContent.h"

#include "authoring/PhraseAuthoring.h"
#include "authoring/SyllableSpelling.h"
#include "content/PhraseList.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace {

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
                const QString& folder, const FestivalRun& runFestival, std::string& problem)
{
    const QByteArray script = FestivalScript(phrases, maleCategories, folder);
    const QString scriptPath = folder + "/speak.scm";
    QFile file(scriptPath);
    if (!file.open(QIODevice::WriteOnly) || file.write(script) != script.size() || !file.flush()) {
        problem = "cannot write the festival script";
        return false;
    }
    file.close();
    return runFestival(scriptPath, problem);
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

QByteArray FestivalScript(const std::vector<DemoPhrase>& phrases,
                          const QByteArrayList& maleCategories, const QString& folder)
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
    return script;
}

DemoContentOutcome BuildDemoContent(const DemoContentRequest& request,
                                    const FestivalRun& runFestival,
                                    const std::function<void(const std::string&)>& report)
{
    DemoContentOutcome outcome;
    const QString& source = request.Source;
    const QString& out = request.Out;
    QFile list(source + "/SentList.txt");
    if (!list.open(QIODevice::ReadOnly)) {
        report("cannot read " + QFile::encodeName(list.fileName()).toStdString());
        return outcome;
    }
    std::vector<PhraseEntry> entries;
    SelectPhrases(list.readAll(), QByteArray(), QByteArray(), entries);
    std::vector<DemoPhrase> phrases;
    for (size_t i = 1; i < entries.size(); ++i) {
        if (!entries[i].FileStem.isEmpty())
            phrases.push_back({entries[i].FileStem, entries[i].PhraseText});
    }
    if (!QDir().mkpath(out + "/Sounds") || !QDir().mkpath(out + "/Help")) {
        report("cannot create " + QFile::encodeName(out).toStdString());
        return outcome;
    }
    QTemporaryDir work;
    std::string problem;
    if (!work.isValid() ||
        !Synthesise(phrases, request.MaleCategories, work.path(), runFestival, problem)) {
        report(problem.empty() ? "no scratch folder" : problem);
        return outcome;
    }
    outcome.Phrases = int(phrases.size());
    for (size_t i = 0; i < phrases.size(); ++i) {
        const QString target = out + "/Sounds/" + QFile::decodeName(phrases[i].Stem) + ".wav";
        AuthoringSyllables syllables;
        syllables.Timed = ReadSpokenSyllables(work.path() + QString("/%1.syl").arg(i));
        const AuthoringResult result = AuthorPhraseFile(work.path() + QString("/%1.wav").arg(i),
                                                        target, phrases[i].Text, syllables);
        if (result.Written)
            ++outcome.Written;
        else
            report(phrases[i].Stem.toStdString() + ": " + result.Problem);
    }
    const bool copied = CopyReplacing(source + "/Tree.txt", out + "/Sounds/Tree.txt") &&
                        CopyReplacing(source + "/SentList.txt", out + "/Sounds/SentList.txt") &&
                        CopyReplacing(source + "/Help/TVTutor.hlp", out + "/Help/TVTutor.hlp");
    if (!copied) {
        report("cannot copy the text sources from " + QFile::encodeName(source).toStdString());
        return outcome;
    }
    outcome.Finished = true;
    return outcome;
}
