// Editing the lesson tree in the studio: keys and drops add, move, nest and
// delete entries, every change reaches Tree.txt at once and is undone and
// redone, and what the tutor could not read is refused with its reason.
#include "studio/LessonTreeEditor.h"
#include "studio/StudioFixture.h"

#include <QAction>
#include <QLineEdit>

namespace {

void Key(QWidget* widget, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QTest::keyClick(widget, key, modifiers);
    QCoreApplication::processEvents();
}

void CloseEditor()
{
    if (QWidget* editor = QApplication::focusWidget(); editor && qobject_cast<QLineEdit*>(editor))
        Key(editor, Qt::Key_Escape);
}

} // namespace

class StudioTreeEditing : public StudioFixture
{
};

TEST_F(StudioTreeEditing, KeysAddMoveAndNestEntriesAndUndoTakesThemBack)
{
    LessonTreeEditor* tree = window->Tree;
    EXPECT_EQ(PackFile("Sounds/Tree.txt"), "Test Course\r\n*Introduction / 10\r\n"
                                           "*First Lesson / 11\r\n");
    tree->SelectPath({1});
    Key(tree, Qt::Key_Insert, Qt::ShiftModifier); // a topic after "First Lesson"
    CloseEditor();
    EXPECT_EQ(tree->SelectedPath(), NodePath({2}));

    // Into the category above: refused, with the reason.
    tree->SelectPath({1});
    Key(tree, Qt::Key_Right, Qt::AltModifier);
    EXPECT_TRUE(Problem().contains("is a category")) << Problem().toStdString();

    Key(tree, Qt::Key_Down, Qt::AltModifier); // below the topic
    EXPECT_EQ(tree->SelectedPath(), NodePath({2}));
    Key(tree, Qt::Key_Right, Qt::AltModifier); // into it
    EXPECT_EQ(tree->SelectedPath(), NodePath({1, 0}));
    EXPECT_TRUE(Problem().isEmpty());
    const QByteArray nested = "Test Course\r\n*Introduction / 10\r\n*New Topic\r\n"
                              "**First Lesson / 11\r\n";
    EXPECT_EQ(PackFile("Sounds/Tree.txt"), nested);

    window->UndoAction->trigger();
    EXPECT_EQ(PackFile("Sounds/Tree.txt"), "Test Course\r\n*Introduction / 10\r\n*New Topic\r\n"
                                           "*First Lesson / 11\r\n");
    window->RedoAction->trigger();
    EXPECT_EQ(PackFile("Sounds/Tree.txt"), nested);

    // Out again, then the topic deleted and brought back.
    tree->SelectPath({1, 0});
    Key(tree, Qt::Key_Left, Qt::AltModifier);
    EXPECT_EQ(tree->SelectedPath(), NodePath({2}));
    tree->SelectPath({1});
    Key(tree, Qt::Key_Delete);
    EXPECT_EQ(PackFile("Sounds/Tree.txt"), "Test Course\r\n*Introduction / 10\r\n"
                                           "*First Lesson / 11\r\n");
    window->UndoAction->trigger();
    EXPECT_EQ(tree->topLevelItem(0)->childCount(), 3);
}

TEST_F(StudioTreeEditing, RenamingKeepsWhatTheTreeFileCanHold)
{
    LessonTreeEditor* tree = window->Tree;
    QTreeWidgetItem* item = tree->ItemAt({1});
    ASSERT_NE(item, nullptr);
    item->setText(0, "Stress/Rhythm");
    QCoreApplication::processEvents();
    EXPECT_TRUE(Problem().contains("slash")) << Problem().toStdString();
    EXPECT_EQ(tree->ItemAt({1})->text(0), "First Lesson");

    tree->ItemAt({1})->setText(0, "Word Stress");
    QCoreApplication::processEvents();
    EXPECT_TRUE(Problem().isEmpty());
    EXPECT_TRUE(PackFile("Sounds/Tree.txt").contains("*Word Stress / 11\r\n"));
    EXPECT_EQ(tree->ItemAt({1})->text(1), "11"); // the code stays with the category
}

TEST_F(StudioTreeEditing, DropsFollowTheTreesRulesDownToTheTwentiethLevel)
{
    LessonTreeEditor* tree = window->Tree;
    CourseDocument& document = window->Document();
    // A chain of topics from level 1 down to level 19.
    NodePath chain;
    for (int level = 1; level <= 19; ++level) {
        ASSERT_EQ(document.AddTopic(chain, level == 1 ? 2 : 0, QString("Level %1").arg(level)), "");
        chain.push_back(level == 1 ? 2 : 0);
    }
    tree->SelectPath({1});
    tree->DropOnto({1}, tree->ItemAt(chain), LessonTreeEditor::DropPlace::Onto);
    EXPECT_TRUE(Problem().isEmpty()) << Problem().toStdString();
    // The category now sits at level 20, the last the tutor reads; a topic
    // holding it cannot go one level lower.
    NodePath category = chain;
    category.front() = 1;
    category.push_back(0);
    ASSERT_NE(tree->ItemAt(category), nullptr);
    EXPECT_EQ(tree->ItemAt(category)->text(0), "First Lesson");
    ASSERT_EQ(document.AddTopic({}, 2, "Holder"), "");
    ASSERT_EQ(document.AddCategory({2}, 0, "Inner"), "");
    NodePath deepest = category;
    deepest.pop_back();
    tree->DropOnto({2}, tree->ItemAt(deepest), LessonTreeEditor::DropPlace::Onto);
    EXPECT_TRUE(Problem().contains("at most 20 levels")) << Problem().toStdString();

    // Nothing goes into a category; above the first entry it becomes node 1.
    tree->DropOnto({1}, tree->ItemAt({0}), LessonTreeEditor::DropPlace::Onto);
    EXPECT_TRUE(Problem().contains("is a category"));
    tree->DropOnto({2}, tree->ItemAt({0}), LessonTreeEditor::DropPlace::Above);
    EXPECT_TRUE(PackFile("Sounds/Tree.txt").startsWith("Test Course\r\n*Holder\r\n"));
}
