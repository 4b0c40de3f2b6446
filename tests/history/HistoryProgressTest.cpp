// What the phrase and tree screens and the tool read from the history: best
// scores per phrase and per category, and the phrases still to master.
#include "history/HistoryTestSupport.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <cmath>

TEST(HistoryProgress, BestAndMeanScoresPerCategoryFindThePhrasesNotYetMastered)
{
    QTemporaryDir dir;
    PracticeHistory history(dir.filePath(HistoryDatabaseName));
    ASSERT_EQ(history.Open(), HistoryOk);
    const QString wave = WriteTakeWave(dir.path());
    const auto record = [&](const PhraseKey& key, std::optional<int> score) {
        ASSERT_EQ(history.RecordTake(GoodTake(key, wave, score)), HistoryOk);
    };
    record({"demo", "14", "14_01"}, 40);
    record({"demo", "14", "14_01"}, 85); // mastered
    record({"demo", "14", "14_02"}, 70);
    record({"demo", "14", "14_03"}, std::nullopt);
    record({"demo", "21", "21_01"}, 30);
    record({"other", "14", "14_01"}, 20);

    std::vector<PhraseProgress> notMastered;
    ASSERT_EQ(history.PhrasesNotMastered("demo", notMastered), HistoryOk);
    std::vector<QString> stems;
    for (const PhraseProgress& phrase : notMastered)
        stems.push_back(phrase.Key.Stem);
    EXPECT_EQ(stems, (std::vector<QString>{"14_03", "21_01", "14_02"}));

    std::vector<CategoryProgress> categories;
    ASSERT_EQ(history.Categories(categories), HistoryOk);
    ASSERT_EQ(categories.size(), 3u);
    const CategoryProgress& category = categories[0];
    EXPECT_EQ(category.ContentPack, "demo");
    EXPECT_EQ(category.CategoryCode, "14");
    EXPECT_EQ(category.PhrasesPractised, 3);
    EXPECT_EQ(category.Attempts, 4);
    EXPECT_EQ(category.TakesKept, 4);
    EXPECT_EQ(category.TakesScored, 3);
    ASSERT_TRUE(category.MeanScore);
    EXPECT_NEAR(*category.MeanScore, (40 + 85 + 70) / 3.0, 1e-9);
    EXPECT_EQ(category.BestScore, 85);
    EXPECT_EQ(categories[2].ContentPack, "other");
}

TEST(ComparisonMarks, ScoreBecomesAWholeNumberInRangeAndNotANumberIsLeftOut)
{
    EXPECT_EQ(MarksFromComparison(62.5, true, false), (TakeMarks{62, true, false}));
    EXPECT_EQ(MarksFromComparison(63.5, false, true).Score, 64);
    EXPECT_EQ(MarksFromComparison(104.2, true, true).Score, 100);
    EXPECT_EQ(MarksFromComparison(-3, true, true).Score, 0);
    EXPECT_EQ(MarksFromComparison(std::nan(""), true, true), (TakeMarks{std::nullopt, true, true}));
}
