#include "app/CommonVar.h"
#include "exercise/Stress.h"
#include "navigation/Sentences.h"
#include "navigation/SharedContent.h"
#include "navigation/TreeNode.h"
#include "support/TutorFixture.h"
#include "widgets/HelpWindow.h"

#include <QDir>
#include <QFile>
#include <QFontMetrics>
#include <QScreen>
#include <QScrollBar>
#include <QTest>

namespace {

class NavigationScreens : public TutorFixture
{
protected:
    TreeNode* OpenTree()
    {
        UseFolders();
        ReadLessonTree();
        CurrentNode = 0;
        PreviousNode = -1;
        auto* tree = new TreeNode();
        tree->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(tree));
        return tree;
    }

    static void DoubleClick(NavigationList* list, int row)
    {
        EXPECT_TRUE(QTest::qWaitForWindowExposed(list->window()));
        list->SelectPosition(row);
        const QRect rect = list->visualItemRect(list->item(row));
        // A double click is a press followed by the double-click event on the same item.
        QTest::mousePress(list->viewport(), Qt::LeftButton, {}, rect.center());
        QTest::mouseRelease(list->viewport(), Qt::LeftButton, {}, rect.center());
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, rect.center());
    }

    static QStringList Items(QListWidget* list)
    {
        QStringList items;
        for (int i = 0; i < list->count(); ++i)
            items << list->item(i)->text();
        return items;
    }
};

} // namespace

TEST_F(NavigationScreens, WalkDownAndBackUpReselectsTheNodeLeft)
{
    TreeNode* tree = OpenTree();
    EXPECT_EQ(Items(tree->ListOfNodes), (QStringList{"Intro", "Stress", "Rhythm"}));
    for (QWidget* control :
         std::initializer_list<QWidget*>{tree->ExitButton, tree->HelpButton, tree->ListOfNodes})
        EXPECT_FALSE(control->accessibleDescription().isEmpty());

    DoubleClick(tree->ListOfNodes, 1);
    EXPECT_EQ(CurrentNode, 2);
    EXPECT_EQ(tree->TreeNodeName->text(), "Stress");
    EXPECT_EQ(Items(tree->ListOfNodes), (QStringList{"Words", "Sentences"}));

    QTest::mouseClick(tree->ExitButton, Qt::LeftButton);
    EXPECT_EQ(CurrentNode, 0);
    EXPECT_EQ(PreviousNode, 2);
    EXPECT_EQ(tree->ListOfNodes->SelectedPosition(), 1);
    EXPECT_EQ(endCount, 0);
}

TEST_F(NavigationScreens, EnterOpensTheSelectedNodeOrTheFirstWithNoSelection)
{
    TreeNode* tree = OpenTree();
    tree->ListOfNodes->setFocus();
    tree->ListOfNodes->SelectPosition(2);
    QTest::keyClick(tree->ListOfNodes, Qt::Key_Return);
    EXPECT_EQ(CurrentNode, 5);

    QTest::mouseClick(tree->ExitButton, Qt::LeftButton);
    tree->ListOfNodes->clearSelection();
    QTest::keyClick(tree->ListOfNodes, Qt::Key_Enter);
    // The first child is a leaf: the phrase screen of its category opens.
    EXPECT_EQ(CategoryCode, "10");
    EXPECT_NE(VisibleScreen("Sentences"), nullptr);
}

TEST_F(NavigationScreens, NodeOneOpensItsHelpTopicClearOfTheLessons)
{
    TreeNode* tree = OpenTree();
    HelpWindow& help = HelpWindow::Instance();
    help.Quit();
    help.move(tree->pos()); // where an earlier opening left it
    DoubleClick(tree->ListOfNodes, 0);
    EXPECT_EQ(CurrentNode, 1);
    EXPECT_TRUE(help.isVisible());
    EXPECT_EQ(help.LastTopicShown(), "100");
    const QRect lessons(tree->ListOfNodes->mapToGlobal(QPoint(0, 0)), tree->ListOfNodes->size());
    EXPECT_FALSE(help.frameGeometry().intersects(lessons));
    EXPECT_TRUE(tree->screen()->availableGeometry().contains(help.frameGeometry()));
    help.Quit();
}

TEST_F(NavigationScreens, LeafListsItsPhrasesInStemOrderAndReturnsToTheLeaf)
{
    TreeNode* tree = OpenTree();
    DoubleClick(tree->ListOfNodes, 1);
    DoubleClick(tree->ListOfNodes, 0); // Words, category 11
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(VisibleScreen("TreeNode"), nullptr);

    auto* phrases = qobject_cast<Sentences*>(VisibleScreen("Sentences"));
    ASSERT_NE(phrases, nullptr);
    EXPECT_EQ(phrases->CategoryName->text(), "Words");
    EXPECT_EQ(Items(phrases->ListOfPhrases), (QStringList{"record", "photograph", "photographer"}));
    EXPECT_EQ(PhraseCount, 3);
    EXPECT_EQ(PhraseList[3].FileStem, (SoundsFolder + "11_10").toUtf8());
    EXPECT_EQ(phrases->ListOfPhrases->HorizontalExtent(), 0);

    QTest::mouseClick(phrases->ExitButton, Qt::LeftButton);
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    auto* back = qobject_cast<TreeNode*>(VisibleScreen("TreeNode"));
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(CurrentNode, 2);
    EXPECT_EQ(PreviousNode, 3);
    EXPECT_EQ(back->ListOfNodes->SelectedPosition(), 0);
    EXPECT_TRUE(back->ListOfNodes->hasFocus() || !back->isActiveWindow());
}

TEST_F(NavigationScreens, PhraseOpensTheExerciseAndComesBack)
{
    TreeNode* tree = OpenTree();
    DoubleClick(tree->ListOfNodes, 1);
    DoubleClick(tree->ListOfNodes, 0);
    auto* phrases = qobject_cast<Sentences*>(VisibleScreen("Sentences"));
    ASSERT_NE(phrases, nullptr);
    phrases->setGeometry(QRect(QPoint(40, 30), phrases->size()));
    DoubleClick(phrases->ListOfPhrases, 2);
    EXPECT_FALSE(phrases->isVisible());
    EXPECT_EQ(FormLeft, 40);
    auto* exercise = qobject_cast<Stress*>(VisibleScreen("Stress"));
    ASSERT_NE(exercise, nullptr);
    EXPECT_EQ(CurrentPhrase, 3);
    exercise->close();
    EXPECT_TRUE(phrases->isVisible());
}

// A category's name is shown as written, even where it looks like markup:
// taken for markup, a name holding <img src=...> had the phrase list read
// whatever file it named, /dev/zero until memory ran out.
TEST_F(NavigationScreens, ACategoryNameThatLooksLikeMarkupIsShownAsWritten)
{
    const QString name = "<b>Words</b>";
    Sentences phrases(name);
    EXPECT_GE(phrases.CategoryName->sizeHint().width(),
              phrases.CategoryName->fontMetrics().horizontalAdvance(name));
}

TEST_F(NavigationScreens, WidePhraseTextsGiveTheListAHorizontalExtent)
{
    WriteFile("content/Sounds/SentList.txt",
              "11_01.wav;" + QByteArray(190, 'W') + "\r\n11_02.wav;short\r\n");
    UseFolders();
    CategoryCode = "11";
    Sentences phrases("Words");
    EXPECT_GT(phrases.ListOfPhrases->HorizontalExtent(), phrases.ListOfPhrases->width());
    // The extent reaches the list itself: it scrolls to the end of the text.
    phrases.show();
    QCoreApplication::processEvents();
    QScrollBar* scroll = phrases.ListOfPhrases->horizontalScrollBar();
    EXPECT_GE(scroll->maximum() + phrases.ListOfPhrases->viewport()->width(),
              phrases.ListOfPhrases->HorizontalExtent());

    // Many characters are not always the widest text: the extent is the
    // measured width of the widest one.
    const QByteArray narrow(400, 'i');
    const QByteArray wide(150, 'W');
    WriteFile("content/Sounds/SentList.txt",
              "11_01.wav;" + narrow + "\r\n11_02.wav;" + wide + "\r\n11_03.wav;short\r\n");
    Sentences again("Words");
    const QFontMetrics metrics(again.ListOfPhrases->font());
    const int expected = std::max(metrics.horizontalAdvance(QString(narrow.left(200))),
                                  metrics.horizontalAdvance(QString(wide)));
    EXPECT_EQ(again.ListOfPhrases->HorizontalExtent(), expected);
}

TEST_F(NavigationScreens, ExitOnTheTopLevelEndsAndDeletesOnlyTheStudentsFiles)
{
    WriteFile("install/Data/Student.wav", "x");
    WriteFile("install/Data/Student.rsl", "x");
    WriteFile("install/Data/Keep.wav", "x");
    WriteFile("Student.wav", "outside the Data folder");
    TreeNode* tree = OpenTree();
    QTest::mouseClick(tree->ExitButton, Qt::LeftButton);
    EXPECT_EQ(endCount, 1);
    EXPECT_FALSE(QFile::exists(installRoot + "/Data/Student.wav"));
    EXPECT_FALSE(QFile::exists(installRoot + "/Data/Student.rsl"));
    EXPECT_TRUE(QFile::exists(installRoot + "/Data/Keep.wav"));
    EXPECT_TRUE(QFile::exists(dir.filePath("Student.wav")));
}

TEST_F(NavigationScreens, UnknownDataFolderDeletesNothing)
{
    WriteFile("Student.wav", "x");
    const QString before = QDir::currentPath();
    QDir::setCurrent(dir.path());
    DataFolder.clear();
    DeleteStudentWorkingFiles();
    QDir::setCurrent(before);
    EXPECT_TRUE(QFile::exists(dir.filePath("Student.wav")));
}
