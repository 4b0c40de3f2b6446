#include "engine/AnalysisCycle.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class ResultFile : public ::testing::Test
{
protected:
    QString Write(const QByteArray& bytes)
    {
        const QString path = dir.filePath(QString("Student%1.rsl").arg(++count));
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path;
    }
    QTemporaryDir dir;
    int count = 0;
};

} // namespace

TEST(AnalyserCall, CommandLinePadsTheWaveFieldAndArgumentsKeepPathsWhole)
{
    const QString line = AnalyserCommandLine("/opt/my tutor/Bin/TVM", "/d/Student.wav");
    EXPECT_EQ(line, "/opt/my tutor/Bin/TVM /d/Student.wav" + QString(128 - 14, ' ') + " Melod");
    EXPECT_EQ(AnalyserArguments("/home/a b/Data/Student.wav   "),
              (QStringList{"/home/a b/Data/Student.wav", "Melod"}));
}

TEST_F(ResultFile, GoodIsTheFirstItemExactly)
{
    EXPECT_TRUE(ResultFileSaysGood(Write("Good\r\n")));
    EXPECT_TRUE(ResultFileSaysGood(Write("Good")));
    EXPECT_TRUE(ResultFileSaysGood(Write("Good,steps 7\n")));
    EXPECT_TRUE(ResultFileSaysGood(Write("  \"Good\"\n")));
    EXPECT_FALSE(ResultFileSaysGood(Write("good\n")));
    EXPECT_FALSE(ResultFileSaysGood(Write("Goodness\n")));
    EXPECT_FALSE(ResultFileSaysGood(Write("Not Good,too quiet\n")));
    EXPECT_FALSE(ResultFileSaysGood(Write("")));
    EXPECT_FALSE(ResultFileSaysGood(Write("\nGood\n")));
    EXPECT_FALSE(ResultFileSaysGood(dir.filePath("missing.rsl")));
}

TEST_F(ResultFile, ReasonFollowsTheComma)
{
    EXPECT_EQ(ResultFileReason(Write("Not Good,too quiet\n")), "too quiet");
    EXPECT_EQ(ResultFileReason(Write("Good\n")), "");
}

TEST(AnalysisTimeLimit, ClockCountsFromItsStart)
{
    AnalysisClock clock;
    EXPECT_FALSE(clock.IsStarted());
    EXPECT_EQ(clock.ElapsedSeconds(), 0.0);
    clock.Start();
    EXPECT_GE(clock.ElapsedSeconds(), 0.0);
    EXPECT_LT(clock.ElapsedSeconds(), 5.0);
}
