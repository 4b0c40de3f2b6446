// tvtool history: the learner's practice history for teachers and for the
// learner's own records. export and stats only read the database; forget
// deletes one phrase's takes.
#include "history/PracticeHistory.h"
#include "history/ScoreChart.h"
#include "tool/Commands.h"
#include "views/CanvasOutput.h"

#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

#include <algorithm>

namespace {

const char* HistoryUsage =
    "usage: tvtool history export [--db FILE] [--csv|--json]\n"
    "       tvtool history stats [--db FILE]\n"
    "       tvtool history chart PACK CATEGORY STEM --size WxH --out OUT.svg|OUT.png [--db FILE]\n"
    "       tvtool history forget PACK CATEGORY STEM [--db FILE]\n"
    "FILE is the history database (default: $TONVALE_HISTORY/history.sqlite, else\n"
    "~/.local/share/tonvale-tutor/history/history.sqlite under $XDG_DATA_HOME when set).\n"
    "export  prints every kept take, by pack, category, stem and time: CSV with a header\n"
    "        line (the default) or, with --json, a JSON array of one object per take.\n"
    "        Columns and keys: content_pack, category_code, stem, phrase_text,\n"
    "        recorded_utc, duration_ms, analysis, score, stress_match, ending_match, file.\n"
    "stats   prints one tab-separated line per category after a header line:\n"
    "        content_pack category_code phrases attempts good kept scored mean_score\n"
    "        best_score\n"
    "chart   draws the score chart of one phrase's takes, as SVG or PNG.\n"
    "forget  deletes one phrase's takes, their sound files and its attempt counts;\n"
    "        exits 1 when the history holds no such phrase.\n"
    "Exits 0 when done, 1 when the history cannot be read or written, 2 on a wrong call.\n";

struct HistoryCall
{
    QString action;
    QString database;
    QStringList words; // PACK CATEGORY STEM
    bool json = false;
    bool csv = false;
    QString out;
    int width = 0;
    int height = 0;
};

// 0: call read; 1: help asked for; 2: wrong call, with the reason in why.
int ParseHistoryCall(const QStringList& args, HistoryCall& call, QString& why)
{
    auto wrong = [&why](const QString& reason) {
        why = reason;
        return 2;
    };
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        const bool hasValue = i + 1 < args.size();
        if (arg == "--help" || arg == "-h") return 1;
        if (arg == "--db" && hasValue)
            call.database = args[++i];
        else if (arg == "--json")
            call.json = true;
        else if (arg == "--csv")
            call.csv = true;
        else if (arg == "--out" && hasValue)
            call.out = args[++i];
        else if (arg == "--size" && hasValue) {
            if (!ParseCanvasSize(args[++i], call.width, call.height))
                return wrong(
                    QString("--size takes WIDTHxHEIGHT, each from 1 to %1 pixels, not '%2'")
                        .arg(MaxCanvasSide)
                        .arg(args[i]));
        } else if (arg == "--db" || arg == "--out" || arg == "--size")
            return wrong(arg + " needs a value");
        else if (arg.startsWith('-') && arg.size() > 1)
            return wrong("unknown option " + arg);
        else if (call.action.isEmpty())
            call.action = arg;
        else
            call.words.append(arg);
    }
    if (call.database.isEmpty()) call.database = DefaultHistoryDatabase();
    const bool exports = call.action == "export";
    const bool charts = call.action == "chart";
    const bool phrase = charts || call.action == "forget";
    if (!exports && call.action != "stats" && !phrase)
        return wrong(call.action.isEmpty()
                         ? QString("no action named (export, stats, chart or forget)")
                         : "no action is called '" + call.action + "'");
    if (!exports && (call.json || call.csv)) return wrong("--csv and --json are for export");
    if (call.json && call.csv) return wrong("--csv or --json, not both");
    if (!charts && (!call.out.isEmpty() || call.width != 0))
        return wrong("--size and --out are for chart");
    if (!phrase) return call.words.isEmpty() ? 0 : wrong("unexpected word " + call.words.first());
    if (call.words.size() != 3)
        return wrong(call.action + " needs the phrase's PACK CATEGORY STEM, three words");
    if (charts && call.width == 0) return wrong("--size is missing");
    if (charts && !IsCanvasFileName(call.out))
        return wrong(call.out.isEmpty() ? QString("--out is missing")
                                        : "--out must name an .svg or a .png file");
    return 0;
}

QString CsvField(const QString& text)
{
    if (!text.contains(QRegularExpression("[\",\r\n]"))) return text;
    return '"' + QString(text).replace('"', "\"\"") + '"';
}

QString UtcText(const QDateTime& time)
{
    return time.toUTC().toString(Qt::ISODateWithMs);
}

QString OptionalText(const std::optional<int>& value)
{
    return value ? QString::number(*value) : QString();
}

QString OptionalText(const std::optional<bool>& value)
{
    return value ? QString(*value ? "true" : "false") : QString();
}

QJsonValue OptionalJson(const std::optional<int>& value)
{
    return value ? QJsonValue(*value) : QJsonValue(QJsonValue::Null);
}

QJsonValue OptionalJson(const std::optional<bool>& value)
{
    return value ? QJsonValue(*value) : QJsonValue(QJsonValue::Null);
}

void PrintCsv(const std::vector<ExportedTake>& takes, std::ostream& out)
{
    out << "content_pack,category_code,stem,phrase_text,recorded_utc,duration_ms,analysis,score,"
           "stress_match,ending_match,file\n";
    for (const ExportedTake& row : takes) {
        const StoredTake& take = row.Take;
        const QStringList fields = {row.Key.ContentPack,
                                    row.Key.CategoryCode,
                                    row.Key.Stem,
                                    row.PhraseText,
                                    UtcText(take.RecordedAt),
                                    QString::number(take.DurationMs),
                                    take.Analysis,
                                    OptionalText(take.Marks.Score),
                                    OptionalText(take.Marks.StressMatch),
                                    OptionalText(take.Marks.EndingMatch),
                                    take.File};
        QStringList quoted;
        for (const QString& field : fields)
            quoted.append(CsvField(field));
        out << quoted.join(',').toStdString() << "\n";
    }
}

// One object a line, so a long export stays readable and greppable.
void PrintJson(const std::vector<ExportedTake>& takes, std::ostream& out)
{
    out << "[";
    const char* separator = "\n";
    for (const ExportedTake& row : takes) {
        const StoredTake& take = row.Take;
        const QJsonObject object{{"content_pack", row.Key.ContentPack},
                                 {"category_code", row.Key.CategoryCode},
                                 {"stem", row.Key.Stem},
                                 {"phrase_text", row.PhraseText},
                                 {"recorded_utc", UtcText(take.RecordedAt)},
                                 {"duration_ms", take.DurationMs},
                                 {"analysis", take.Analysis},
                                 {"score", OptionalJson(take.Marks.Score)},
                                 {"stress_match", OptionalJson(take.Marks.StressMatch)},
                                 {"ending_match", OptionalJson(take.Marks.EndingMatch)},
                                 {"file", take.File}};
        out << separator << QJsonDocument(object).toJson(QJsonDocument::Compact).toStdString();
        separator = ",\n";
    }
    out << "\n]\n";
}

void PrintStats(const std::vector<CategoryProgress>& categories, std::ostream& out)
{
    out << "content_pack\tcategory_code\tphrases\tattempts\tgood\tkept\tscored\tmean_score\t"
           "best_score\n";
    for (const CategoryProgress& category : categories) {
        const QString mean =
            category.MeanScore ? QString::number(*category.MeanScore, 'f', 1) : QString();
        const QStringList fields = {category.ContentPack,
                                    category.CategoryCode,
                                    QString::number(category.PhrasesPractised),
                                    QString::number(category.Attempts),
                                    QString::number(category.GoodAttempts),
                                    QString::number(category.TakesKept),
                                    QString::number(category.TakesScored),
                                    mean,
                                    OptionalText(category.BestScore)};
        out << fields.join('\t').toStdString() << "\n";
    }
}

int RunHistoryCall(const HistoryCall& call, PracticeHistory& history, ToolStreams io)
{
    const PhraseKey key = call.words.size() == 3
                              ? PhraseKey{call.words[0], call.words[1], call.words[2]}
                              : PhraseKey{};
    // A mistyped key would chart or forget nothing: say so rather than let
    // the caller believe the phrase has no scores or that its takes are gone.
    const auto unknownPhrase = [&](int32_t& result) {
        std::vector<PhraseProgress> phrases;
        result = history.PhrasesOfCategory(key.ContentPack, key.CategoryCode, phrases);
        if (result != HistoryOk ||
            std::any_of(phrases.begin(), phrases.end(),
                        [&key](const PhraseProgress& p) { return p.Key.Stem == key.Stem; }))
            return false;
        io.err << "tvtool history: no phrase " << key.ContentPack.toStdString() << " "
               << key.CategoryCode.toStdString() << " " << key.Stem.toStdString()
               << " in the history " << call.database.toStdString() << "\n";
        return true;
    };
    int32_t result = HistoryOk;
    if (call.action == "export") {
        std::vector<ExportedTake> takes;
        result = history.AllTakes(takes);
        if (result == HistoryOk) call.json ? PrintJson(takes, io.out) : PrintCsv(takes, io.out);
    } else if (call.action == "stats") {
        std::vector<CategoryProgress> categories;
        result = history.Categories(categories);
        if (result == HistoryOk) PrintStats(categories, io.out);
    } else if (call.action == "chart") {
        if (unknownPhrase(result)) return 1;
        std::vector<StoredTake> takes;
        if (result == HistoryOk) result = history.TakesOf(key, takes);
        const ScoreChartColours colours;
        const auto draw = [&](Canvas& canvas) { DrawScoreChart(canvas, takes, colours); };
        if (result == HistoryOk &&
            !WriteCanvasFile(call.out, call.width, call.height, colours.Back, draw)) {
            io.err << "tvtool history: cannot write " << call.out.toStdString() << "\n";
            return 1;
        }
    } else {
        if (unknownPhrase(result)) return 1;
        if (result == HistoryOk) result = history.ForgetPhrase(key);
    }
    if (result != HistoryOk) {
        io.err << "tvtool history: " << history.LastProblem().toStdString() << "\n";
        return 1;
    }
    return 0;
}

} // namespace

int HistoryCommand(const QStringList& args, ToolStreams io)
{
    HistoryCall call;
    QString why;
    if (const int status =
            AnswerUsageRequest(ParseHistoryCall(args, call, why), HistoryUsage, "history", why, io);
        status >= 0)
        return status;
    PracticeHistory history(call.database);
    // Reading never creates, migrates or writes anything; forgetting must
    // not create a history where there was none.
    const bool forgets = call.action == "forget";
    if (forgets && !QFileInfo::exists(call.database)) {
        io.err << "tvtool history: no practice history at " << call.database.toStdString() << "\n";
        return 1;
    }
    if (history.Open(forgets ? HistoryAccess::Write : HistoryAccess::Read) != HistoryOk) {
        io.err << "tvtool history: " << history.LastProblem().toStdString() << "\n";
        return 1;
    }
    return RunHistoryCall(call, history, io);
}
