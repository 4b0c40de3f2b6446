// The History window on a history of its own: the takes newest first with
// their marks, the chart, the take a button acts on, and a forgetting that
// asks first.
#include "exercise/HistoryPanel.h"
#include "../history/HistoryTestSupport.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <algorithm>

namespace {

struct PanelScene
{
    QTemporaryDir dir;
    PracticeHistory history{dir.filePath("history/history.sqlite")};
    PhraseKey key{"demo-pack", "14", "14_02"};
    QDateTime start = QDateTime(QDate(2025, 3, 4), QTime(10, 0), Qt::UTC);

    PanelScene()
    {
        const QString wave = WriteTakeWave(dir.path());
        history.Open();
        NewTake first = GoodTake(key, wave, 40, start);
        first.Marks.StressMatch = false;
        first.Marks.EndingMatch = true;
        history.RecordTake(first);
        history.RecordTake(GoodTake(key, wave, std::nullopt, start.addDays(1)));
        NewTake latest = GoodTake(key, wave, 85, start.addDays(2));
        latest.Marks.StressMatch = true;
        latest.Marks.EndingMatch = true;
        history.RecordTake(latest);
    }
};

} // namespace

TEST(HistoryPanel, ListsTakesNewestFirstWithScoresMarksAndTheChart)
{
    PanelScene scene;
    HistoryPanel panel(nullptr);
    panel.ShowPhrase(&scene.history, scene.key, "Are you coming tomorrow?");
    panel.show();

    ASSERT_EQ(panel.TakeList->topLevelItemCount(), 3);
    const QTreeWidgetItem* newest = panel.TakeList->topLevelItem(0);
    const QTreeWidgetItem* oldest = panel.TakeList->topLevelItem(2);
    EXPECT_EQ(newest->text(HistoryPanel::ScoreColumn), "85");
    EXPECT_TRUE(newest->text(HistoryPanel::StressColumn).contains("same"));
    EXPECT_EQ(oldest->text(HistoryPanel::ScoreColumn), "40");
    EXPECT_TRUE(oldest->text(HistoryPanel::StressColumn).contains("differs"));
    EXPECT_TRUE(oldest->text(HistoryPanel::EndingColumn).contains("same"));
    EXPECT_EQ(panel.TakeList->topLevelItem(1)->text(HistoryPanel::StressColumn), "–");
    EXPECT_EQ(oldest->text(HistoryPanel::DateColumn), HistoryPanel::TakeDate(panel.Takes()[2]));
    EXPECT_LT(panel.Takes()[2].RecordedAt, panel.Takes()[0].RecordedAt);
    // A screen reader hears the whole row, marks in words.
    EXPECT_TRUE(oldest->data(0, Qt::AccessibleTextRole)
                    .toString()
                    .contains("stress unlike the native speaker's"));

    // The chart has two scored points on its background.
    const QImage chart = panel.ScoreChart->Picture();
    int drawn = 0;
    for (int y = 0; y < chart.height(); ++y)
        for (int x = 0; x < chart.width(); ++x)
            drawn +=
                (chart.pixel(x, y) & 0xFFFFFF) != (panel.ScoreChart->BackColor().rgb() & 0xFFFFFF);
    EXPECT_GT(drawn, 50);
}

TEST(HistoryPanel, PlayAndShowActOnTheChosenTake)
{
    PanelScene scene;
    HistoryPanel panel(nullptr);
    panel.ShowPhrase(&scene.history, scene.key, "Are you coming tomorrow?");
    QSignalSpy played(&panel, &HistoryPanel::PlayRequested);
    QSignalSpy shown(&panel, &HistoryPanel::ShowRequested);

    panel.SelectRow(2);
    panel.ShowButton->click();
    panel.PlayButton->click();
    ASSERT_EQ(shown.count(), 1);
    ASSERT_EQ(played.count(), 1);
    EXPECT_EQ(shown[0][0].value<StoredTake>().Id, panel.Takes()[2].Id);
    EXPECT_EQ(played[0][0].value<StoredTake>().File, panel.Takes()[2].File);
}

TEST(HistoryPanel, ForgettingAsksFirstThenDeletesThePhrasesTakes)
{
    PanelScene scene;
    HistoryPanel panel(nullptr);
    panel.ShowPhrase(&scene.history, scene.key, "Are you coming tomorrow?");
    const QString file = panel.Takes()[0].File;
    QSignalSpy forgotten(&panel, &HistoryPanel::Forgotten);

    panel.ForgetButton->click();
    EXPECT_EQ(panel.TakeList->topLevelItemCount(), 3) << "the first press only asks";
    EXPECT_TRUE(QFile::exists(file));
    panel.ForgetButton->click();
    EXPECT_EQ(panel.TakeList->topLevelItemCount(), 0);
    EXPECT_FALSE(QFile::exists(file));
    EXPECT_EQ(forgotten.count(), 1);
    EXPECT_FALSE(panel.PlayButton->isEnabled());
    EXPECT_FALSE(panel.ForgetButton->isEnabled());
}

TEST(HistoryPanel, APhraseOfRefusedTakesOnlyCanBeForgottenToo)
{
    PanelScene scene;
    const PhraseKey refusedOnly{"demo-pack", "14", "14_05"};
    NewTake refused = GoodTake(refusedOnly, QString(), std::nullopt);
    refused.Good = false;
    refused.Analysis = "Not Good,too quiet";
    ASSERT_EQ(scene.history.RecordTake(refused), HistoryOk);
    ASSERT_EQ(scene.history.RecordTake(refused), HistoryOk);
    HistoryPanel panel(nullptr);
    panel.ShowPhrase(&scene.history, refusedOnly, "Where is the station?");

    EXPECT_EQ(panel.TakeList->topLevelItemCount(), 0);
    EXPECT_TRUE(panel.StatusLabel->text().contains("2 attempts"))
        << panel.StatusLabel->text().toStdString();
    ASSERT_TRUE(panel.ForgetButton->isEnabled());
    panel.ForgetButton->click();
    panel.ForgetButton->click();
    std::vector<PhraseProgress> phrases;
    ASSERT_EQ(scene.history.PhrasesOfCategory("demo-pack", "14", phrases), HistoryOk);
    ASSERT_EQ(phrases.size(), 1u);
    EXPECT_EQ(phrases[0].Key, scene.key) << "the other phrase keeps its takes";
    EXPECT_FALSE(panel.ForgetButton->isEnabled());
}

TEST(HistoryPanel, WithoutAHistoryItSaysWhyAndOffersNothing)
{
    HistoryPanel panel(nullptr);
    panel.ShowPhrase(nullptr, PhraseKey{"p", "1", "1_01"}, "Hello", HistoryNotice(HistoryDamaged));
    EXPECT_EQ(panel.TakeList->topLevelItemCount(), 0);
    EXPECT_EQ(panel.StatusLabel->text(), HistoryNotice(HistoryDamaged));
    EXPECT_FALSE(panel.ShowButton->isEnabled());
    EXPECT_FALSE(panel.ForgetButton->isEnabled());
}

TEST(HistoryPanel, HAndEscCloseItWhileTheTakeListHasTheFocus)
{
    PanelScene scene;
    HistoryPanel panel(nullptr);
    panel.ShowPhrase(&scene.history, scene.key, "Are you coming tomorrow?");
    for (const Qt::Key key : {Qt::Key_H, Qt::Key_Escape}) {
        panel.show();
        panel.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&panel));
        panel.TakeList->setFocus();
        QTest::keyClick(panel.TakeList, key);
        EXPECT_FALSE(panel.isVisible()) << QKeySequence(key).toString().toStdString();
    }
}

TEST(HistoryPanel, AltFTwiceForgetsAsTwoPressesDo)
{
    PanelScene scene;
    HistoryPanel panel(nullptr);
    panel.ShowPhrase(&scene.history, scene.key, "Are you coming tomorrow?");
    QSignalSpy forgotten(&panel, &HistoryPanel::Forgotten);
    panel.show();
    panel.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&panel));
    panel.TakeList->setFocus();
    // A mnemonic presses its button as a click does, a moment later.
    QTest::keyClick(panel.TakeList, Qt::Key_F, Qt::AltModifier);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !panel.StatusLabel->text().isEmpty(); }));
    EXPECT_EQ(panel.TakeList->topLevelItemCount(), 3) << "the first press only asks";
    QTest::keyClick(panel.TakeList, Qt::Key_F, Qt::AltModifier);
    EXPECT_TRUE(QTest::qWaitFor([&] { return forgotten.count() == 1; }));
    EXPECT_EQ(panel.TakeList->topLevelItemCount(), 0);
}

namespace {

// The exercise screen at its own size as a window manager frames it at
// `origin`: the views at the left, the column of buttons at the right, the
// options above the views and the History and Compare buttons at the foot.
struct ExerciseScene
{
    QRect Frame;
    QRect NativeViews;
    std::vector<QRect> Buttons;

    explicit ExerciseScene(QPoint origin)
    {
        const QPoint inner = origin + QPoint(1, 30);
        Frame = QRect(origin, QSize(542, 509));
        NativeViews = QRect(inner + QPoint(8, 112), QSize(433, 129));
        for (const int top : {8, 40, 72, 120, 200, 256, 336})
            Buttons.emplace_back(inner + QPoint(456, top), QSize(74, 27));
        Buttons.emplace_back(inner + QPoint(10, 420), QSize(90, 26));
    }
};

bool CoversAButton(const QRect& place, const std::vector<QRect>& buttons)
{
    return std::any_of(buttons.begin(), buttons.end(),
                       [&](const QRect& b) { return place.intersects(b); });
}

} // namespace

TEST(HistoryWindowPlacement, BesideTheExerciseWhereThereIsRoomElseOffEveryButton)
{
    const QSize size(460, 470);
    const QSize smallest(300, 280);
    const QRect wide(0, 0, 1920, 1050);
    const ExerciseScene centred({400, 200});
    EXPECT_EQ(HistoryWindowPlace(wide, centred.Frame, centred.NativeViews, centred.Buttons, size,
                                 smallest),
              QRect(centred.Frame.right() + 9, 200, 460, 470));

    for (const QRect screen : {QRect(0, 0, 1024, 738), QRect(0, 0, 1366, 738)}) {
        for (const QPoint origin : {QPoint(0, 0), QPoint(240, 100), QPoint(480, 200)}) {
            const ExerciseScene exercise(origin);
            const QRect place = HistoryWindowPlace(screen, exercise.Frame, exercise.NativeViews,
                                                   exercise.Buttons, size, smallest);
            const std::string where = QString("%1 wide, the exercise at %2,%3")
                                          .arg(screen.width())
                                          .arg(origin.x())
                                          .arg(origin.y())
                                          .toStdString();
            EXPECT_TRUE(screen.contains(place)) << where;
            EXPECT_FALSE(CoversAButton(place, exercise.Buttons)) << where;
            EXPECT_GE(place.width(), smallest.width()) << where;
            EXPECT_GE(place.height(), smallest.height()) << where;
        }
    }
}
