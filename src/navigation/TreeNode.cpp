#include "navigation/TreeNode.h"

#include "app/CommonVar.h"
#include "app/Tutor.h"
#include "content/ContentText.h"
#include "engine/WorkingFileCleanup.h"
#include "history/PhraseKey.h"
#include "navigation/PracticeMarks.h"
#include "navigation/Sentences.h"
#include "widgets/HelpWindow.h"

#include <QCloseEvent>
#include <QFile>
#include <QScreen>

TreeNode::TreeNode()
{
    setObjectName("TreeNode");
    setWindowTitle("Tonvale Tutor");
    setAttribute(Qt::WA_DeleteOnClose);
    resize(480, 420);

    ExitButton = new QPushButton("Exit", this);
    HelpButton = new QPushButton("Help", this);
    TreeNodeName = new QLabel("Tonvale Tutor", this);
    Instruction = new QLabel("Select a category by double-clicking on it", this);
    ListOfNodes = new NavigationList(this);
    ListOfNodes->setItemDelegate(new PracticeMarkDelegate(ListOfNodes));

    ExitButton->setObjectName("ExitButton");
    HelpButton->setObjectName("HelpButton");
    TreeNodeName->setObjectName("TreeNodeName");
    TreeNodeName->setTextFormat(Qt::PlainText); // a category's name as written
    Instruction->setObjectName("Instruction");
    ListOfNodes->setObjectName("ListOfNodes");

    QFont nameFont = TreeNodeName->font();
    nameFont.setPointSize(nameFont.pointSize() + 4);
    nameFont.setBold(true);
    TreeNodeName->setFont(nameFont);

    TreeNodeName->setGeometry(16, 12, 448, 32);
    Instruction->setGeometry(16, 48, 448, 24);
    ListOfNodes->setGeometry(16, 80, 448, 280);
    HelpButton->setGeometry(264, 376, 96, 30);
    ExitButton->setGeometry(368, 376, 96, 30);

    ExitButton->setAccessibleName("Exit");
    ExitButton->setAccessibleDescription("Go back up one level; on the top level, quit");
    HelpButton->setAccessibleName("Help");
    HelpButton->setAccessibleDescription("Open the help contents");
    ListOfNodes->setAccessibleName("Lessons");
    ListOfNodes->setAccessibleDescription(
        "Topics and categories; select one by double-clicking on it, or press Enter");
    ListOfNodes->setToolTip("Double-click a topic or category to open it, or press Enter; "
                            "Esc goes back up");
    TreeNodeName->setAccessibleName("Current topic");
    Instruction->setAccessibleName("Instruction");

    // Reading order: the list, then the buttons from left to right.
    setTabOrder(ListOfNodes, HelpButton);
    setTabOrder(HelpButton, ExitButton);
    AddNavigationKeys(this, HelpButton, [this] { GoUpOneLevel(); });

    connect(ExitButton, &QPushButton::clicked, this, &TreeNode::ExitButton_Click);
    connect(HelpButton, &QPushButton::clicked, this, &TreeNode::HelpButton_Click);
    connect(ListOfNodes, &QListWidget::itemDoubleClicked, this, &TreeNode::ListOfNodes_DblClick);
    connect(ListOfNodes, &NavigationList::KeyDown, this, &TreeNode::ListOfNodes_KeyDown);

    ApplyNavigationLook(this);
    Form_Load();
}

void TreeNode::Form_Load()
{
    FillNodeList();
    loadSize = size();
    if (FormLeft == -1) {
        // The first screen of the tutor opens in the middle of the screen.
        CentreOnScreen(*this);
        StoreFormPosition(*this);
    } else {
        MoveToFormPosition(*this);
    }
    ListOfNodes->setFocus();
}

void TreeNode::GoUpOneLevel()
{
    // Esc never quits: only Exit on the top level does.
    if (CurrentNode >= 0 && CurrentNode <= LastNodeIndex && TreeNodes[CurrentNode].Parent != -1)
        ExitButton_Click();
}

void TreeNode::FillNodeList()
{
    if (CurrentNode < 0 || CurrentNode > LastNodeIndex) return;
    int32_t child = TreeNodes[CurrentNode].FirstChild;
    if (child == -1) return; // the list and the label keep what they show

    ListOfNodes->clear();
    int selectPosition = -1;
    QStringList codes; // a category's code, empty for a topic
    while (child >= 0 && child <= LastNodeIndex) {
        ListOfNodes->addItem(DecodeContentText(TreeNodes[child].Name));
        codes.append(TreeNodes[child].FirstChild == -1 ? QString::fromUtf8(TreeNodes[child].Code)
                                                       : QString());
        if (child == PreviousNode) selectPosition = ListOfNodes->count() - 1;
        child = TreeNodes[child].NextSibling;
    }
    TreeNodeName->setText(DecodeContentText(TreeNodes[CurrentNode].Name));
    MarkPractisedCategories(*ListOfNodes, MarksHistory(), OpenCoursePack(), codes);

    if (selectPosition >= 0) {
        ListOfNodes->setFocus();
        ListOfNodes->SelectPosition(selectPosition);
    }
    ListOfNodes->ShowChoice();
}

void TreeNode::OpenSelectedNode()
{
    StoreFormPosition(*this);
    if (CurrentNode < 0 || CurrentNode > LastNodeIndex) return;
    int32_t child = TreeNodes[CurrentNode].FirstChild;
    if (child == -1) return;
    for (int step = 0; step < ListOfNodes->SelectedPosition(); ++step) {
        child = TreeNodes[child].NextSibling;
        if (child == -1) return;
    }
    CurrentNode = child;

    if (CurrentNode == 1) {
        PlaceHelpWindow();
        WinHelp(reinterpret_cast<uintptr_t>(this), HelpFile, HelpContext, 100);
    }

    const LessonNode& node = TreeNodes[CurrentNode];
    if (node.FirstChild != -1) {
        PreviousNode = -1;
        FillNodeList();
        return;
    }

    // The category must be known before the phrase screen loads: loading it
    // reads that category's phrases.
    CategoryCode = TrimBlanks(node.Code).toByteArray();
    auto* phrases = new Sentences(DecodeContentText(TrimBlanks(node.Name).toByteArray()));
    phrases->show();
    leaving = true;
    close();
}

void TreeNode::PlaceHelpWindow()
{
    // The lessons stay in sight beside the help that opens on its own here;
    // the exercise screen that follows moves it off the native speaker.
    const QRect list(ListOfNodes->mapToGlobal(QPoint(0, 0)), ListOfNodes->size());
    if (const QScreen* screen = this->screen())
        HelpWindow::Instance().PlaceClearOf(
            HelpWindowPlace(screen->availableGeometry(), frameGeometry(), list, QSize(560, 480)),
            {list});
}

void TreeNode::ListOfNodes_DblClick()
{
    OpenSelectedNode();
}

void TreeNode::ListOfNodes_KeyDown(int keyCode)
{
    if (keyCode == 13) OpenSelectedNode();
}

void TreeNode::ExitButton_Click()
{
    if (CurrentNode < 0 || CurrentNode > LastNodeIndex || TreeNodes[CurrentNode].Parent == -1) {
        EndProgram();
        return;
    }
    PreviousNode = CurrentNode;
    CurrentNode = TreeNodes[CurrentNode].Parent;
    FillNodeList();
}

void TreeNode::HelpButton_Click()
{
    WinHelp(HelpOwner, HelpFile, HelpContents, 0);
}

void TreeNode::EndProgram()
{
    WinHelp(HelpOwner, HelpFile, HelpQuit, 0);
    DeleteStudentWorkingFiles();
    leaving = true;
    close();
    EndTutor();
}

void TreeNode::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    Form_Resize();
}

void TreeNode::Form_Resize()
{
    // The screen keeps its size in the normal state; it can still be
    // minimised or maximised.
    if (loadSize.isValid() && windowState() == Qt::WindowNoState && size() != loadSize)
        resize(loadSize);
}

void TreeNode::closeEvent(QCloseEvent* event)
{
    // Closing the window from its frame leaves the tutor like Exit on the
    // top level; otherwise the hidden start-up window would keep it running.
    if (!leaving) {
        leaving = true;
        WinHelp(HelpOwner, HelpFile, HelpQuit, 0);
        DeleteStudentWorkingFiles();
        EndTutor();
    }
    event->accept();
}

void DeleteStudentWorkingFiles()
{
    CleanUpWorkingFiles({BinFolder, DataFolder, StudentData.WaveFile, StudentData.ResultFile},
                        CleanUpMoment::TutorLeft);
}
