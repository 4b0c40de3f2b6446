// tvtool compare as other programs use it: the JSON object's keys and
// values, the advice naming syllables, and the exit status.
#include "compare/SpokenPhrase.h"
#include "compare/Syllables.h"
#include "support/ToolRun.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

#include <gtest/gtest.h>

using namespace testbytes;

namespace {

// The model stresses its first step and falls at the end; the learner
// stresses the second, louder, and rises.
SpokenPhrase Model()
{
    return Speak({{0.25, 210, 220}, {0.3, 180, 130}});
}

SpokenPhrase Learner()
{
    return Speak({{0.25, 150, 150, 0.1}, {0.3, 190, 260, 0.4}}, 0.6);
}

QJsonObject CompareAsJson(const QString& model, const QString& learner)
{
    const ToolRun run = RunTvtool({"compare", model, learner, "--json"});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(run.out, &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << run.out.toStdString();
    return document.object();
}

} // namespace

TEST(TvtoolCompare, JsonGivesStressEndingScoreAlignmentStepsAndAdvice)
{
    Scratch scratch;
    const QString model = scratch.Write(Model().FileBytes(), "model.wav");
    const QString learner = scratch.Write(Learner().FileBytes(), "learner.wav");
    const QJsonObject json = CompareAsJson(model, learner);

    const QJsonObject stress = json["stress"].toObject();
    EXPECT_EQ(stress["native_step"].toInt(), 1);
    EXPECT_EQ(stress["student_step"].toInt(), 2);
    EXPECT_TRUE(stress["match"].isBool());
    EXPECT_FALSE(stress["match"].toBool());

    const QJsonObject ending = json["ending"].toObject();
    EXPECT_EQ(ending["native"].toString(), "fall");
    EXPECT_EQ(ending["student"].toString(), "rise");
    EXPECT_FALSE(ending["match"].toBool());

    ASSERT_TRUE(json["score"].isDouble());
    EXPECT_GE(json["score"].toDouble(), 0);
    EXPECT_LT(json["score"].toDouble(), 50);

    EXPECT_EQ(json["alignment"].toArray(), (QJsonArray{QJsonArray{1, 1}, QJsonArray{2, 2}}));
    const QJsonArray steps = json["steps"].toArray();
    ASSERT_EQ(steps.size(), 2);
    for (const QJsonValue& value : steps) {
        const QJsonObject step = value.toObject();
        for (const char* key :
             {"native_step", "student_step", "pitch_st", "duration_ratio", "prominence"})
            EXPECT_TRUE(step[key].isDouble()) << key;
    }
    EXPECT_EQ(steps[1].toObject()["student_step"].toInt(), 2);

    const QJsonArray advice = json["advice"].toArray();
    ASSERT_GE(advice.size(), 2);
    ASSERT_LE(advice.size(), 3);
    EXPECT_EQ(advice[0].toString(), "The model stresses the 1st beat; you stressed the 2nd.");
    EXPECT_EQ(advice[1].toString(), "The model's voice falls at the end; yours rises.");
}

TEST(TvtoolCompare, AdviceNamesTheModelsSyllablesAndTheSameProsodyScoresHigh)
{
    const SpokenPhrase model = Model();
    SyllableList syllables = ParseSyllableSpelling("RE|cord");
    syllables[0].Start = model.Phrase.Steps[1].Start;
    syllables[1].Start = model.Phrase.Steps[2].Start;
    Scratch scratch;
    const QString modelPath = scratch.Write(
        model.FileBytes("record", Chunk("syl ", SyllableChunkData(syllables))), "model.wav");
    const QJsonObject differing =
        CompareAsJson(modelPath, scratch.Write(Learner().FileBytes(), "learner.wav"));
    EXPECT_EQ(differing["advice"].toArray()[0].toString(),
              "The model stresses RE; you stressed CORD.");

    // The same melody a fifth lower, slower, after a longer silence.
    const SpokenPhrase same = Speak({{0.35, 140, 147}, {0.4, 120, 87}}, 0.8);
    const QJsonObject agreeing =
        CompareAsJson(modelPath, scratch.Write(same.FileBytes(), "same.wav"));
    EXPECT_TRUE(agreeing["stress"].toObject()["match"].toBool());
    EXPECT_TRUE(agreeing["ending"].toObject()["match"].toBool());
    EXPECT_GT(agreeing["score"].toDouble(), differing["score"].toDouble() + 30);
    EXPECT_EQ(agreeing["advice"].toArray()[0].toString(), "You stress RE, as the model does.");
}

TEST(TvtoolCompare, UnreadableFilesAndWrongCallsFailWithTheirStatus)
{
    Scratch scratch;
    const QString model = scratch.Write(Model().FileBytes(), "model.wav");
    SpokenPhrase silent = Learner();
    for (PitchPoint& point : silent.Pitch)
        point.Value = 0;
    const QString unvoiced = scratch.Write(silent.FileBytes(), "unvoiced.wav");

    const ToolRun missing = RunTvtool({"compare", model, scratch.Path("none.wav")});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_TRUE(missing.err.contains("none.wav")) << missing.err.toStdString();
    EXPECT_TRUE(missing.out.isEmpty());
    const ToolRun noPitch = RunTvtool({"compare", model, unvoiced, "--json"});
    EXPECT_EQ(noPitch.exitCode, 1);
    EXPECT_TRUE(noPitch.err.contains("no voiced pitch")) << noPitch.err.toStdString();
    EXPECT_TRUE(noPitch.out.isEmpty());

    EXPECT_EQ(RunTvtool({"compare", model}).exitCode, 2);
    EXPECT_EQ(RunTvtool({"compare", model, model, "--jsn"}).exitCode, 2);
    EXPECT_EQ(RunTvtool({"compare", model, model}).exitCode, 0);
}

// Qt puts the user's locale in force: figures must keep their decimal point
// where the locale writes a comma, or the JSON no longer parses.
TEST(TvtoolCompare, FiguresAreTheSameInALocaleWithADecimalComma)
{
    Scratch scratch;
    const QString locales = scratch.Path("locales");
    QDir().mkpath(locales);
    QProcess define;
    define.start("localedef", {"-i", "de_DE", "-f", "UTF-8", locales + "/de_DE.UTF-8"});
    if (!define.waitForFinished(60000) || define.exitStatus() != QProcess::NormalExit ||
        define.exitCode() > 1 || !QFile::exists(locales + "/de_DE.UTF-8"))
        GTEST_SKIP() << "cannot build a German locale here (localedef)";

    const QString model = scratch.Write(Model().FileBytes(), "model.wav");
    const QString learner = scratch.Write(Learner().FileBytes(), "learner.wav");
    for (const QStringList& args : {QStringList{"compare", model, learner, "--json"},
                                    QStringList{"compare", model, learner}}) {
        const ToolRun plain = RunTvtool(args);
        ASSERT_EQ(plain.exitCode, 0);
        ASSERT_TRUE(plain.out.contains('.'));
        QProcess german;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("LOCPATH", locales);
        environment.insert("LC_ALL", "de_DE.UTF-8");
        german.setProcessEnvironment(environment);
        german.start(TONVALE_BINARY_DIR "/src/tvtool", args);
        ASSERT_TRUE(german.waitForFinished(60000));
        EXPECT_EQ(german.readAllStandardOutput(), plain.out) << args.join(' ').toStdString();
    }
}
