// A learner who uses only the keyboard: from the lesson tree to a real
// phrase with Return, Return; the list's highlighted row is the row Return
// opens; Tab in reading order; Esc one level up, never out of the tutor.
#include "app/CommonVar.h"
#include "exercise/Stress.h"
#include "navigation/Sentences.h"
#include "navigation/TreeNode.h"
#include "platform/HelpWindow.h"
#include "support/ExerciseFixture.h"

#include <QApplication>
#include <QTest>

namespace {

class KeyboardRoute : public ExerciseFixture
{
protected:
    TreeNode* OpenTree()
    {
        ReadLessonTree();
        CurrentNode = 0;
        PreviousNode = -1;
        auto* tree = new TreeNode();
        tree->show();
        tree->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(tree));
        return tree;
    }

    template <typename Screen> static Screen* Active(const char* name)
    {
        auto* screen = qobject_cast<Screen*>(VisibleScreen(name));
        if (screen) {
            screen->activateWindow();
            EXPECT_TRUE(QTest::qWaitForWindowActive(screen));
        }
        return screen;
    }

    static void Press(Qt::Key key)
    {
        QWidget* focus = QApplication::focusWidget();
        ASSERT_NE(focus, nullptr);
        QTest::keyClick(focus, key);
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    // The row drawn as current is the selected one, the one Return opens.
    static void ExpectCurrentRowIsSelected(NavigationList* list)
    {
        EXPECT_GE(list->SelectedPosition(), 0);
        EXPECT_EQ(list->currentRow(), list->SelectedPosition());
    }
};

} // namespace

TEST_F(KeyboardRoute, ReturnReturnFromTheTreeReachesARealPhrase)
{
    WriteFile("content/Sounds/SentList.txt", SamplePhrases + "10_02.wav;Good morning.\r\n");
    WriteFile("content/Sounds/10_02.wav", testbytes::PhraseChunks{}.File());
    TreeNode* tree = OpenTree();
    EXPECT_EQ(QApplication::focusWidget(), tree->ListOfNodes) << "the tree starts in its list";
    ExpectCurrentRowIsSelected(tree->ListOfNodes);
    Press(Qt::Key_Return); // the first lesson: Intro, a category

    auto* phrases = Active<Sentences>("Sentences");
    ASSERT_NE(phrases, nullptr);
    EXPECT_EQ(QApplication::focusWidget(), phrases->ListOfPhrases);
    ExpectCurrentRowIsSelected(phrases->ListOfPhrases);
    Press(Qt::Key_Return);

    ASSERT_NE(VisibleScreen("Stress"), nullptr);
    EXPECT_EQ(CurrentPhrase, 1);
    EXPECT_TRUE(NativeLoaded);
    EXPECT_EQ(PhraseList[CurrentPhrase].PhraseText, "Hello there.");
}

TEST_F(KeyboardRoute, TheSelectionStaysWhereTheListShowsIt)
{
    TreeNode* tree = OpenTree();
    NavigationList* list = tree->ListOfNodes;
    Press(Qt::Key_Down);
    EXPECT_EQ(list->SelectedPosition(), 1);
    // A click below the last row, and a Ctrl-click on the selected row,
    // leave row 1 chosen and drawn as current.
    const QPoint below(10, list->viewport()->height() - 3);
    ASSERT_FALSE(list->indexAt(below).isValid());
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, below);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::ControlModifier,
                      list->visualItemRect(list->item(1)).center());
    EXPECT_EQ(list->SelectedPosition(), 1);
    ExpectCurrentRowIsSelected(list);
}

TEST_F(KeyboardRoute, TabFollowsReadingOrderAndEscGoesUpOneLevel)
{
    TreeNode* tree = OpenTree();
    QStringList order;
    for (int i = 0; i < 3; ++i) {
        order << QApplication::focusWidget()->objectName();
        Press(Qt::Key_Tab);
    }
    EXPECT_EQ(order, (QStringList{"ListOfNodes", "HelpButton", "ExitButton"}));

    // Esc on the top level does nothing: only Exit ends the tutor.
    Press(Qt::Key_Escape);
    EXPECT_TRUE(tree->isVisible());
    EXPECT_EQ(endCount, 0);

    tree->ListOfNodes->setFocus();
    tree->ListOfNodes->SelectPosition(1);
    Press(Qt::Key_Return); // Stress, a topic
    EXPECT_EQ(CurrentNode, 2);
    ExpectCurrentRowIsSelected(tree->ListOfNodes); // its first child shows chosen
    Press(Qt::Key_Return); // Words, a category
    auto* phrases = Active<Sentences>("Sentences");
    ASSERT_NE(phrases, nullptr);
    Press(Qt::Key_Escape); // back to the tree, Words still chosen
    auto* back = Active<TreeNode>("TreeNode");
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(CurrentNode, 2);
    EXPECT_EQ(back->ListOfNodes->SelectedPosition(), 0);
    Press(Qt::Key_Escape); // up to the top level
    EXPECT_EQ(CurrentNode, 0);
    EXPECT_EQ(back->ListOfNodes->SelectedPosition(), 1);
    EXPECT_EQ(endCount, 0);
}

TEST_F(KeyboardRoute, EmptyCategoryOpensNoPlaceholderExercise)
{
    WriteFile("content/Sounds/SentList.txt", "99_01.wav;Elsewhere\r\n");
    TreeNode* tree = OpenTree();
    Press(Qt::Key_Return);
    auto* phrases = Active<Sentences>("Sentences");
    ASSERT_NE(phrases, nullptr);
    EXPECT_EQ(phrases->ListOfPhrases->count(), 0);
    Press(Qt::Key_Return);
    EXPECT_EQ(VisibleScreen("Stress"), nullptr);
    EXPECT_TRUE(phrases->isVisible());
    Q_UNUSED(tree);
}

TEST_F(KeyboardRoute, F1GivesTheHelpTheKeyboardAndEscGivesItBack)
{
    TreeNode* tree = OpenTree();
    Press(Qt::Key_F1);
    HelpWindow& help = HelpWindow::Instance();
    EXPECT_TRUE(help.isVisible());
    ASSERT_TRUE(QTest::qWaitForWindowActive(&help));
    EXPECT_EQ(QApplication::focusWidget(), &help);
    QTest::keyClick(&help, Qt::Key_Escape);
    EXPECT_FALSE(help.isVisible());
    ASSERT_TRUE(QTest::qWaitForWindowActive(tree));
    EXPECT_EQ(QApplication::focusWidget(), tree->ListOfNodes);
}
